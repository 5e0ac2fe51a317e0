#include "tags/mymediastrings.h"

#include "lists/numerals.h"
#include "platform/appstate.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/uihooks.h"

#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace {

// A playlist expansion that adds this many entries hands the freed memory back to the system.
constexpr int kReturnMemoryAfter = 10000;

// Pending user-interface events are let through every this many entries read.
constexpr int kEventsEvery = 64;

// Two names of one playlist file are one visit: the path cleaned and, where the file is there,
// its links resolved (a link back into a folder of the chain would otherwise give ever longer
// names of the same file). The comparison is exact: "a.m3u" and "A.m3u" are two files.
QString VisitKey(const QString &fileName)
{
    const QString canonical = QFileInfo(fileName).canonicalFilePath();
    return canonical.isEmpty() ? ExpandFileName(fileName) : canonical;
}

// A Windows path with a drive letter ("C:\Music\a.mp3", "d:/x", "C:"): no folder here can
// stand for the drive, so such an entry is kept as written and shows as missing.
bool HasDriveLetter(QStringView entry)
{
    if (entry.size() < 2 || entry[1] != u':')
        return false;
    const char16_t c = entry[0].unicode();
    if (!((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')))
        return false;
    return entry.size() == 2 || entry[2] == u'\\' || entry[2] == u'/';
}

// The entry of one exact name (playlist entries are names, not patterns: "*" and "?" are
// ordinary characters in them). False when nothing is there.
bool LookUpEntry(const QString &path, TMySearchRec &entry)
{
    const platform::FileStatus st = platform::GetFileStatus(path);
    if (!st.exists)
        return false;
    entry.Name = ExtractFileName(path);
    entry.Attributes = st.isDir ? faDirectory : 0;
    entry.Size = st.isDir ? 0 : st.size;
    entry.WriteTime = st.writeTime;
    entry.CreationTime = st.creationTime;
    return true;
}

} // namespace

TMyMediaStrings::TMyMediaStrings() = default;

TMyMediaStrings::~TMyMediaStrings() { FreeTags(); }

void TMyMediaStrings::FreeTags()
{
    for (Item &item : m_items) {
        delete item.object;
        item.object = nullptr;
    }
}

void TMyMediaStrings::Clear()
{
    const bool owns = OwnsObjects;
    OwnsObjects = true;
    TMyFileStrings::Clear();
    OwnsObjects = owns;
}

void TMyMediaStrings::Delete(int index)
{
    const bool owns = OwnsObjects;
    OwnsObjects = true;
    TMyFileStrings::Delete(index);
    OwnsObjects = owns;
}

void TMyMediaStrings::DeleteRange(int first, int count)
{
    const bool owns = OwnsObjects;
    OwnsObjects = true;
    TMyFileStrings::DeleteRange(first, count);
    OwnsObjects = owns;
}

TMyTag *TMyMediaStrings::Tag(int index) const { return dynamic_cast<TMyTag *>(GetObject(index)); }

TMyTag *TMyMediaStrings::MakeTag(const QString &fileName, const TMySearchRec *entry, bool fileFound)
{
    // What a tag built from a record of only these facts holds (duration 0: not measured),
    // without asking the file system again for what the directory entry already told.
    auto *tag = new TMyTag();
    tag->SetFileName(fileName);
    if (entry) {
        tag->FileSize = entry->Size;
        tag->FileWriteTime = entry->WriteTime;
        tag->FileCreateTime = entry->CreationTime;
    }
    tag->MediaDuration = 0.0;
    tag->MediaLength = 0;
    tag->SetFileFound(fileFound);
    if (fileFound) {
        tag->SetFolderFound(true);
    } else if (const QString folder = tag->FilePath(); !folder.isEmpty()) {
        if (folder != m_folderSeen) {
            m_folderSeen = folder;
            m_folderSeenExists = DirectoryExists(m_folderSeen);
        }
        tag->SetFolderFound(m_folderSeenExists);
    }
    return tag;
}

TObject *TMyMediaStrings::CreateEntryObject(const QString &fileName, const TMySearchRec &entry)
{
    return MakeTag(fileName, &entry, !(entry.Attributes & faDirectory));
}

TMyTag *TMyMediaStrings::CreateTagFor(const QString &fileName)
{
    m_folderSeen.clear();
    TMySearchRec entry;
    if (!IsUrl(fileName) && !HasDriveLetter(fileName) && LookUpEntry(fileName, entry))
        return MakeTag(fileName, &entry, !(entry.Attributes & faDirectory));
    return MakeTag(fileName, nullptr, false);
}

bool TMyMediaStrings::Search()
{
    m_expandCancelled = false;
    const bool done = TMyFileStrings::Search();
    if (done)
        ExpandPlaylists(CheckExists);
    return done && !m_expandCancelled;
}

bool TMyMediaStrings::SearchList(const TMyWStrings &targets)
{
    if (&targets != &SearchTargets())
        SetSearchTargets(targets);
    return SearchCancellable();
}

bool TMyMediaStrings::SearchTarget(const QString &target)
{
    TMyWStrings one;
    one.Add(target);
    return SearchList(one);
}

bool TMyMediaStrings::CancelRequested()
{
    if (OnCancelQuery)
        return OnCancelQuery(this);
    return platform::IsTerminating();
}

int TMyMediaStrings::ExpandPlaylists(bool checkExists)
{
    m_expandCancelled = false;
    if (std::none_of(m_items.cbegin(), m_items.cend(), [](const Item &item) { return IsPlaylistFile(item.text); }))
        return 0;
    m_folderSeen.clear();
    const int before = Count();
    QSet<QString> visited;
    // First every playlist entry is read, from the last to the first (the visited guard sees
    // them in that order), each collecting its entries last to first. Then each playlist entry
    // is deleted (through Delete, so its tag is freed and a derived list keeps its books) and
    // its entries go in at its index in one insertion. Inserting every entry at a fixed index
    // instead would move the whole tail once per entry.
    struct Expansion {
        int index;
        QList<Item> reversed;
    };
    std::vector<Expansion> expansions;
    for (int i = int(m_items.size()) - 1; i >= 0; --i) {
        if (CancelRequested()) {
            m_expandCancelled = true;
            break;
        }
        if (!IsPlaylistFile(m_items[i].text))
            continue;
        Expansion e{i, {}};
        const bool done = ReadPlaylist(m_items[i].text, visited, checkExists, e.reversed);
        expansions.push_back(std::move(e));
        if (!done) {
            m_expandCancelled = true;
            break;
        }
    }
    BeginUpdate();
    for (Expansion &e : expansions) {  // highest index first: lower ones stay where they are
        Delete(e.index);
        const qsizetype n = e.reversed.size();
        if (n == 0)
            continue;
        m_items.insert(e.index, n, Item{});
        for (qsizetype k = 0; k < n; ++k)
            m_items[e.index + k] = std::move(e.reversed[n - 1 - k]);
    }
    EndUpdate();
    // The lines of a long playlist were freed among the entries made from them; their pages go
    // back to the system rather than stay with the process as long as the list lives.
    if (Count() - before >= kReturnMemoryAfter)
        platform::ReturnFreeMemory();
    Changed();
    return Count() - before;
}

bool TMyMediaStrings::ReadPlaylist(const QString &fileName, QSet<QString> &visited, bool checkExists,
                                   QList<Item> &reversed, int depth)
{
    if (depth >= kMaxPlaylistNesting)
        return true;
    const QString key = VisitKey(fileName);
    if (visited.contains(key))
        return true;
    visited.insert(key);

    const PlaylistFormat format = PlaylistFormatOf(fileName);
    QStringList raw = ReadPlaylistEntries(fileName);
    const QString base = ExtractFilePath(fileName);
    const bool filterLines = format == PlaylistFormat::M3U || format == PlaylistFormat::M3U8;
    int number = 0;
    // Last to first, as the list is rebuilt; a playlist named twice is read where it is met
    // first from the end.
    for (qsizetype k = raw.size() - 1; k >= 0; --k) {
        if (++m_eventTick % kEventsEvery == 0) {
            platform::ProcessEvents();
            if (CancelRequested())
                return false;
        }
        const QStringView trimmed = TrimEntry(raw[k]);
        if (trimmed.isEmpty())
            continue;
        // M3U lines pass the extension filter as they are read, nested playlists included.
        if (filterLines && !IsAcceptable(trimmed.toString()))
            continue;
        const bool asWritten = HasDriveLetter(trimmed);
        const QString path = asWritten ? trimmed.toString() : ExpandRelativePath(trimmed, base);
        TMySearchRec entry;
        const bool url = IsUrl(path);
        const bool found = !url && !asWritten && LookUpEntry(path, entry);
        const bool isFile = found && !(entry.Attributes & faDirectory);
        if (checkExists && !isFile)
            continue;
        if (IsPlaylistFile(path) && !url && !asWritten) {
            if (!ReadPlaylist(path, visited, checkExists, reversed, depth + 1))
                return false;
            continue;
        }
        if (!IsAcceptable(path))
            continue;
        reversed.append(Item{path, MakeTag(path, found ? &entry : nullptr, isFile)});
        if (OnFileFound)
            OnFileFound(this, ++number, path);
    }
    raw.clear();
    return true;
}

// Sorting.

void TMyMediaStrings::SortByText(bool ascending, int first, int last,
                                 const std::function<QString(const TMyTag *, const QString &)> &key)
{
    first = std::max(first, 0);
    if (last < 0 || last >= Count())
        last = Count() - 1;
    if (last <= first)
        return;
    NumeralNameKeys keys;
    keys.Reserve(last - first + 1);
    for (int i = first; i <= last; ++i)
        keys.Add(key(Tag(i), m_items[i].text));
    CustomSortRange(first, last, [&keys, first, ascending](const TMyWStrings &, int a, int b) {
        return ascending ? keys.Compare(a - first, b - first) : keys.Compare(b - first, a - first);
    });
}

void TMyMediaStrings::SortByInteger(bool ascending, int first, int last,
                                    const std::function<qint64(const TMyTag *, const QString &)> &key)
{
    first = std::max(first, 0);
    if (last < 0 || last >= Count())
        last = Count() - 1;
    if (last <= first)
        return;
    std::vector<qint64> values;
    values.reserve(size_t(last - first + 1));
    for (int i = first; i <= last; ++i)
        values.push_back(key(Tag(i), m_items[i].text));
    CustomSortRange(first, last, [&values, first, ascending](const TMyWStrings &, int a, int b) {
        const qint64 x = values[size_t(a - first)], y = values[size_t(b - first)];
        const int c = x < y ? -1 : x > y ? 1 : 0;
        return ascending ? c : -c;
    });
}

void TMyMediaStrings::SortByReal(bool ascending, int first, int last, const std::function<double(const TMyTag *)> &key)
{
    first = std::max(first, 0);
    if (last < 0 || last >= Count())
        last = Count() - 1;
    if (last <= first)
        return;
    std::vector<double> values;
    values.reserve(size_t(last - first + 1));
    for (int i = first; i <= last; ++i) {
        const TMyTag *tag = Tag(i);
        const double v = tag ? key(tag) : 0.0;
        values.push_back(v == v ? v : 0.0);  // a NaN would break the order
    }
    CustomSortRange(first, last, [&values, first, ascending](const TMyWStrings &, int a, int b) {
        const double x = values[size_t(a - first)], y = values[size_t(b - first)];
        const int c = x < y ? -1 : x > y ? 1 : 0;
        return ascending ? c : -c;
    });
}

void TMyMediaStrings::SortByName(bool ascending, int first, int last)
{
    SortByText(ascending, first, last,
               [](const TMyTag *t, const QString &path) { return t ? t->Name() : ExtractFileName(path); });
}

void TMyMediaStrings::SortByFolder(bool ascending, int first, int last)
{
    SortByText(ascending, first, last,
               [](const TMyTag *t, const QString &path) { return t ? t->Folder() : ExtractFileDir(path); });
}

void TMyMediaStrings::SortByExt(bool ascending, int first, int last)
{
    SortByText(ascending, first, last,
               [](const TMyTag *t, const QString &path) { return t ? t->Extension() : ExtractFileExt(path); });
}

void TMyMediaStrings::SortBySize(bool ascending, int first, int last)
{
    SortByInteger(ascending, first, last,
                  [](const TMyTag *t, const QString &path) { return t ? t->FileSize : FileSize(path); });
}

void TMyMediaStrings::SortByWriteTime(bool ascending, int first, int last)
{
    SortByInteger(ascending, first, last,
                  [](const TMyTag *t, const QString &path) { return t ? t->FileWriteTime : FileWriteTime(path); });
}

void TMyMediaStrings::SortByCreationTime(bool ascending, int first, int last)
{
    SortByInteger(ascending, first, last, [](const TMyTag *t, const QString &path) {
        return t ? t->FileCreateTime : FileCreationTime(path);
    });
}

void TMyMediaStrings::SortByDuration(bool ascending, int first, int last)
{
    SortByReal(ascending, first, last, [](const TMyTag *t) { return t->MediaDuration; });
}

void TMyMediaStrings::SortByDurationSeconds(bool ascending, int first, int last)
{
    SortByInteger(ascending, first, last, [](const TMyTag *t, const QString &) -> qint64 {
        return t ? DurationSecondsNearest(t->MediaDuration) : 0;
    });
}

void TMyMediaStrings::SortByVideoSize(bool ascending, int first, int last)
{
    SortByInteger(ascending, first, last, [](const TMyTag *t, const QString &) -> qint64 {
        return t ? (qint64(t->VideoWidth) << 32) + qint64(uint32_t(t->VideoHeight)) : 0;
    });
}

void TMyMediaStrings::SortByFrameRate(bool ascending, int first, int last)
{
    SortByReal(ascending, first, last, [](const TMyTag *t) { return t->VideoFrameRate; });
}

#define TAVIO_TEXT_SORT(Method, Field)                                                                          \
    void TMyMediaStrings::Method(bool ascending, int first, int last)                                           \
    {                                                                                                           \
        SortByText(ascending, first, last, [](const TMyTag *t, const QString &) { return t ? t->Texts().Field : QString(); }); \
    }

TAVIO_TEXT_SORT(SortByAlbum, Album)
TAVIO_TEXT_SORT(SortByAlbumArtist, AlbumArtist)
TAVIO_TEXT_SORT(SortByArtist, Artist)
TAVIO_TEXT_SORT(SortByComposer, Composer)
TAVIO_TEXT_SORT(SortByConductor, Conductor)
TAVIO_TEXT_SORT(SortByGenre, Genre)
TAVIO_TEXT_SORT(SortByTrack, Track)
TAVIO_TEXT_SORT(SortByWriter, Writer)

#undef TAVIO_TEXT_SORT

void TMyMediaStrings::SortByTitle(bool ascending, int first, int last)
{
    SortByText(ascending, first, last, [](const TMyTag *t, const QString &) { return t ? t->TitleOrName() : QString(); });
}

void MakeEntriesRelative(TMyWStrings &entries, const QString &playlistFile)
{
    for (int i = 0; i < entries.Count(); ++i)
        entries.Put(i, MakeRelativePath(entries.Get(i), playlistFile));
}
