#include "lists/filestrings.h"

#include "lists/naturalcompare.h"
#include "lists/numerals.h"
#include "platform/appstate.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "platform/uihooks.h"

#include <QElapsedTimer>

#include <algorithm>
#include <set>
#include <utility>

namespace {

QString ExtensionKey(QStringView ext)
{
    QString key = platform::UpperUnits(ext);
    // ASCII is its own decomposed form; only other text needs the normalisation.
    if (std::any_of(key.cbegin(), key.cend(), [](QChar c) { return c.unicode() >= 0x80; }))
        key = key.normalized(QString::NormalizationForm_D);
    return key;
}

QSet<QString> KeysOf(const QStringList &extensions)
{
    QSet<QString> keys;
    for (const QString &e : extensions)
        keys.insert(ExtensionKey(e));
    return keys;
}

// One pattern of the work queue with its comparison keys, so that keeping the queue in order
// costs a few key comparisons per folder.
struct QueueEntry {
    QString pattern;
    std::shared_ptr<NaturalKey> folder;
    std::shared_ptr<NaturalKey> name;

    explicit QueueEntry(const QString &p) : pattern(p)
    {
        QStringView f, n;
        SplitPath(pattern, f, n);
        folder = std::make_shared<NaturalKey>(f);
        name = std::make_shared<NaturalKey>(n);
    }
};

// The order of SortFileNames: folder, then name, then the exact text.
struct QueueOrder {
    bool operator()(const QueueEntry &a, const QueueEntry &b) const
    {
        if (a.pattern == b.pattern)
            return false;
        if (const int c = CompareNaturalKeys(*a.folder, *b.folder))
            return c < 0;
        if (const int c = CompareNaturalKeys(*a.name, *b.name))
            return c < 0;
        return a.pattern.compare(b.pattern) < 0;
    }
};

// Lets the user interface breathe during a long search without paying for it on every entry:
// once as the search begins (what the user did meanwhile is handled at once), then every 20 ms.
class EventPump {
public:
    void Pump(bool force = false)
    {
        if (force || !m_timer.isValid() || m_timer.elapsed() >= 20) {
            platform::ProcessEvents();
            m_timer.restart();
        }
    }

private:
    QElapsedTimer m_timer;
};

} // namespace

struct TMyFileStrings::SearchRun {
    int startCount = 0;
    int sortPoint = 0;
    std::set<QueueEntry, QueueOrder> queue;
    std::set<std::pair<quint64, quint64>> visited;  // device and inode of searched folders
    EventPump events;
};

TMyFileStrings::TMyFileStrings() : m_targets(std::make_unique<TMyWStrings>()), m_random(std::random_device{}())
{
    CaseSensitive = false;
}

TMyFileStrings::~TMyFileStrings() = default;

bool TMyFileStrings::IsAcceptable(const QString &fileName)
{
    if (m_allowedKeys.isEmpty() && m_deniedKeys.isEmpty()) {
        LastAccepted = true;
        return true;
    }
    const QString key = ExtensionKey(ExtractFileExt(fileName));
    LastAccepted = (m_allowedKeys.isEmpty() || m_allowedKeys.contains(key)) && !m_deniedKeys.contains(key);
    return LastAccepted;
}

void TMyFileStrings::SetAllowedExtensions(const QStringList &extensions)
{
    m_allowed = extensions;
    m_allowedKeys = KeysOf(extensions);
}

void TMyFileStrings::SetDeniedExtensions(const QStringList &extensions)
{
    m_denied = extensions;
    m_deniedKeys = KeysOf(extensions);
}

void TMyFileStrings::CopyExtensionLists(const TMyFileStrings &other)
{
    if (&other == this)
        return;
    m_allowed = other.m_allowed;
    m_allowedKeys = other.m_allowedKeys;
    m_denied = other.m_denied;
    m_deniedKeys = other.m_deniedKeys;
}

int TMyFileStrings::AddObject(const QString &text, TObject *object)
{
    if (!IsAcceptable(text)) {
        delete object;
        return -1;
    }
    const int before = Count();
    TMyWStrings::InsertObject(Count(), text, object);
    if (Count() == before) {
        // A sorted list that refuses duplicates kept it out.
        delete object;
        return -1;
    }
    return Count() - 1;
}

void TMyFileStrings::InsertObject(int index, const QString &text, TObject *object)
{
    if (!IsAcceptable(text)) {
        delete object;
        return;
    }
    TMyWStrings::InsertObject(index, text, object);
}

void TMyFileStrings::Assign(const TMyWStrings &list)
{
    if (&list == this)
        return;
    if (const auto *files = dynamic_cast<const TMyFileStrings *>(&list))
        CopyExtensionLists(*files);
    TMyWStrings::Assign(list);
}

TObject *TMyFileStrings::CreateEntryObject(const QString &, const TMySearchRec &) { return nullptr; }

bool TMyFileStrings::CancelRequested()
{
    if (OnCancelQuery)
        return OnCancelQuery(this);
    return platform::IsTerminating();
}

bool TMyFileStrings::Search()
{
    if (!SearchAppends)
        Clear();
    SearchRun run;
    run.startCount = Count();
    run.sortPoint = Count();

    TMyWStrings targets;
    targets.Assign(*m_targets);
    targets.SortFileNamesUnique();
    bool any = false;
    bool cancelled = false;
    for (int t = 0; t < targets.Count() && !cancelled; ++t) {
        QString target = targets.Get(t);
        if (target.isEmpty())
            continue;
        any = true;
        if (target.endsWith(u'/'))
            target += QStringLiteral("*.*");
        run.queue.clear();
        run.visited.clear();
        run.queue.emplace(target);
        while (!run.queue.empty() && !cancelled) {
            const QString pattern = run.queue.begin()->pattern;
            run.queue.erase(run.queue.begin());
            cancelled = !SearchOnePattern(run, pattern);
            if (!cancelled) {
                run.events.Pump();
                cancelled = CancelRequested();
            }
        }
    }
    return any && !cancelled;
}

// Adds the files of one pattern, queues its folders and sorts what it added; false when the
// search was cancelled on the way.
bool TMyFileStrings::SearchOnePattern(SearchRun &run, const QString &pattern)
{
    const QString folder = ExtractFilePath(pattern);
    const QString mask = ExtractFileName(pattern);
    bool cancelled = false;

    auto take = [&](const QString &name, const platform::FileStatus &st) {
        const int attrs = AttributesOfStatus(name, st);
        if (!st.exists || (attrs & ExcludedAttributes))
            return;
        const QString path = folder + name;
        if (st.isDir) {
            run.queue.emplace(path + QStringLiteral("/*.*"));
        } else if (st.isRegular) {
            TMySearchRec rec;
            rec.Name = name;
            rec.Attributes = attrs;
            rec.Size = st.size;
            rec.WriteTime = st.writeTime;
            rec.CreationTime = st.creationTime;
            const int index = AddObject(path, CreateEntryObject(path, rec));
            if (index >= 0 && OnFileFound)
                OnFileFound(this, index - run.startCount + 1, path);
        }
        // Devices, pipes and sockets are never list entries: reading one could block forever.
    };

    if (!HasWildcards(mask)) {
        if (!mask.isEmpty())
            take(mask, platform::GetFileStatus(pattern));
    } else {
        const platform::FileStatus self = platform::GetFileStatus(folder.isEmpty() ? QStringLiteral(".") : folder);
        if (!self.isDir || !run.visited.emplace(self.device, self.inode).second)
            return true;
        platform::FolderReader reader(folder.isEmpty() ? QStringLiteral(".") : folder);
        QString name;
        platform::FileStatus st;
        while (!cancelled && reader.Next(name, st)) {
            if (MatchesMask(name, mask))
                take(name, st);
            run.events.Pump();
            cancelled = CancelRequested();
        }
    }
    // Everything this folder added goes into natural order, whether or not its last entry
    // was a file that got in.
    if (Count() > run.sortPoint) {
        SortFileNamesRange(run.sortPoint, Count() - 1);
        run.sortPoint = Count();
    }
    return !cancelled;
}

bool TMyFileStrings::SearchCancellable()
{
    const auto savedCancel = OnCancelQuery;
    const auto savedFound = OnFileFound;
    if (!OnCancelQuery && EscapeCancels)
        OnCancelQuery = [](TMyFileStrings *) { return platform::EscapeKeyDown() || platform::IsTerminating(); };
    const bool result = Search();
    OnCancelQuery = savedCancel;
    OnFileFound = savedFound;
    return result;
}

bool TMyFileStrings::SearchList(const TMyWStrings &targets)
{
    if (&targets != m_targets.get())
        m_targets->Assign(targets);
    return Search();
}

bool TMyFileStrings::SearchTarget(const QString &target)
{
    m_targets->Clear();
    m_targets->Add(target);
    return Search();
}

bool TMyFileStrings::AppendSearchList(const TMyWStrings &targets)
{
    const bool saved = SearchAppends;
    SearchAppends = true;
    const bool result = SearchList(targets);
    SearchAppends = saved;
    return result;
}

bool TMyFileStrings::AppendSearchTarget(const QString &target)
{
    const bool saved = SearchAppends;
    SearchAppends = true;
    const bool result = SearchTarget(target);
    SearchAppends = saved;
    return result;
}

void TMyFileStrings::SortByKey(bool ascending, int first, int last,
                               const std::function<QString(const QString &)> &part)
{
    if (last < 0 || last >= Count())
        last = Count() - 1;
    first = std::max(first, 0);
    if (last <= first)
        return;
    NumeralNameKeys keys;
    keys.Reserve(last - first + 1);
    for (int i = first; i <= last; ++i)
        keys.Add(part(Get(i)));
    CustomSortRange(first, last, [&keys, first, ascending](const TMyWStrings &, int a, int b) {
        return ascending ? keys.Compare(a - first, b - first) : keys.Compare(b - first, a - first);
    });
}

void TMyFileStrings::SortByNumber(bool ascending, int first, int last,
                                  const std::function<qint64(const QString &)> &value)
{
    if (last < 0 || last >= Count())
        last = Count() - 1;
    first = std::max(first, 0);
    if (last <= first)
        return;
    std::vector<qint64> keys;
    keys.reserve(size_t(last - first + 1));
    for (int i = first; i <= last; ++i) {
        keys.push_back(value(Get(i)));
        if ((i & 255) == 255)
            platform::ProcessEvents();
    }
    CustomSortRange(first, last, [&keys, first, ascending](const TMyWStrings &, int a, int b) {
        qint64 x = keys[size_t(a - first)];
        qint64 y = keys[size_t(b - first)];
        if (!ascending)
            std::swap(x, y);
        return x < y ? -1 : x > y ? 1 : 0;
    });
}

void TMyFileStrings::SortByPath(bool ascending, int first, int last)
{
    SortByKey(ascending, first, last, [](const QString &s) { return s; });
}

void TMyFileStrings::SortByName(bool ascending, int first, int last)
{
    SortByKey(ascending, first, last, [](const QString &s) { return ExtractFileName(s); });
}

void TMyFileStrings::SortByFolder(bool ascending, int first, int last)
{
    SortByKey(ascending, first, last, [](const QString &s) { return ExtractFilePath(s); });
}

void TMyFileStrings::SortByExt(bool ascending, int first, int last)
{
    SortByKey(ascending, first, last, [](const QString &s) { return ExtractFileExt(s); });
}

void TMyFileStrings::SortBySize(bool ascending, int first, int last)
{
    SortByNumber(ascending, first, last, [](const QString &s) { return FileSize(s); });
}

void TMyFileStrings::SortByWriteTime(bool ascending, int first, int last)
{
    SortByNumber(ascending, first, last, [](const QString &s) { return FileWriteTime(s); });
}

void TMyFileStrings::SortByCreationTime(bool ascending, int first, int last)
{
    SortByNumber(ascending, first, last, [](const QString &s) { return FileCreationTime(s); });
}

void TMyFileStrings::Shuffle(int first, int last)
{
    if (last < 0 || last >= Count())
        last = Count() - 1;
    first = std::max(first, 0);
    if (last <= first)
        return;
    const int n = last - first + 1;
    std::vector<int> order(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        order[size_t(i)] = first + i;
    std::uniform_int_distribution<int> draw(0, n - 1);
    for (int i = 0; i < n; ++i) {
        const int r = draw(m_random);
        if (r != i)
            std::swap(order[size_t(i)], order[size_t(r)]);
    }
    // Written back in place: the entries are already in the list, so the extension filter
    // has no say here.
    std::vector<std::pair<QString, TObject *>> items;
    items.reserve(size_t(n));
    for (int i : order)
        items.emplace_back(Get(i), GetObject(i));
    for (int i = 0; i < n; ++i) {
        Put(first + i, items[size_t(i)].first);
        PutObject(first + i, items[size_t(i)].second);
    }
}
