// The media list: entries owning their tags, playlist expansion inside searches, saving with
// relative paths and reading back, Windows-made playlists, sorts by file and tag keys.
#include "tags/mymediastrings.h"

#include "platform/codepage.h"
#include "support/tempdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <gtest/gtest.h>

#include <unistd.h>

void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace {

// A test folder with helpers to make media files and playlists in it.
class Fixture : public TestDir {
public:
    QString File(const QString &name, qsizetype size = 0) const
    {
        const QString p = Path(name);
        QDir().mkpath(QFileInfo(p).absolutePath());
        QFile f(p);
        if (f.open(QIODevice::WriteOnly))
            f.write(QByteArray(size, 'x'));
        return p;
    }
    QString Text(const QString &name, const QByteArray &bytes) const
    {
        const QString p = Path(name);
        QDir().mkpath(QFileInfo(p).absolutePath());
        return Write(name, bytes);
    }
};

QStringList Entries(const TMyWStrings &list) { return list.ToStringList(); }

struct ListOf : TMyWStrings {
    explicit ListOf(const QStringList &entries) { AddStrings(entries); }
};

// A tag that counts its own destruction, to see who frees what.
int g_freed = 0;
struct CountedTag : TMyTag {
    ~CountedTag() override { ++g_freed; }
};

TEST(MediaStrings, EntriesOwnTheirTags)
{
    g_freed = 0;
    {
        TMyMediaStrings list;
        for (const char *name : {"a.mp3", "b.mp3", "c.mp3", "b.mp3"})
            list.AddObject(name, new CountedTag);
        list.Move(0, 2);
        list.Exchange(0, 1);
        EXPECT_EQ(g_freed, 0);
        list.Delete(0);
        EXPECT_EQ(g_freed, 1);
        EXPECT_FALSE(list.OwnsObjects);
        list.Clear();
        EXPECT_EQ(g_freed, 4);
        list.AddObject("d.mp3", new CountedTag);
    }
    EXPECT_EQ(g_freed, 5);  // the list's end frees what it still holds

    // A refused entry's tag is freed at once.
    TMyMediaStrings filtered;
    filtered.SetAllowedExtensions({".mp3"});
    g_freed = 0;
    EXPECT_EQ(filtered.AddObject("x.wav", new CountedTag), -1);
    EXPECT_EQ(g_freed, 1);
}

TEST(MediaStrings, EntryTagsHoldOnlyTheDirectoryFacts)
{
    Fixture dir;
    const QString song = dir.File("music/Song.mp3", 1234);
    TMyMediaStrings list;
    ASSERT_TRUE(list.SearchTarget(dir.Path("music/")));
    ASSERT_EQ(Entries(list), QStringList{song});
    const TMyTag *tag = list.Tag(0);
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->FileName, song);
    EXPECT_EQ(tag->Name(), QStringLiteral("Song.mp3"));
    EXPECT_EQ(tag->Folder(), dir.Path("music"));
    EXPECT_EQ(tag->FileSize, 1234);
    EXPECT_GT(tag->FileWriteTime, 0);
    EXPECT_EQ(tag->MediaDuration, 0.0);
    EXPECT_TRUE(tag->Texts().Title.isEmpty());
    EXPECT_TRUE(tag->FileFound());
    EXPECT_TRUE(tag->FolderFound());

    std::unique_ptr<TMyTag> missing(list.CreateTagFor(dir.Path("music/none.mp3")));
    EXPECT_EQ(missing->FileSize, 0);
    EXPECT_FALSE(missing->FileFound());
    EXPECT_TRUE(missing->FolderFound());
    std::unique_ptr<TMyTag> wild(list.CreateTagFor(dir.Path("music/*.mp3")));
    EXPECT_FALSE(wild->FileFound()) << "a playlist entry is a name, not a pattern";
}

// '#EXTM3U', '#EXTINF:123,Artist - Title', 'a.mp3', 'sub\b.mp3' in folder p yields p/a.mp3 and
// p/sub/b.mp3 in that order, in the place the playlist had in the list.
TEST(MediaStrings, PlaylistExpandsInPlaceAndInFileOrder)
{
    Fixture dir;
    const QString a = dir.File("p/a.mp3"), b = dir.File("p/sub/b.mp3");
    const QString first = dir.File("p/0 first.mp3"), last = dir.File("p/z last.mp3");
    const QString m3u = dir.Text("p/list.m3u", "#EXTM3U\r\n#EXTINF:123,Artist - Title\r\na.mp3\r\n  sub\\b.mp3  \r\n\r\n");
    TMyMediaStrings list;
    QStringList found;
    list.OnFileFound = [&](TMyFileStrings *, int, const QString &name) { found << name; };
    ASSERT_TRUE(list.SearchList(ListOf({first, m3u, last})));
    EXPECT_EQ(Entries(list), (QStringList{first, a, b, last}));
    EXPECT_EQ(found.size(), 5);  // the three targets, then the playlist's two entries
    EXPECT_TRUE(found.contains(a) && found.contains(b));
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_EQ(list.Tag(i)->FileName, list.Get(i));

    // ExpandPlaylists on a list that holds playlist entries: the change of Count comes back,
    // and each playlist entry leaves through Delete (its tag freed, a derived list told).
    struct Recording : TMyMediaStrings {
        QList<int> deleted;
        void Delete(int index) override
        {
            deleted << index;
            TMyMediaStrings::Delete(index);
        }
    } direct;
    const QString empty = dir.Text("p/empty.m3u8", "");
    g_freed = 0;
    direct.AddObject(m3u, new CountedTag);
    direct.AddObject(last, new TMyTag);
    direct.AddObject(empty, new CountedTag);
    direct.AddObject(m3u, new CountedTag);
    EXPECT_EQ(direct.ExpandPlaylistsChecked(), -1);  // 3 playlists out, 2 entries in (m3u read once)
    EXPECT_EQ(g_freed, 3);
    EXPECT_EQ(direct.deleted, (QList<int>{3, 2, 0}));
    EXPECT_EQ(Entries(direct), (QStringList{last, a, b}));
    EXPECT_EQ(direct.ExpandPlaylists(true), 0);
}

TEST(MediaStrings, PlaylistsFoundInAFolderSearchAreExpanded)
{
    Fixture dir;
    const QString a = dir.File("m/1 a.mp3"), c = dir.File("m/3 c.mp3"), other = dir.File("elsewhere/x.mp3");
    dir.Text("m/2 list.m3u8", "../elsewhere/x.mp3\r\n");
    TMyMediaStrings list;
    ASSERT_TRUE(list.SearchTarget(dir.Path("m/")));
    EXPECT_EQ(Entries(list), (QStringList{a, other, c}));
}

TEST(MediaStrings, PlaylistsThatIncludeEachOtherAreReadOnce)
{
    Fixture dir;
    const QString a = dir.File("a.mp3"), b = dir.File("b.mp3");
    // one.m3u names itself and two.pls; two.pls names one.m3u back (through "./" and "..").
    const QString one = dir.Text("one.m3u", "a.mp3\r\none.m3u\r\ntwo.pls\r\n./one.m3u\r\n");
    dir.Text("sub/.keep", "");
    dir.Text("two.pls", "[playlist]\r\nNumberOfEntries=2\r\nFile1=b.mp3\r\nFile2=sub/../one.m3u\r\n");
    TMyMediaStrings list;
    ASSERT_TRUE(list.SearchTarget(one));
    EXPECT_EQ(Entries(list), (QStringList{a, b}));

    // A later call may read the same playlists again.
    ASSERT_TRUE(list.AppendSearchTarget(one));
    EXPECT_EQ(Entries(list), (QStringList{a, b, a, b}));
}

// A link back into the playlist's own folder gives ever longer names of the same file
// ("loop/p.m3u", "loop/loop/p.m3u", ...); the file is still read once.
TEST(MediaStrings, PlaylistReachedThroughALinkCycleIsReadOnce)
{
    Fixture dir;
    const QString x = dir.File("d/x.mp3");
    const QString p = dir.Text("d/p.m3u", "loop/p.m3u\r\nx.mp3\r\n");
    ASSERT_EQ(symlink(".", QFile::encodeName(dir.Path("d/loop")).constData()), 0);
    TMyMediaStrings list;
    ASSERT_TRUE(list.SearchTarget(p));
    EXPECT_EQ(Entries(list), QStringList{x});
}

// A chain of distinct playlists, each naming the next, is followed to a fixed depth and no
// further (tens of thousands of levels would run the reading out of stack).
TEST(MediaStrings, PlaylistChainsAreFollowedToAFixedDepth)
{
    Fixture dir;
    const int depth = TMyMediaStrings::kMaxPlaylistNesting;
    QStringList expected;
    for (int i = 0; i < depth + 20; ++i) {
        const QString media = dir.File(QStringLiteral("m%1.mp3").arg(i));
        if (i < depth)
            expected << media;
        dir.Text(QStringLiteral("p%1.m3u").arg(i), QStringLiteral("m%1.mp3\r\np%2.m3u\r\n").arg(i).arg(i + 1).toUtf8());
    }
    TMyMediaStrings list;
    ASSERT_TRUE(list.SearchTarget(dir.Path(QStringLiteral("p0.m3u"))));
    EXPECT_EQ(Entries(list), expected);
}

// File names differ in case on Linux: a.m3u and A.m3u are two playlists, and both are read.
TEST(MediaStrings, VisitedPlaylistsCompareExactly)
{
    Fixture dir;
    const QString one = dir.File("1.mp3"), two = dir.File("2.mp3");
    const QString lower = dir.Text("a.m3u", "1.mp3\r\nA.m3u\r\n");
    dir.Text("A.m3u", "2.mp3\r\na.m3u\r\n");
    TMyMediaStrings list;
    ASSERT_TRUE(list.SearchTarget(lower));
    EXPECT_EQ(Entries(list), (QStringList{one, two}));
}

TEST(MediaStrings, ExistenceCheckAndExtensionFilter)
{
    Fixture dir;
    const QString a = dir.File("a.mp3"), w = dir.File("w.wav");
    dir.File("folder.mp3/inside.mp3");
    const QString m3u = dir.Text("l.m3u", "a.mp3\r\nmissing.mp3\r\nw.wav\r\nfolder.mp3\r\nnested.pls\r\n"
                                          "http://example.invalid/s.mp3\r\n");
    dir.Text("nested.pls", "[playlist]\r\nNumberOfEntries=1\r\nFile1=a.mp3\r\n");

    TMyMediaStrings checked;
    ASSERT_TRUE(checked.SearchTarget(m3u));
    EXPECT_EQ(Entries(checked), (QStringList{a, w, a}));

    // The player's way: entries of playlists enter without the existence test and show as missing.
    TMyMediaStrings unchecked;
    unchecked.CheckExists = false;
    ASSERT_TRUE(unchecked.SearchTarget(m3u));
    EXPECT_EQ(Entries(unchecked), (QStringList{a, dir.Path("missing.mp3"), w, dir.Path("folder.mp3"), a,
                                               "http://example.invalid/s.mp3"}));
    EXPECT_FALSE(unchecked.Tag(1)->FileFound());
    EXPECT_TRUE(unchecked.Tag(1)->FolderFound());
    EXPECT_FALSE(unchecked.Tag(3)->FileFound());

    // M3U lines go through the filter as they are read: a nested playlist the filter refuses is
    // not read at all.
    TMyMediaStrings filtered;
    filtered.SetAllowedExtensions({".mp3", ".m3u"});
    ASSERT_TRUE(filtered.SearchTarget(m3u));
    EXPECT_EQ(Entries(filtered), QStringList{a});
    filtered.Clear();
    filtered.SetAllowedExtensions({".mp3", ".m3u", ".pls"});
    ASSERT_TRUE(filtered.SearchTarget(m3u));
    EXPECT_EQ(Entries(filtered), (QStringList{a, a}));
}

// A ".m3u8" whose first bytes are a byte-order mark keeps its first entry.
TEST(MediaStrings, ByteOrderMarkDoesNotEatTheFirstEntry)
{
    Fixture dir;
    const QString a = dir.File("a.mp3"), b = dir.File("b.mp3");
    for (const QByteArray &text : {QByteArray("\xEF\xBB\xBF" "a.mp3\r\nb.mp3\r\n"),
                                   QByteArray("\xEF\xBB\xBF#EXTM3U\r\na.mp3\r\nb.mp3\r\n")}) {
        const QString m3u8 = dir.Text("bom.m3u8", text);
        TMyMediaStrings list;
        ASSERT_TRUE(list.SearchTarget(m3u8));
        EXPECT_EQ(Entries(list), (QStringList{a, b}));
    }
}

// Playlists made on Windows: CP932 ".m3u" and ".pls", UTF-8 ".m3u8" and ".wpl", "\" separators
// resolving against the playlist's folder, drive-letter entries kept as written.
TEST(MediaStrings, WindowsMadePlaylistsResolveAgainstTheirFolder)
{
    Fixture dir;
    const QString song = dir.File(QStringLiteral("lists/音楽/第１話 テーマ曲.mp3"));
    const QString up = dir.File(QStringLiteral("other/ｶﾗｵｹ & 歌.wma"));
    const QByteArray sjisSong = platform::WideToAnsi(u"音楽\\第１話 テーマ曲.mp3");
    const QByteArray sjisUp = platform::WideToAnsi(u"..\\other\\ｶﾗｵｹ & 歌.wma");
    const QByteArray utf8Song = QStringLiteral("音楽\\第１話 テーマ曲.mp3").toUtf8();
    const QByteArray utf8Up = QStringLiteral("..\\other\\ｶﾗｵｹ &amp; 歌.wma").toUtf8();
    struct Sample {
        const char *name;
        QByteArray bytes;
    } samples[] = {
        {"lists/w.m3u", "#EXTM3U\r\n" + sjisSong + "\r\n" + sjisUp + "\r\nC:\\Music\\gone.mp3\r\n"},
        {"lists/w.pls", "[playlist]\r\nFile1=" + sjisSong + "\r\nFile2=" + sjisUp +
                            "\r\nFile3=C:\\Music\\gone.mp3\r\nNumberOfEntries=3\r\nVersion=2\r\n"},
        {"lists/w.m3u8", "\xEF\xBB\xBF" + utf8Song + "\r\n" + QStringLiteral("..\\other\\ｶﾗｵｹ & 歌.wma").toUtf8() +
                             "\r\nC:\\Music\\gone.mp3\r\n"},
        {"lists/w.wpl", "\xEF\xBB\xBF<?wpl version=\"1.0\"?>\r\n<smil>\r\n  <head>\r\n    <title>w</title>\r\n  </head>\r\n"
                        "  <body>\r\n    <seq>\r\n      <media src=\"" + utf8Song + "\" tid=\"{A}\"/>\r\n"
                        "      <media src=\"" + utf8Up + "\"/>\r\n      <media src=\"C:\\Music\\gone.mp3\"/>\r\n"
                        "    </seq>\r\n  </body>\r\n</smil>\r\n"},
    };
    for (const Sample &s : samples) {
        const QString file = dir.Text(s.name, s.bytes);
        TMyMediaStrings list;
        list.CheckExists = false;
        ASSERT_TRUE(list.SearchTarget(file)) << s.name;
        EXPECT_EQ(Entries(list), (QStringList{song, up, "C:\\Music\\gone.mp3"})) << s.name;
        ASSERT_EQ(list.Count(), 3);
        EXPECT_TRUE(list.Tag(0)->FileFound() && list.Tag(1)->FileFound()) << s.name;
        EXPECT_FALSE(list.Tag(2)->FileFound()) << s.name;
        // With the existence test the drive-letter entry goes.
        TMyMediaStrings checked;
        ASSERT_TRUE(checked.SearchTarget(file));
        EXPECT_EQ(Entries(checked), (QStringList{song, up})) << s.name;
    }
}

// Saved with relative paths in each format and read back, the list is the same: Japanese
// names, and the characters each format treats specially.
TEST(MediaStrings, SaveRelativeAndReadBackInEveryFormat)
{
    Fixture dir;
    const QStringList names = {
        QStringLiteral("music/第１０話 ～ テーマ.mp3"),
        QStringLiteral("music/#1 hit.mp3"),
        QStringLiteral("music/a=b.mp3"),
        QStringLiteral("music/Tom & Jerry's <best> \"live\".mp3"),
        QStringLiteral("music/sub/한국어 ♫.mp3"),  // outside windows-932
        QStringLiteral("other/far.mp3"),
        QStringLiteral("lists/here.mp3"),
    };
    QStringList absolute;
    for (const QString &n : names)
        absolute << dir.File(n);
    const QString outside = QDir::cleanPath(dir.Root() + "/../") + "/tavio-not-there.mp3";
    absolute << outside;  // exists nowhere: checked lists drop it, unchecked ones keep it

    for (const char *file : {"lists/r.m3u", "lists/r.m3u8", "lists/r.pls", "lists/r.wpl"}) {
        const QString target = dir.Path(file);
        ListOf entries(absolute);
        MakeEntriesRelative(entries, target);
        EXPECT_EQ(entries.Get(0), QStringLiteral("../music/第１０話 ～ テーマ.mp3"));
        EXPECT_EQ(entries.Get(5), QStringLiteral("../other/far.mp3"));
        EXPECT_EQ(entries.Get(6), QStringLiteral("./here.mp3"));
        ASSERT_TRUE(SavePlaylistByExtension(entries, target)) << file;

        TMyMediaStrings list;
        list.CheckExists = false;
        ASSERT_TRUE(list.SearchTarget(target)) << file;
        EXPECT_EQ(Entries(list), absolute) << file;

        TMyMediaStrings checked;
        ASSERT_TRUE(checked.SearchTarget(target)) << file;
        EXPECT_EQ(Entries(checked), absolute.mid(0, names.size())) << file;
    }
}

TEST(MediaStrings, CancellingStopsAndLeavesTheRestUnexpanded)
{
    Fixture dir;
    QByteArray lines;
    for (int i = 0; i < 1000; ++i)
        lines += "n" + QByteArray::number(i) + ".mp3\r\n";
    const QString p1 = dir.Text("p1.m3u8", lines), p2 = dir.Text("p2.m3u8", lines);
    TMyMediaStrings list;
    list.CheckExists = false;
    list.AddObject(p1, new TMyTag);
    list.AddObject(p2, new TMyTag);
    int asked = 0;
    list.OnCancelQuery = [&](TMyFileStrings *) { return ++asked > 5; };
    list.ExpandPlaylists(false);
    // p2 (read first, from the end) was cut short; p1 is still there, unexpanded.
    ASSERT_GT(list.Count(), 2);
    EXPECT_LT(list.Count(), 1001);
    EXPECT_EQ(list.Get(0), p1);
    EXPECT_EQ(list.Get(list.Count() - 1), dir.Path("n999.mp3"));

    // A search whose expansion is cancelled reports the cancellation.
    TMyMediaStrings search;
    search.CheckExists = false;
    asked = 0;
    search.OnCancelQuery = [&](TMyFileStrings *) { return ++asked > 8; };
    EXPECT_FALSE(search.SearchTarget(p1));
}

// Text keys use the numeral-aware comparison; numbers compare as numbers; descending reverses
// the order and keeps equal entries as they were.
TEST(MediaStrings, SortsByTagKeys)
{
    struct Row {
        const char *path;
        const char16_t *track, *title, *artist;
        double duration;
        int width, height;
        double fps;
        qint64 size;
    } rows[] = {
        {"/m/e.mp3", u"10", u"", u"B", 61.6, 0, 0, 0, 30},
        {"/m/d.mp3", u"2", u"第十話", u"a", 59.4, 640, 480, 29.97, 10},
        {"/m/c.mp3", u"1", u"第2話", u"b", 61.4, 640, 360, 25, 20},
        {"/n/b.mp3", u"2", u"Zulu", u"", 5, 1280, 720, 60, 10},
    };
    TMyMediaStrings list;
    for (const Row &r : rows) {
        auto *tag = new TMyTag;
        tag->SetFileName(r.path);
        tag->EditTexts().Track = QString::fromUtf16(r.track);
        tag->EditTexts().Title = QString::fromUtf16(r.title);
        tag->EditTexts().Artist = QString::fromUtf16(r.artist);
        tag->MediaDuration = r.duration;
        tag->VideoWidth = r.width;
        tag->VideoHeight = r.height;
        tag->VideoFrameRate = r.fps;
        tag->FileSize = r.size;
        list.AddObject(r.path, tag);
    }
    list.AddObject("/z/untagged.mp3", nullptr);
    auto order = [&] {
        QString s;
        for (int i = 0; i < list.Count(); ++i)
            s += ExtractFileBaseName(list.Get(i)).left(1);
        return s;
    };
    list.SortByTrack();
    EXPECT_EQ(order(), QStringLiteral("ucdbe"));  // no tag: empty text first; "2" < "10"
    list.SortByTrack(false);
    EXPECT_EQ(order(), QStringLiteral("edbcu"));  // d and b keep their order
    list.SortByTitle();
    EXPECT_EQ(order(), QStringLiteral("uebcd"));  // no title: "e" by its base name; 2 < 十
    list.SortByArtist();
    EXPECT_EQ(order(), QStringLiteral("ubdec"));  // case is ignored; ties keep their order
    list.SortByDuration();
    EXPECT_EQ(order(), QStringLiteral("ubdce"));
    list.SortByDurationSeconds();
    EXPECT_EQ(order(), QStringLiteral("ubdce"));  // 61.4 and 61.6 are 61 and 62
    list.SortByVideoSize();
    EXPECT_EQ(order(), QStringLiteral("uecdb"));  // width first, then height
    list.SortByFrameRate(false);
    EXPECT_EQ(order(), QStringLiteral("bdcue"));
    list.SortBySize();
    EXPECT_EQ(order(), QStringLiteral("ubdce"));  // no tag: the file's size (none: 0)
    list.SortByFolder(false);
    EXPECT_EQ(order(), QStringLiteral("ubdce"));
    // A range: only entries 1..3 move.
    list.SortByName(true, 1, 3);
    EXPECT_EQ(order(), QStringLiteral("ubcde"));
    list.SortByName(false, 2, -1);
    EXPECT_EQ(order(), QStringLiteral("ubedc"));
}

// Every sort key, both ways, over a fresh list each time. Each key orders the four tagged entries
// differently from every other key of its kind, so a sort that reads the wrong field shows; the
// entry without a tag ("u") has the empty text or 0 of the tag keys and its file's facts for the
// file keys. Equal keys keep the list's order, also when descending.
TEST(MediaStrings, EverySortKeyInBothDirections)
{
    struct Row {
        char label;
        const char *path;
        qint64 size, writeTime, createTime;
        double duration;
        int width, height;
        double fps;
        const char16_t *album, *albumArtist, *artist, *composer, *conductor, *genre, *title, *track, *writer;
    } rows[] = {
        {'a', "/d/B/n3.ext2", 30, 4, 1, 61.4, 640, 480, 25, u"Delta", u"alpha", u"Bravo", u"charlie", u"alpha",
         u"Delta", u"", u"2", u"Bravo"},
        {'b', "/d/a/n1.ext4", 10, 3, 3, 59.4, 640, 360, 60, u"alpha", u"Delta", u"charlie", u"Bravo", u"Bravo",
         u"charlie", u"Zulu", u"1", u"Delta"},
        {'c', "/d/C10/n4.ext1", 40, 2, 4, 61.3, 1280, 720, 23.976, u"charlie", u"Bravo", u"Delta", u"alpha",
         u"Delta", u"Bravo", u"第2話", u"10", u"alpha"},
        {'d', "/d/C9/n2.ext3", 20, 1, 2, 5, 320, 240, 29.97, u"Bravo", u"charlie", u"alpha", u"Delta", u"charlie",
         u"alpha", u"第十話", u"20", u"charlie"},
    };
    using Sort = void (TMyMediaStrings::*)(bool, int, int);
    const struct Case {
        const char *name;
        Sort sort;
        const char *ascending, *descending;
    } cases[] = {
        {"name", &TMyMediaStrings::SortByName, "bdacu", "ucadb"},
        // Folders compare as paths ("/z" is a name in "/", before "/d/..."); a < B, C9 < C10.
        {"folder", &TMyMediaStrings::SortByFolder, "ubadc", "cdabu"},
        {"extension", &TMyMediaStrings::SortByExt, "ucadb", "bdacu"},
        {"size", &TMyMediaStrings::SortBySize, "ubdac", "cadbu"},
        {"write time", &TMyMediaStrings::SortByWriteTime, "udcba", "abcdu"},
        {"creation time", &TMyMediaStrings::SortByCreationTime, "uadbc", "cbdau"},
        {"duration", &TMyMediaStrings::SortByDuration, "udbca", "acbdu"},
        {"seconds", &TMyMediaStrings::SortByDurationSeconds, "udbac", "acbdu"},  // 61.4 and 61.3 are both 61
        {"video size", &TMyMediaStrings::SortByVideoSize, "udbac", "cabdu"},    // width, then height
        {"frame rate", &TMyMediaStrings::SortByFrameRate, "ucadb", "bdacu"},
        {"album", &TMyMediaStrings::SortByAlbum, "ubdca", "acdbu"},
        {"album artist", &TMyMediaStrings::SortByAlbumArtist, "uacdb", "bdcau"},
        {"artist", &TMyMediaStrings::SortByArtist, "udabc", "cbadu"},
        {"composer", &TMyMediaStrings::SortByComposer, "ucbad", "dabcu"},
        {"conductor", &TMyMediaStrings::SortByConductor, "uabdc", "cdbau"},
        {"genre", &TMyMediaStrings::SortByGenre, "udcba", "abcdu"},
        {"title", &TMyMediaStrings::SortByTitle, "uabcd", "dcbau"},  // a by its base name "n3"
        {"track", &TMyMediaStrings::SortByTrack, "ubacd", "dcabu"},  // 1 < 2 < 10 < 20
        {"writer", &TMyMediaStrings::SortByWriter, "ucadb", "bdacu"},
    };
    for (const Case &c : cases) {
        for (const bool ascending : {true, false}) {
            TMyMediaStrings list;
            QHash<QString, char> labels;
            for (const Row &r : rows) {
                auto *tag = new TMyTag;
                tag->SetFileName(r.path);
                tag->FileSize = r.size;
                tag->FileWriteTime = r.writeTime;
                tag->FileCreateTime = r.createTime;
                tag->MediaDuration = r.duration;
                tag->VideoWidth = r.width;
                tag->VideoHeight = r.height;
                tag->VideoFrameRate = r.fps;
                tag->EditTexts().Album = QString::fromUtf16(r.album);
                tag->EditTexts().AlbumArtist = QString::fromUtf16(r.albumArtist);
                tag->EditTexts().Artist = QString::fromUtf16(r.artist);
                tag->EditTexts().Composer = QString::fromUtf16(r.composer);
                tag->EditTexts().Conductor = QString::fromUtf16(r.conductor);
                tag->EditTexts().Genre = QString::fromUtf16(r.genre);
                tag->EditTexts().Title = QString::fromUtf16(r.title);
                tag->EditTexts().Track = QString::fromUtf16(r.track);
                tag->EditTexts().Writer = QString::fromUtf16(r.writer);
                list.AddObject(r.path, tag);
                labels.insert(r.path, r.label);
            }
            list.AddObject("/z/u0.ext0", nullptr);  // no such file: size and times 0
            labels.insert("/z/u0.ext0", 'u');
            (list.*c.sort)(ascending, 0, -1);
            std::string order;
            for (int i = 0; i < list.Count(); ++i)
                order += labels.value(list.Get(i), '?');
            EXPECT_EQ(order, ascending ? c.ascending : c.descending) << c.name << (ascending ? " ascending" : " descending");
        }
    }
}

TEST(MediaStrings, MakeEntriesRelativeKeepsWhatHasNoRelativeForm)
{
    ListOf entries({"/m/a/song.mp3", "/m/list-neighbour.mp3", "/x/y.mp3", "http://h/s.mp3", "C:\\w.mp3"});
    MakeEntriesRelative(entries, "/m/list.m3u");
    EXPECT_EQ(Entries(entries), (QStringList{"./a/song.mp3", "./list-neighbour.mp3", "../x/y.mp3", "http://h/s.mp3",
                                             "C:\\w.mp3"}));
}

} // namespace
