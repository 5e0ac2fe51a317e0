#include "tags/tagthreads.h"

#include "lists/mywstrings.h"
#include "platform/appstate.h"
#include "platform/files.h"

#include <QElapsedTimer>
#include <QHash>
#include <QLoggingCategory>
#include <QMetaObject>

#include <algorithm>
#include <exception>
#include <optional>

Q_LOGGING_CATEGORY(lcTagThreads, "tavio.tags")

namespace {

// Reports travel in small batches so that a walk over cached entries does not flood the event
// queue; a batch also goes out before every slow read so that the window keeps up.
constexpr size_t kReportBatch = 64;
constexpr qint64 kReportIntervalMs = 40;
// Stores are collected and written in one transaction; the write lock is held only while a batch
// is written, never across a file read.
constexpr size_t kStoreBatch = 128;
constexpr qint64 kStoreIntervalMs = 250;

// A duration below this was never measured (or could not be).
constexpr double kMeasured = 0.001;

bool IsFile(const platform::FileStatus &status)
{
    return status.exists && !status.isDir;
}

void ClearMediaInfo(TMyTagValue &value)
{
    value.MediaDuration = 0.0;
    value.MediaLength = 0;
    value.VideoWidth = 0;
    value.VideoHeight = 0;
    value.VideoFrameRate = 0.0;
}

} // namespace

QString TagProgressText(int index, int count, const QString &fileName)
{
    return QStringLiteral("タグ取得中[%1/%2] %3").arg(index + 1).arg(count).arg(fileName);
}

// ---- T_MyInfoUpdate -----------------------------------------------------------------------------

struct T_MyInfoUpdate::Pending {
    std::vector<TMyLibraryRecord> records;
    QHash<QString, size_t> byName;
    QElapsedTimer since;

    void Add(TMyLibraryRecord record)
    {
        const auto found = byName.constFind(record.FileName);
        if (found != byName.cend()) {
            records[*found] = std::move(record);
            return;
        }
        if (records.empty())
            since.start();
        byName.insert(record.FileName, records.size());
        records.push_back(std::move(record));
    }
    const TMyLibraryRecord *Find(const QString &fileName) const
    {
        const auto found = byName.constFind(fileName);
        return found == byName.cend() ? nullptr : &records[*found];
    }
    void Clear()
    {
        records.clear();
        byName.clear();
    }
};

T_MyInfoUpdate::T_MyInfoUpdate(TMyTagRefresh *owner, quint64 generation, std::vector<TTagWalkItem> items,
                               int busyTimeoutMs)
    : m_owner(owner), m_generation(generation), m_items(std::move(items)), m_busyTimeoutMs(busyTimeoutMs)
{
}

bool T_MyInfoUpdate::StopRequested() const
{
    return m_stop.load(std::memory_order_relaxed) || platform::IsTerminating();
}

void T_MyInfoUpdate::PostReports(std::vector<TTagReport> &reports)
{
    if (reports.empty())
        return;
    auto batch = std::make_shared<const std::vector<TTagReport>>(std::move(reports));
    reports.clear();
    TMyTagRefresh *owner = m_owner;
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(owner, [owner, generation, batch] { owner->ApplyReports(generation, *batch); },
                              Qt::QueuedConnection);
}

void T_MyInfoUpdate::FlushStores(TMyTagLibrary *library, Pending &pending)
{
    if (pending.records.empty())
        return;
    if (library) {
        const TLibraryResult result = library->StoreMany(pending.records);
        if (result == TLibraryResult::Busy && !m_busyLogged) {
            // Most likely a second player storing into the same library; the records are only a
            // cache, so this walk goes on without them.
            m_busyLogged = true;
            qCWarning(lcTagThreads).noquote()
                << QStringLiteral("tag library busy (%1); %2 records not stored")
                       .arg(library->LastError())
                       .arg(pending.records.size());
        } else if (result == TLibraryResult::Failed && !m_errorLogged) {
            m_errorLogged = true;
            qCWarning(lcTagThreads).noquote() << QStringLiteral("tag library: %1").arg(library->LastError());
        }
    }
    pending.Clear();
}

namespace {

struct Decision {
    TTagAction action = TTagAction::FromLibrary;
    bool store = false;
    bool changed = false;
    std::optional<TMyLibraryRecord> record;  // the library's record, when it has one
};

} // namespace

void T_MyInfoUpdate::run()
{
    std::unique_ptr<TMyTagLibrary> library = OpenLibraryConnection(m_busyTimeoutMs);
    Pending pending;
    std::vector<TTagReport> reports;
    QElapsedTimer sincePost;
    sincePost.start();

    for (const TTagWalkItem &item : m_items) {
        if (StopRequested())
            break;
        try {
            // The decision: one status query and one lookup, no file read.
            const platform::FileStatus status = platform::GetFileStatus(item.FileName);
            const bool exists = IsFile(status);
            Decision d;
            if (const TMyLibraryRecord *waiting = pending.Find(item.FileName)) {
                d.record = *waiting;
            } else if (library) {
                TMyLibraryRecord record;
                const TLibraryResult found = library->Lookup(item.FileName, record);
                if (found == TLibraryResult::Ok) {
                    d.record = std::move(record);
                } else if (found != TLibraryResult::NotFound && !m_errorLogged) {
                    m_errorLogged = true;
                    qCWarning(lcTagThreads).noquote() << QStringLiteral("tag library: %1").arg(library->LastError());
                }
            }
            // What the list showed differs from the record it gets now.
            const auto shownDiffers = [&](const TMyLibraryRecord &r) {
                return !item.HasTag || !item.Shown || item.WriteTime != r.FileWriteTime || item.FileSize != r.FileSize;
            };

            if (!exists) {
                d.action = TTagAction::Missing;
                d.changed = d.record ? shownDiffers(*d.record) : true;
            } else if (d.record && d.record->FileWriteTime == status.writeTime && d.record->FileSize == status.size) {
                // Current record (any difference in time or size means another version of the file,
                // older times included, as copies that keep their times bring).
                if (d.record->MediaDuration < kMeasured) {
                    d.action = TTagAction::MediaOnly;
                    d.store = true;
                    d.changed = true;
                } else {
                    d.action = TTagAction::FromLibrary;
                    d.changed = shownDiffers(*d.record);
                }
            } else if (item.Shown && item.WriteTime == status.writeTime && item.FileSize == status.size) {
                // The library lacks this version, but the list holds tags read from it: store those.
                d.action = TTagAction::TakenOver;
                d.store = true;
                d.changed = item.Shown->MediaDuration < kMeasured;
            } else {
                d.action = TTagAction::ReadFully;
                d.store = true;
                d.changed = true;
            }

            if (StopRequested())
                break;

            TTagReport report;
            report.Index = item.Index;
            report.FileName = item.FileName;
            report.Action = d.action;
            report.Store = d.store;
            report.Changed = d.changed;
            const bool slow = d.action == TTagAction::ReadFully || d.action == TTagAction::MediaOnly ||
                              (d.action == TTagAction::TakenOver && d.changed);
            if (slow) {
                PostReports(reports);
                sincePost.restart();
            }
            switch (d.action) {
            case TTagAction::FromLibrary:
                report.Value = TagValueOf(*d.record);
                break;
            case TTagAction::Missing:
                if (d.record) {
                    report.Value = TagValueOf(*d.record);
                } else {
                    TMyTag empty(item.FileName);
                    report.Value = empty.GetValue();
                    ClearMediaInfo(report.Value);
                }
                break;
            case TTagAction::MediaOnly: {
                TMyTag2 work(TagValueOf(*d.record));
                work.ReadMediaInfo();
                report.Value = work.GetValue();
                break;
            }
            case TTagAction::TakenOver: {
                TMyTag2 work(TagValueOf(*item.Shown));
                if (d.changed)
                    work.ReadMediaInfo();
                report.Value = work.GetValue();
                break;
            }
            case TTagAction::ReadFully: {
                TMyTag2 work(item.FileName);
                report.Value = work.GetValue();
                break;
            }
            }
            if (d.store)
                pending.Add(LibraryRecordOf(report.Value));

            if (StopRequested())
                break;
            reports.push_back(std::move(report));
        } catch (const std::exception &e) {
            qCWarning(lcTagThreads).noquote()
                << QStringLiteral("tag refresh: %1: %2").arg(item.FileName, QString::fromLocal8Bit(e.what()));
        } catch (...) {
            qCWarning(lcTagThreads).noquote() << QStringLiteral("tag refresh: %1: failed").arg(item.FileName);
        }

        if (reports.size() >= kReportBatch || (!reports.empty() && sincePost.elapsed() >= kReportIntervalMs)) {
            PostReports(reports);
            sincePost.restart();
        }
        if (pending.records.size() >= kStoreBatch ||
            (!pending.records.empty() && pending.since.elapsed() >= kStoreIntervalMs))
            FlushStores(library.get(), pending);
    }

    // What was read is kept, also when the walk was stopped.
    FlushStores(library.get(), pending);
    TMyTagRefresh *owner = m_owner;
    const quint64 generation = m_generation;
    if (!StopRequested()) {
        PostReports(reports);
        QMetaObject::invokeMethod(owner, [owner, generation] { owner->WalkComplete(generation); },
                                  Qt::QueuedConnection);
    }
    QMetaObject::invokeMethod(owner, [owner, generation] { owner->WorkerDone(generation); }, Qt::QueuedConnection);
}

// ---- TMyTagRefresh ------------------------------------------------------------------------------

TMyTagRefresh::TMyTagRefresh(QObject *parent) : QObject(parent) {}

TMyTagRefresh::~TMyTagRefresh()
{
    ++m_generation;
    for (T_MyInfoUpdate *thread : m_retired)
        thread->RequestStop();
    if (m_thread)
        Join(false);
    for (T_MyInfoUpdate *thread : m_retired) {
        thread->wait();
        delete thread;
    }
}

bool TMyTagRefresh::Start(TMyWStrings *list, int lastIndex, int firstIndex)
{
    Stop();
    m_complete = false;
    ++m_generation;
    m_list = list;
    if (!list)
        return false;

    // Last -1 is the last entry; any other last index is clamped to first..count - 1.
    const int count = list->Count();
    const int first = std::max(firstIndex, 0);
    const int last = lastIndex == -1 ? count - 1 : std::min(std::max(lastIndex, first), count - 1);
    std::vector<TTagWalkItem> items;
    if (last >= first)
        items.reserve(size_t(last - first + 1));
    for (int i = first; i <= last; ++i) {
        TTagWalkItem item;
        item.Index = i;
        item.FileName = list->Get(i);
        if (const auto *tag = dynamic_cast<const TMyCustomTag *>(list->GetObject(i))) {
            item.HasTag = true;
            item.WriteTime = tag->FileWriteTime;
            item.FileSize = tag->FileSize;
            // Only a tag with a title of its own was read from the file; a tag made from the folder
            // listing holds nothing worth storing.
            if (!tag->Texts().Title.isEmpty() && tag->FileName == item.FileName)
                item.Shown = std::make_unique<TMyLibraryRecord>(LibraryRecordOf(*tag));
        }
        items.push_back(std::move(item));
    }

    m_thread = new T_MyInfoUpdate(this, m_generation, std::move(items), m_busyTimeoutMs);
    m_thread->start(m_priority);
    return true;
}

void TMyTagRefresh::Stop()
{
    if (!m_thread)
        return;
    ++m_generation;  // whatever the stopped walk still has on its way is dropped
    Join(true);
}

void TMyTagRefresh::Retire()
{
    if (!m_thread)
        return;
    ++m_generation;
    m_thread->RequestStop();
    m_retired.push_back(m_thread);
    m_thread = nullptr;
    Q_EMIT threadFinished();
}

void TMyTagRefresh::Join(bool notify)
{
    T_MyInfoUpdate *thread = m_thread;
    m_thread = nullptr;
    thread->RequestStop();
    thread->wait();
    delete thread;
    if (notify)
        Q_EMIT threadFinished();
}

void TMyTagRefresh::ApplyReports(quint64 generation, const std::vector<TTagReport> &reports)
{
    for (const TTagReport &r : reports) {
        // A handler of tagProgress may stop or restart the walk: check for every report.
        if (generation != m_generation || !m_list) {
            ++m_counts.Dropped;
            continue;
        }
        if (r.Index < 0 || r.Index >= m_list->Count() || m_list->Get(r.Index) != r.FileName) {
            ++m_counts.Dropped;
            continue;
        }
        TObject *object = m_list->GetObject(r.Index);
        auto *tag = dynamic_cast<TMyCustomTag *>(object);
        if (r.Action == TTagAction::TakenOver) {
            // The entry holds these tags already; only measured media information is new, and only
            // while the entry still describes the version the walk took over.
            if (tag && tag->FileWriteTime == r.Value.FileWriteTime && tag->FileSize == r.Value.FileSize) {
                tag->MediaDuration = r.Value.MediaDuration;
                tag->MediaLength = DurationSecondsNearest(r.Value.MediaDuration);
                tag->VideoWidth = r.Value.VideoWidth;
                tag->VideoHeight = r.Value.VideoHeight;
                tag->VideoFrameRate = r.Value.VideoFrameRate;
            } else {
                ++m_counts.Dropped;
                continue;
            }
        } else if (tag) {
            tag->AssignValue(r.Value);
        } else if (!object) {
            m_list->PutObject(r.Index, new TMyTag(r.Value));
        } else {
            ++m_counts.Dropped;  // some other kind of object: not ours to replace
            continue;
        }
        ++m_counts.Applied;
        switch (r.Action) {
        case TTagAction::FromLibrary: ++m_counts.FromLibrary; break;
        case TTagAction::MediaOnly: ++m_counts.MediaOnly; break;
        case TTagAction::ReadFully: ++m_counts.ReadFully; break;
        case TTagAction::TakenOver: ++m_counts.TakenOver; break;
        case TTagAction::Missing: ++m_counts.Missing; break;
        }
        Q_EMIT tagProgress(r.Index, r.Store, r.Changed);
    }
}

void TMyTagRefresh::WalkComplete(quint64 generation)
{
    if (generation != m_generation)
        return;
    m_complete = true;
    Q_EMIT tagsComplete();
}

void TMyTagRefresh::WorkerDone(quint64 generation)
{
    // A worker posts its end as the last thing it does: a retired one is joined now, its thread
    // ends a moment later.
    const auto retired = std::find_if(m_retired.begin(), m_retired.end(),
                                      [generation](T_MyInfoUpdate *t) { return t->Generation() == generation; });
    if (retired != m_retired.end()) {
        T_MyInfoUpdate *thread = *retired;
        m_retired.erase(retired);
        thread->wait();
        delete thread;
        return;
    }
    if (generation != m_generation || !m_thread)
        return;
    Join(true);
}

// ---- T_MyInfoGet --------------------------------------------------------------------------------

T_MyInfoGet::T_MyInfoGet(TMyTagFetch *owner, quint64 generation, int index, QString fileName, bool readFully,
                         bool mediaOnly, std::unique_ptr<TMyTagValue> copy)
    : m_owner(owner), m_generation(generation), m_index(index), m_fileName(std::move(fileName)),
      m_readFully(readFully), m_mediaOnly(mediaOnly), m_copy(std::move(copy))
{
}

bool T_MyInfoGet::StopRequested() const
{
    return m_stop.load(std::memory_order_relaxed) || platform::IsTerminating();
}

void T_MyInfoGet::Post(bool fileInfo, std::unique_ptr<TMyTagValue> value)
{
    if (StopRequested())
        return;
    TMyTagFetch *owner = m_owner;
    const quint64 generation = m_generation;
    const int index = m_index;
    const QString fileName = m_fileName;
    std::shared_ptr<TMyTagValue> shared(std::move(value));
    QMetaObject::invokeMethod(
        owner, [=] { owner->Deliver(generation, index, fileName, fileInfo, shared); }, Qt::QueuedConnection);
}

void T_MyInfoGet::run()
{
    Work();
    m_done.store(true, std::memory_order_release);
}

void T_MyInfoGet::Work()
{
    try {
        if (StopRequested())
            return;
        if (m_readFully) {
            TMyTag2 work;
            work.TMyTag::ReadFromFile(m_fileName);  // the tags only; the panel shows them at once
            Post(false, std::make_unique<TMyTagValue>(work.GetValue()));
            if (StopRequested())
                return;
            TMyTagValue value;
            if (work.FileFound()) {
                work.ReadMediaInfo();
                value = work.GetValue();
            } else {
                value = work.GetValue();
                ClearMediaInfo(value);
            }
            Post(true, std::make_unique<TMyTagValue>(std::move(value)));
        } else if (!m_mediaOnly || !m_copy) {
            Post(false, nullptr);
            Post(true, nullptr);
        } else {
            TMyTag2 work(*m_copy);
            Post(false, std::make_unique<TMyTagValue>(*m_copy));
            if (StopRequested())
                return;
            work.ReadMediaInfo();
            Post(true, std::make_unique<TMyTagValue>(work.GetValue()));
        }
    } catch (const std::exception &e) {
        qCWarning(lcTagThreads).noquote()
            << QStringLiteral("entry information: %1: %2").arg(m_fileName, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        qCWarning(lcTagThreads).noquote() << QStringLiteral("entry information: %1: failed").arg(m_fileName);
    }
}

// ---- TMyTagFetch --------------------------------------------------------------------------------

TMyTagFetch::TMyTagFetch(QObject *parent) : QObject(parent) {}

TMyTagFetch::~TMyTagFetch()
{
    StopAll();
}

bool TMyTagFetch::Fetch(TMyWStrings *list, int index)
{
    Cancel();
    Reap();
    if (!list || index < 0 || index >= list->Count())
        return false;
    m_list = list;

    const QString fileName = list->Get(index);
    bool readFully = true;
    bool mediaOnly = false;
    std::unique_ptr<TMyTagValue> copy;
    const platform::FileStatus status = platform::GetFileStatus(fileName);
    const auto *tag = dynamic_cast<const TMyCustomTag *>(list->GetObject(index));
    if (IsFile(status) && tag && tag->FileName == fileName && !tag->Texts().Title.isEmpty() &&
        tag->FileWriteTime == status.writeTime && tag->FileSize == status.size) {
        readFully = false;
        if (tag->MediaDuration < kMeasured) {
            copy = std::make_unique<TMyTagValue>(tag->GetValue());
            mediaOnly = true;
        }
    }
    m_lastReadFully = readFully;
    m_lastMediaOnly = mediaOnly;

    auto *thread = new T_MyInfoGet(this, m_generation, index, fileName, readFully, mediaOnly, std::move(copy));
    connect(thread, &QThread::finished, this, &TMyTagFetch::Reap, Qt::QueuedConnection);
    m_threads.push_back(thread);
    thread->start(QThread::NormalPriority);
    return true;
}

void TMyTagFetch::Cancel()
{
    ++m_generation;
    for (T_MyInfoGet *thread : m_threads)
        thread->RequestStop();
}

void TMyTagFetch::StopAll()
{
    Cancel();
    for (T_MyInfoGet *thread : m_threads) {
        thread->wait();
        delete thread;
    }
    m_threads.clear();
}

void TMyTagFetch::Reap()
{
    std::erase_if(m_threads, [](T_MyInfoGet *thread) {
        if (!thread->Done())
            return false;
        thread->wait();
        delete thread;
        return true;
    });
}

void TMyTagFetch::Deliver(quint64 generation, int index, const QString &fileName, bool fileInfo,
                          const std::shared_ptr<TMyTagValue> &value)
{
    if (generation != m_generation || !m_list)
        return;
    if (index < 0 || index >= m_list->Count() || m_list->Get(index) != fileName)
        return;
    if (!value) {
        if (fileInfo)
            Q_EMIT entryFileInfo(index, nullptr);
        else
            Q_EMIT entryTags(index, nullptr);
        return;
    }
    const TMyTag tag(*value);
    if (!fileInfo) {
        Q_EMIT entryTags(index, &tag);
        return;
    }
    TObject *object = m_list->GetObject(index);
    if (auto *entryTag = dynamic_cast<TMyCustomTag *>(object))
        entryTag->Assign(tag);
    else if (!object)
        m_list->PutObject(index, new TMyTag(tag));
    Q_EMIT entryFileInfo(index, &tag);
}
