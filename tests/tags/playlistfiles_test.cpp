// Playlist file readers and writers at the level of files and their raw entries.
#include "tags/playlistfiles.h"

#include "platform/codepage.h"
#include "support/tempdir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

struct ListOf : TMyWStrings {
    explicit ListOf(const QStringList &entries) { AddStrings(entries); }
};

// Names that trip up one format or another: the comment mark of M3U, the key separator of PLS,
// the markup characters of WPL, Japanese inside and outside windows-932.
const QStringList kAwkwardNames = {
    QStringLiteral("/music/a.mp3"),
    QStringLiteral("./sub/#1 hit.mp3"),
    QStringLiteral("../up/a=b=c.mp3"),
    QStringLiteral("Tom & Jerry's <best> \"live\".mp3"),
    QStringLiteral("&amp; literally &lt;.mp3"),
    QStringLiteral("/音楽/第１０話 ～ テーマ.mp3"),
    QStringLiteral("http://example.invalid/stream?a=1&b=2"),
};

TEST(PlaylistFormat, ByExtensionIgnoringCase)
{
    EXPECT_EQ(PlaylistFormatOf(u"/a/b.M3U"), PlaylistFormat::M3U);
    EXPECT_EQ(PlaylistFormatOf(u"b.m3u8"), PlaylistFormat::M3U8);
    EXPECT_EQ(PlaylistFormatOf(u"b.Pls"), PlaylistFormat::PLS);
    EXPECT_EQ(PlaylistFormatOf(u"b.WPL"), PlaylistFormat::WPL);
    EXPECT_EQ(PlaylistFormatOf(u"b.mp3"), PlaylistFormat::None);
    EXPECT_EQ(PlaylistFormatOf(u"/dir.m3u/file"), PlaylistFormat::None);
    EXPECT_EQ(PlaylistFormatOf(u"m3u"), PlaylistFormat::None);
}

TEST(PlaylistParse, M3USkipsHeaderAndInformationLinesOnly)
{
    const QStringList entries =
        ParseM3UText(u"#EXTM3U\r\n#EXTINF:123,Artist - Title\r\na.mp3\r\nsub\\b.mp3\r\n#EXTM3U\r\n#note.mp3\r\n");
    EXPECT_EQ(entries, (QStringList{"a.mp3", "sub\\b.mp3", "#EXTM3U", "#note.mp3"}));
    // Bare CR and bare LF line ends, and a last line without one.
    EXPECT_EQ(ParseM3UText(u"a.mp3\rb.mp3\nc.mp3"), (QStringList{"a.mp3", "b.mp3", "c.mp3"}));
}

TEST(PlaylistParse, M3UByteOrderMarkIsNoPartOfTheFirstLine)
{
    EXPECT_EQ(ParseM3UText(u"\uFEFF#EXTM3U\r\na.mp3\r\n"), QStringList{"a.mp3"});
    EXPECT_EQ(ParseM3UText(u"\uFEFFa.mp3\r\n"), QStringList{"a.mp3"});
}

TEST(PlaylistParse, PLSEntriesByNumber)
{
    struct Case {
        const char16_t *text;
        QStringList entries;
    } cases[] = {
        // Missing keys leave empty entries (skipped later); order follows the numbers.
        {u"[playlist]\r\nNumberOfEntries=3\r\nFile3=c.mp3\r\nFile1=a.mp3\r\n", {"a.mp3", "", "c.mp3"}},
        // Keys and section names ignore case; of two equal keys the later wins.
        {u"[PlayList]\nnumberofentries=2\nFILE1=old.mp3\nfile2=b.mp3\nFile1=new.mp3\n", {"new.mp3", "b.mp3"}},
        // Every FileN key counts: entries beyond NumberOfEntries, and a missing, bad or zero count.
        {u"[playlist]\nNumberOfEntries=1\nFile1=a.mp3\nFile2=b.mp3\n", {"a.mp3", "b.mp3"}},
        {u"[playlist]\nFile1=a.mp3\n", {"a.mp3"}},
        {u"[playlist]\nFile2=b.mp3\nFile1=a.mp3\nTitle1=A\n", {"a.mp3", "b.mp3"}},
        {u"[playlist]\nNumberOfEntries=x\nFile1=a.mp3\n", {"a.mp3"}},
        {u"[playlist]\nNumberOfEntries=0\nFile1=a.mp3\nFile3=c.mp3\n", {"a.mp3", "", "c.mp3"}},
        {u"[playlist]\nNumberOfEntries=-4\nFile1=a.mp3\n", {"a.mp3"}},
        // Keys that only look like FileN are not entries.
        {u"[playlist]\nFile=x\nFile0=x\nFile-1=x\nFile1a=x\nFile99999999999=x\nFileName=x\n", {}},
        // Only the first playlist section is read; other sections do not leak in.
        {u"[other]\nNumberOfEntries=1\nFile1=x.mp3\n[ playlist ]\nNumberOfEntries=1\nFile1=a=b.mp3\n[playlist]\nFile1=z\n",
         {"a=b.mp3"}},
        // "[]" is no header: its lines stay in the section above.
        {u"[playlist]\nNumberOfEntries=2\nFile1=a.mp3\n[]\nFile2=b.mp3\n", {"a.mp3", "b.mp3"}},
        // A huge count costs nothing: only the keys present are visited.
        {u"[playlist]\nNumberOfEntries=2147483647\nFile2=b.mp3\n", {"", "b.mp3"}},
        {u"\uFEFF[playlist]\r\nNumberOfEntries=1\r\nFile1=a.mp3\r\n", {"a.mp3"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ParsePLSText(c.text), c.entries) << QString::fromUtf16(c.text).toStdString();
}

TEST(PlaylistParse, WPLReadsTheLastSequenceAndDecodesEntities)
{
    const QString text = QStringLiteral(
        "\uFEFF<?wpl version=\"1.0\"?>\r\n<smil>\r\n<head><title>x</title></head>\r\n<body>\r\n"
        "  <seq>\r\n"
        "    <media src=\"..\\Music\\a &amp; b.mp3\" tid=\"{1}\"/>\r\n"
        "    <MEDIA tid=\"{2}\" src='it&apos;s &lt;&quot;&gt; &#x3042;&#12354;.mp3'/>\r\n"
        "    <media src=\"&amp;lt; stays &lt;\"/>\r\n"
        "    <media src=\"&bogus; &#xD800; & alone\"/>\r\n"
        "    <ref src=\"not media.mp3\"/>\r\n"
        "  </seq>\r\n</body>\r\n</smil>\r\n");
    EXPECT_EQ(ParseWPLText(text), (QStringList{"..\\Music\\a & b.mp3", "it's <\"> ああ.mp3", "&lt; stays <",
                                               "&bogus; &#xD800; & alone"}));
    // Lines after the last </seq> and a block before <seq> are not read.
    EXPECT_EQ(ParseWPLText(u"<media src=\"x\"/>\n<seq>\n<media src=\"a\"/>\n</seq>\n<media src=\"y\"/>\n"),
              QStringList{"a"});
    EXPECT_TRUE(ParseWPLText(u"<seq>\n<media src=\"a\"/>\n").isEmpty());
}

// The elements are found wherever they stand: a document on one line, several media elements to a
// line, elements broken over lines; comments are not read, broken markup gives what can be read.
TEST(PlaylistParse, WPLElementsWhateverTheLineLayout)
{
    const struct {
        const char *what;
        const char16_t *text;
        QStringList entries;
    } cases[] = {
        {"one line",
         u"<?wpl version=\"1.0\"?><smil><head><title>x</title></head><body><seq><media src=\"a &amp; b.mp3\"/>"
         u"<media src=\"c.mp3\" tid=\"{2}\"/></seq></body></smil>",
         {"a & b.mp3", "c.mp3"}},
        {"several to a line", u"<seq>\r\n  <media src=\"a.mp3\"/> <media src='b&apos;s.mp3'/>\r\n</seq>",
         {"a.mp3", "b's.mp3"}},
        {"an element over three lines", u"<seq>\n<media\n   tid=\"{1}\"\n   src=\"a.mp3\"/>\n</seq>\n", {"a.mp3"}},
        {"tags with spaces and odd case", u"<SEQ ><Media src=\"a.mp3\"></Media></SEQ >", {"a.mp3"}},
        {"a quoted \">\" and \"/\"", u"<seq><media src=\"a>b/c.mp3\"/></seq>", {"a>b/c.mp3"}},
        {"no src: the first double-quoted text", u"<seq><media tid=\"{1}\" SRC = \"a.mp3\"/><media x=\"y\"/></seq>",
         {"a.mp3", "y"}},
        {"only <media> elements, no lookalikes", u"<seq><mediaX src=\"x\"/><ref src=\"r\"/><media src=\"a\"/></seq>", {"a"}},
        {"comments are not read",
         u"<seq><!-- <media src=\"old.mp3\"/> --><media src=\"a.mp3\"/><!--</seq>--></seq>", {"a.mp3"}},
        {"only the last sequence",
         u"<seq><media src=\"x\"/></seq><seq><media src=\"a\"/><media src=\"b\"/></seq><media src=\"y\"/>",
         {"a", "b"}},
        {"an element without its \">\" ends at the next tag",
         u"<seq><media src=\"a.mp3\" <media src=\"b.mp3\"/></seq>", {"a.mp3", "b.mp3"}},
        {"a quote without its partner",
         u"<seq>\n<media src=\"a.mp3/>\n<media src=\"b.mp3\"/>\n</seq>\n", {"", "b.mp3"}},
        {"cut off inside the sequence", u"<seq><media src=\"a.mp3\"/><media src=\"b", {}},
        {"nothing but text", u"no markup at all", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ParseWPLText(c.text), c.entries) << c.what;
}

// Hostile files cost time and memory in proportion to their size: a long run of "&" without ";"
// (each one used to search the rest of the line), and a PLS key number far beyond the entries
// present (each missing key used to become an empty entry).
TEST(PlaylistParse, HostileInputStaysLinear)
{
    QElapsedTimer timer;
    timer.start();
    const QString ampersands(400000, u'&');
    EXPECT_EQ(UnescapeWplText(ampersands), ampersands);
    const QString closed = ampersands + QLatin1Char(';');
    EXPECT_EQ(UnescapeWplText(closed), closed);
    const QStringList wpl =
        ParseWPLText(QStringLiteral("<seq>\n<media src=\"") + ampersands + QStringLiteral("\"/>\n</seq>\n"));
    ASSERT_EQ(wpl.size(), 1);
    EXPECT_EQ(wpl[0].size(), ampersands.size());
    EXPECT_LT(timer.elapsed(), 5000);

    const QStringList pls =
        ParsePLSText(u"[playlist]\nNumberOfEntries=2147483647\nFile2147483647=z.mp3\nFile1=a.mp3\nFile5=e.mp3\n");
    EXPECT_EQ(pls, (QStringList{"a.mp3", "", "e.mp3", "", "z.mp3"}));
    // The same without a count: the highest key number is no loop bound either.
    EXPECT_EQ(ParsePLSText(u"[playlist]\nFile2147483647=z.mp3\nFile1=a.mp3\n"), (QStringList{"a.mp3", "", "z.mp3"}));

    // A one-line WPL of many elements, and many unclosed quotes and tags.
    QString oneLine = QStringLiteral("<seq>");
    for (int i = 0; i < 50000; ++i)
        oneLine += QStringLiteral("<media src=\"%1.mp3\"/>").arg(i);
    oneLine += QStringLiteral("</seq>");
    EXPECT_EQ(ParseWPLText(oneLine).size(), 50000);
    EXPECT_EQ(ParseWPLText(QStringLiteral("<seq>") + QString(200000, u'"') + QStringLiteral("</seq>")).size(), 0);
    EXPECT_EQ(ParseWPLText(QStringLiteral("<seq><media src=\"") + QString(200000, u'\'') + QStringLiteral("</seq>")),
              QStringList{QString()});
    EXPECT_EQ(ParseWPLText(QString(200000, u'<') + QStringLiteral("</seq>")).size(), 0);
    EXPECT_LT(timer.elapsed(), 5000);
}

TEST(PlaylistEscapes, RoundTripAnyText)
{
    for (const QString &name : kAwkwardNames)
        EXPECT_EQ(UnescapeWplText(EscapeWplText(name)), name);
    EXPECT_EQ(EscapeWplText(u"a&'\"<>"), QStringLiteral("a&amp;&apos;&quot;&lt;&gt;"));
}

TEST(PlaylistWriters, ExactBytes)
{
    TestDir dir;
    const ListOf entries({"/m/a.mp3", "./b & c's.mp3"});
    ASSERT_TRUE(SaveM3U8(entries, dir.Path("x"), true));
    EXPECT_EQ(TestDir::Read(dir.Path("x.m3u8")), QByteArray("\xEF\xBB\xBF/m/a.mp3\r\n./b & c's.mp3\r\n"));
    ASSERT_TRUE(SaveM3U8(entries, dir.Path("y.m3u8"), false));
    EXPECT_EQ(TestDir::Read(dir.Path("y.m3u8")), QByteArray("/m/a.mp3\r\n./b & c's.mp3\r\n"));
    ASSERT_TRUE(SaveM3U(entries, dir.Path("z.m3u")));
    EXPECT_EQ(TestDir::Read(dir.Path("z.m3u")), QByteArray("/m/a.mp3\r\n./b & c's.mp3\r\n"));
    ASSERT_TRUE(SavePLS(entries, dir.Path("p")));
    EXPECT_EQ(TestDir::Read(dir.Path("p.pls")),
              QByteArray("[playlist]\r\nNumberOfEntries=2\r\nFile1=/m/a.mp3\r\nFile2=./b & c's.mp3\r\n\r\n"));
    ASSERT_TRUE(SaveWPL(entries, dir.Path("w")));
    EXPECT_EQ(TestDir::Read(dir.Path("w.wpl")),
              QByteArray("<?wpl version=\"1.0\"?>\r\n<smil>\r\n    <body>\r\n        <seq>\r\n"
                         "            <media src=\"/m/a.mp3\"/>\r\n"
                         "            <media src=\"./b &amp; c&apos;s.mp3\"/>\r\n"
                         "        </seq>\r\n    </body>\r\n</smil>\r\n"));
}

TEST(PlaylistWriters, ExtensionAppendedUnlessPresentInExactCase)
{
    TestDir dir;
    const ListOf entries({"a.mp3"});
    ASSERT_TRUE(SaveM3U(entries, dir.Path("list.M3U")));
    EXPECT_TRUE(QFileInfo::exists(dir.Path("list.M3U.m3u")));
    EXPECT_FALSE(QFileInfo::exists(dir.Path("list.M3U")));
    ASSERT_TRUE(SaveWPL(entries, dir.Path("list.wpl")));
    EXPECT_TRUE(QFileInfo::exists(dir.Path("list.wpl")));
    EXPECT_FALSE(QFileInfo::exists(dir.Path("list.wpl.wpl")));
    EXPECT_EQ(WithPlaylistExtension("a.m3u8", u".m3u"), QStringLiteral("a.m3u8.m3u"));
}

TEST(PlaylistWriters, ByExtensionPicksTheFormat)
{
    TestDir dir;
    ListOf entries({"a & b.mp3"});
    ASSERT_TRUE(SavePlaylistByExtension(entries, dir.Path("l.wpl")));
    EXPECT_TRUE(TestDir::Read(dir.Path("l.wpl")).contains("a &amp; b.mp3"));
    ASSERT_TRUE(SavePlaylistByExtension(entries, dir.Path("l.PLS")));
    EXPECT_TRUE(TestDir::Read(dir.Path("l.PLS.pls")).startsWith("[playlist]"));
    ASSERT_TRUE(SavePlaylistByExtension(entries, dir.Path("l.m3u8")));
    EXPECT_EQ(TestDir::Read(dir.Path("l.m3u8")), QByteArray("a & b.mp3\r\n"));
    ASSERT_TRUE(SavePlaylistByExtension(entries, dir.Path("l.txt")));
    EXPECT_EQ(ReadPlaylistEntries(dir.Path("l.txt")), QStringList());
    EXPECT_TRUE(TestDir::Read(dir.Path("l.txt")).contains("a & b.mp3"));
}

TEST(PlaylistWriters, UnwritableTargetReportsFailureAndLeavesNothing)
{
    TestDir dir;
    const ListOf entries({"a.mp3"});
    const QString target = dir.Path("missing-folder/list");
    EXPECT_FALSE(SaveM3U(entries, target));
    EXPECT_FALSE(SaveM3U8(entries, target, true));
    EXPECT_FALSE(SavePLS(entries, target));
    EXPECT_FALSE(SaveWPL(entries, target));
    EXPECT_FALSE(QFileInfo::exists(dir.Path("missing-folder")));
}

// Each format written and read back gives the raw entries unchanged, awkward names included.
TEST(PlaylistRoundTrip, EveryFormatKeepsEveryName)
{
    TestDir dir;
    const ListOf entries(kAwkwardNames);
    ASSERT_TRUE(SaveM3U(entries, dir.Path("r.m3u")));
    ASSERT_TRUE(SaveM3U8(entries, dir.Path("r.m3u8"), true));
    ASSERT_TRUE(SaveM3U8(entries, dir.Path("n.m3u8"), false));
    ASSERT_TRUE(SavePLS(entries, dir.Path("r.pls")));
    ASSERT_TRUE(SaveWPL(entries, dir.Path("r.wpl")));
    for (const char *name : {"r.m3u", "r.m3u8", "n.m3u8", "r.pls", "r.wpl"})
        EXPECT_EQ(ReadPlaylistEntries(dir.Path(name)), kAwkwardNames) << name;
    // All of these fit windows-932, so the ANSI formats stay ANSI.
    EXPECT_FALSE(TestDir::Read(dir.Path("r.m3u")).startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(TestDir::Read(dir.Path("r.m3u")).contains(platform::WideToAnsi(u"第１０話")));
}

// Names outside windows-932 (legal in any Linux file name) would turn into "?" in an ANSI file
// and point at nothing; such files are written as UTF-8 with a byte-order mark instead. So are
// ANSI texts that the readers' detection would take for another encoding.
TEST(PlaylistRoundTrip, AnsiFormatsFallBackToUtf8WhenANameDoesNotFit)
{
    TestDir dir;
    struct Case {
        QStringList names;
        bool fitsAnsi;  // false: only UTF-8 can hold it; true: ANSI when the detection reads it back
    } cases[] = {
        {{QStringLiteral("/m/plain.mp3"), QStringLiteral("/m/한국어 ♫ 😀.mp3")}, false},
        {{QStringLiteral("/m/\u301C wave dash.mp3")}, false},          // windows-932 reads it back as U+FF5E
        {{QStringLiteral("/m/\u30AB\u3099 decomposed.mp3")}, false},  // would be composed into one character
        {{QStringLiteral("/m/ｶﾞ.mp3")}, true},                        // its bytes could pass for EUC-JP
        {{QStringLiteral("/m/髙.mp3")}, true},
        {{QStringLiteral("/m/a+ZeVnLIqe-.mp3")}, true},               // plain ASCII that reads as UTF-7
    };
    for (const Case &c : cases) {
        const ListOf entries(c.names);
        ASSERT_TRUE(SaveM3U(entries, dir.Path("u.m3u")));
        ASSERT_TRUE(SavePLS(entries, dir.Path("u.pls")));
        for (const char *name : {"u.m3u", "u.pls"}) {
            const QByteArray bytes = TestDir::Read(dir.Path(name));
            const bool utf8 = bytes.startsWith("\xEF\xBB\xBF");
            // Either UTF-8 with its mark, or (where the names fit) exactly their windows-932 bytes;
            // in both cases the reader gets every name back.
            if (!c.fitsAnsi) {
                EXPECT_TRUE(utf8) << name;
            }
            if (!utf8) {
                EXPECT_TRUE(bytes.contains(platform::WideToAnsi(c.names.back()))) << name;
            }
            EXPECT_EQ(ReadPlaylistEntries(dir.Path(name)), c.names) << name;
        }
    }
    EXPECT_FALSE(FitsAnsiExactly(u"\u301C"));
    EXPECT_TRUE(FitsAnsiExactly(u"\uFF5E 第１０話"));
}

TEST(PlaylistWriters, PLSKeepsOtherSectionsAndReplacesEveryPlaylistSection)
{
    TestDir dir;
    const QString file = dir.Write("k.pls", "; comment\r\n[playlist]\r\nNumberOfEntries=1\r\nFile1=old.mp3\r\n"
                                            "[Extra]\r\nkey=value\r\n[PLAYLIST]\r\nFile1=stale.mp3\r\n");
    ASSERT_TRUE(SavePLS(ListOf({"new.mp3"}), file));
    EXPECT_EQ(TestDir::Read(file), QByteArray("; comment\r\n[Extra]\r\nkey=value\r\n"
                                              "[playlist]\r\nNumberOfEntries=1\r\nFile1=new.mp3\r\n\r\n"));
    EXPECT_EQ(ReadPlaylistEntries(file), QStringList{"new.mp3"});
}

// Files made on Windows: CP932 bytes with "\" separators in ".m3u" and ".pls"; UTF-8 in
// ".m3u8" and ".wpl" (a byte-order mark included, as Windows tools like to write it).
TEST(PlaylistRead, WindowsMadeFiles)
{
    TestDir dir;
    const QByteArray sjis = platform::WideToAnsi(u"音楽\\第１話 テーマ曲.mp3");
    dir.Write("w.m3u", "#EXTM3U\r\n#EXTINF:61,\x83\x65\x83\x58\x83\x67\r\n" + sjis + "\r\nC:\\Music\\a.mp3\r\n");
    EXPECT_EQ(ReadPlaylistEntries(dir.Path("w.m3u")),
              (QStringList{QStringLiteral("音楽\\第１話 テーマ曲.mp3"), "C:\\Music\\a.mp3"}));
    dir.Write("w.pls", "[playlist]\r\nFile1=" + sjis + "\r\nNumberOfEntries=1\r\nVersion=2\r\n");
    EXPECT_EQ(ReadPlaylistEntries(dir.Path("w.pls")), QStringList{QStringLiteral("音楽\\第１話 テーマ曲.mp3")});
    dir.Write("w.m3u8", QByteArray("\xEF\xBB\xBF#EXTM3U\r\n") + QStringLiteral("音楽\\曲.mp3\r\n").toUtf8());
    EXPECT_EQ(ReadPlaylistEntries(dir.Path("w.m3u8")), QStringList{QStringLiteral("音楽\\曲.mp3")});
    dir.Write("w.wpl", QByteArray("\xEF\xBB\xBF<?wpl version=\"1.0\"?>\r\n<smil>\r\n<body>\r\n<seq>\r\n") +
                           QStringLiteral("<media src=\"..\\音楽\\曲 &amp; 歌.wma\"/>\r\n").toUtf8() +
                           "</seq>\r\n</body>\r\n</smil>\r\n");
    EXPECT_EQ(ReadPlaylistEntries(dir.Path("w.wpl")), QStringList{QStringLiteral("..\\音楽\\曲 & 歌.wma")});
}

TEST(PlaylistRead, MissingFolderOrNonPlaylistGivesNothing)
{
    TestDir dir;
    EXPECT_TRUE(ReadPlaylistEntries(dir.Path("none.m3u")).isEmpty());
    QDir().mkdir(dir.Path("folder.m3u"));
    EXPECT_TRUE(ReadPlaylistEntries(dir.Path("folder.m3u")).isEmpty());
    dir.Write("e.pls", "");
    EXPECT_TRUE(ReadPlaylistEntries(dir.Path("e.pls")).isEmpty());
}

} // namespace
