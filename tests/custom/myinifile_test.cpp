#include "custom/myinifile.h"
#include "support/tempdir.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QObject>
#include <QScreen>

#include <cstdio>
#include <functional>
#include <limits>

#include <sys/stat.h>
#include <unistd.h>

// Readable failure messages.
void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace {

QString S(const char *utf8) { return QString::fromUtf8(utf8); }

// The application object of a test that needs screens or fonts; it goes with the test.
struct GuiApp {
    static inline int argc = 1;
    static inline char name[] = "myinifile_test";
    static inline char *argv[] = {name, nullptr};
    QGuiApplication app{argc, argv};
};

QString Escaped(const QByteArray &bytes)
{
    QString out;
    for (char c : bytes) {
        if (c == '\r')
            out += QStringLiteral("\\r");
        else if (c == '\n')
            out += QStringLiteral("\\n");
        else
            out += QChar(uchar(c));
    }
    return out;
}

struct Rewrite {
    const char *name;
    QByteArray before;
    std::function<void(TMyIniFile &)> change;
    QByteArray after;
};

TEST(IniFile, RewritesAreByteExact)
{
    const Rewrite cases[] = {
        {"later copy of a key wins; the section moves to the end",
         "[A]\r\nx=1\r\nx=2\r\n[B]\r\nk=v\r\n",
         [](TMyIniFile &ini) {
             EXPECT_EQ(ini.ReadInteger(S("A"), S("x"), 0), 2);
             ini.WriteString(S("A"), S("y"), S("3"));
         },
         "[B]\r\nk=v\r\n[A]\r\nx=2\r\ny=3\r\n\r\n"},
        {"comments stay in untouched sections and go from rewritten ones",
         "; top\r\n[Keep]\r\n; kept\r\nk=v\r\n\r\n[W]\r\n; dropped\r\na=1\r\n",
         [](TMyIniFile &ini) { ini.WriteString(S("W"), S("b"), S("2")); },
         "; top\r\n[Keep]\r\n; kept\r\nk=v\r\n\r\n[W]\r\na=1\r\nb=2\r\n\r\n"},
        {"an LF file is written back with LF",
         "[A]\nx=1\n",
         [](TMyIniFile &ini) { ini.WriteInteger(S("A"), S("x"), 5); },
         "[A]\nx=5\n\n"},
        {"a CR file keeps CR",
         "[A]\rx=1\r",
         [](TMyIniFile &ini) { ini.WriteBool(S("A"), S("b"), true); },
         "[A]\rx=1\rb=1\r\r"},
        {"every header of a twice-named section goes when it is rewritten",
         "[A]\r\nx=1\r\n[B]\r\nk=1\r\n[ a ]\r\nx=9\r\n",
         [](TMyIniFile &ini) { ini.WriteString(S("A"), S("x"), S("2")); },
         "[B]\r\nk=1\r\n[A]\r\nx=2\r\n\r\n"},
        {"and when it is erased",
         "[A]\r\nx=1\r\n[B]\r\nk=1\r\n[a]\r\nx=9\r\n",
         [](TMyIniFile &ini) { ini.EraseSection(S("A")); },
         "[B]\r\nk=1\r\n"},
        {"line breaks in values become blanks",
         "",
         [](TMyIniFile &ini) { ini.WriteString(S("A"), S("k"), S("a\r\n[B]\nx=1")); },
         "[A]\r\nk=a  [B] x=1\r\n\r\n"},
        {"list lines holding a line break are dropped; the rest is verbatim, no blank after",
         "[L]\r\nold\r\n",
         [](TMyIniFile &ini) {
             TMyWStrings lines;
             lines.Add(S("  one = 1 "));
             lines.Add(S("two\r\n[Evil]"));
             lines.Add(QString());
             lines.Add(S("three"));
             ini.WriteSectionLines(S("L"), lines);
         },
         "[L]\r\n  one = 1 \r\n\r\nthree\r\n"},
        {"list and value lines that would read as headers are dropped; the rest of the section stays in it",
         "[A]\r\nx=1\r\n",
         [](TMyIniFile &ini) {
             TMyWStrings history;
             for (const char *l : {"new", " [HD] clips ", "[]", "[A]x", "old"})
                 history.Add(S(l));
             ini.WriteSectionLines(S("HISTORY"), history);
             TMyWStrings values;
             for (const char *l : {"a=1", "[k]=2", "[k=]", "b=3"})
                 values.Add(S(l));
             ini.WriteSectionValues(S("V"), values);
             ini.WriteString(S("W"), S("[w]"), S("1"));
             ini.WriteString(S("W"), S("c"), S("[x]"));
         },
         "[A]\r\nx=1\r\n[HISTORY]\r\nnew\r\n[]\r\nold\r\n[V]\r\na=1\r\nb=3\r\n\r\n[W]\r\nc=[x]\r\n\r\n"},
        {"a section name that no header can carry is not written",
         "[A]\r\nx=1\r\n",
         [](TMyIniFile &ini) {
             ini.WriteString(QString(), S("x"), S("2"));  // would join [A] as a second x
             ini.WriteString(S(" "), S("y"), S("2"));
             ini.WriteString(S("a]b"), S("z"), S("2"));  // would read as [a]
             TMyWStrings lines;
             lines.Add(S("l"));
             ini.WriteSectionLines(QString(), lines);
             ini.EnsureSection(S("c]d"));
             ini.WriteString(S("B"), S("k"), S("v"));
         },
         "[A]\r\nx=1\r\n[B]\r\nk=v\r\n\r\n"},
        {"written value lines are cleaned: the first copy of a key wins",
         "",
         [](TMyIniFile &ini) {
             TMyWStrings lines;
             for (const char *l : {"a=1", "", "no key", "=x", "A=2", "b=", "c=3"})
                 lines.Add(S(l));
             ini.WriteSectionValues(S("V"), lines);
         },
         "[V]\r\na=1\r\nb=\r\nc=3\r\n\r\n"},
        {"an erased pending section leaves no trace",
         "[A]\r\nx=1\r\n",
         [](TMyIniFile &ini) {
             ini.WriteString(S("New"), S("k"), S("v"));
             ini.EraseSection(S("NEW"));
         },
         "[A]\r\nx=1\r\n"},
        {"EnsureSection appends an empty section",
         "[A]\r\nx=1\r\n",
         [](TMyIniFile &ini) {
             ini.EnsureSection(S("A"));
             ini.EnsureSection(S("E"));
             ini.EnsureSection(S("e"));
         },
         "[A]\r\nx=1\r\n[E]\r\n\r\n"},
        {"a header needs a name before its ']'",
         "[A]\r\n[]\r\n[ ]\r\n[]x]\r\nx=1\r\n",
         [](TMyIniFile &ini) {
             EXPECT_EQ(ini.ReadInteger(S("A"), S("x"), 0), 1);
             TMyWStrings sections;
             ini.ReadSections(sections);
             EXPECT_EQ(sections.ToStringList(), QStringList({S("A")}));
             ini.WriteString(S("Z"), S("z"), S("1"));
         },
         "[A]\r\n[]\r\n[ ]\r\n[]x]\r\nx=1\r\n[Z]\r\nz=1\r\n\r\n"},
        {"a UTF-8 file whose text fits is written as ANSI",
         "\xEF\xBB\xBF[A]\r\nk=\xE6\xBC\xA2\xE5\xAD\x97\r\n",
         [](TMyIniFile &ini) { ini.WriteString(S("A"), S("j"), S("かな")); },
         "[A]\r\nk=\x8A\xBF\x8E\x9A\r\nj=\x82\xA9\x82\xC8\r\n\r\n"},
        {"text outside the code page makes it UTF-8 with byte-order mark",
         "[A]\r\nk=v\r\n",
         [](TMyIniFile &ini) { ini.WriteString(S("A"), S("e"), S("é")); },
         "\xEF\xBB\xBF[A]\r\nk=v\r\ne=\xC3\xA9\r\n\r\n"},
        {"ANSI bytes that would read back as UTF-7 make it UTF-8 with byte-order mark",
         "[A]\r\nk=v\r\n",
         [](TMyIniFile &ini) { ini.WriteString(S("A"), S("u"), S("a+ZeVnLIqe-")); },
         "\xEF\xBB\xBF[A]\r\nk=v\r\nu=a+ZeVnLIqe-\r\n\r\n"},
    };
    for (const Rewrite &c : cases) {
        SCOPED_TRACE(c.name);
        TestDir dir;
        const QString path = c.before.isEmpty() ? dir.Path(QStringLiteral("t.ini")) : dir.Write(QStringLiteral("t.ini"), c.before);
        TMyIniFile ini(path);
        c.change(ini);
        EXPECT_TRUE(ini.UpdateFile());
        EXPECT_FALSE(ini.Modified());
        EXPECT_EQ(Escaped(TestDir::Read(path)), Escaped(c.after));
    }
}

// Whatever the encoding chosen on writing, a new reading with detection gets every value back.
TEST(IniFile, ValuesComeBackAsWritten)
{
    const char *values[] = {"a+ZeVnLIqe-", "x+AGEAYgBj-y", "\x1B$B$\"\x1B(B", "ｶﾞ", "ﾃｽﾄ", "漢字かな", "é", "〜", "～"};
    for (const char *v : values) {
        SCOPED_TRACE(v);
        TestDir dir;
        const QString path = dir.Path(QStringLiteral("t.ini"));
        {
            TMyIniFile ini(path);
            ini.WriteString(S("A"), S("k"), S(v));
            ASSERT_TRUE(ini.UpdateFile());
        }
        TMyIniFile again(path);
        EXPECT_EQ(again.ReadString(S("A"), S("k"), QString()), S(v));
    }
}

TEST(IniFile, ReadsIgnoreCaseAndUseTheFirstHeader)
{
    TestDir dir;
    const QString path = dir.Write(QStringLiteral("t.ini"),
                                   "x=outside\r\n[ Player ]\r\nVolume=10\r\n Key = spaced\r\nEmpty=\r\n"
                                   "[PLAYER]\r\nVolume=99\r\n[Bounds]\r\nmain_Left=5\r\n");
    TMyIniFile ini(path);
    EXPECT_EQ(ini.ReadString(S("player"), S("VOLUME"), S("d")), S("10"));
    EXPECT_EQ(ini.ReadString(S("Player"), S("x"), S("d")), S("d"));  // lines before any header
    EXPECT_EQ(ini.ReadString(S("Player"), S("Empty"), S("d")), S("d"));  // empty reads as default
    EXPECT_EQ(ini.ReadInteger(S("Player"), S("Empty"), 7), 7);
    EXPECT_EQ(ini.ReadString(S("Player"), S(" Key "), S("d")), S(" spaced"));  // keys are not trimmed
    EXPECT_TRUE(ini.SectionExists(S("BOUNDS")));
    EXPECT_FALSE(ini.SectionExists(S("Nothing")));

    TMyWStrings list;
    ini.ReadSection(S("player"), list);
    EXPECT_EQ(list.ToStringList(), QStringList({S("Volume"), S("Key"), S("Empty")}));
    ini.ReadSectionValues(S("Bounds"), list);
    EXPECT_EQ(list.ToStringList(), QStringList({S("main_Left=5")}));
    ini.ReadSectionLines(S("Bounds"), list);
    EXPECT_EQ(list.ToStringList(), QStringList({S("main_Left=5")}));
    ini.ReadSections(list);
    EXPECT_EQ(list.ToStringList(), QStringList({S("Player"), S("PLAYER"), S("Bounds")}));
    EXPECT_FALSE(ini.Modified());
    EXPECT_FALSE(ini.UpdateFile());
}

TEST(IniFile, PendingWritesShowOnlyAfterTheFlush)
{
    TestDir dir;
    const QString path = dir.Path(QStringLiteral("t.ini"));
    TMyIniFile ini(path);
    ini.WriteString(S("New"), S("a"), S("1"));
    EXPECT_FALSE(ini.SectionExists(S("New")));  // still in the cache
    EXPECT_EQ(ini.ReadString(S("new"), S("A"), S("d")), S("1"));
    TMyWStrings keys;
    ini.ReadSection(S("New"), keys);  // whole-section reads see the cache
    EXPECT_EQ(keys.ToStringList(), QStringList({S("a")}));
    ini.ReadString(S("Other"), S("x"), S(""));  // selecting another section flushes
    EXPECT_TRUE(ini.SectionExists(S("New")));
    EXPECT_FALSE(QFile::exists(path));  // nothing on disk before UpdateFile
    ini.WriteString(S("Other"), S("x"), S("2"));
    EXPECT_TRUE(ini.UpdateFile());
    TMyIniFile again(path);
    EXPECT_EQ(again.ReadInteger(S("New"), S("a"), 0), 1);
    EXPECT_EQ(again.ReadInteger(S("Other"), S("x"), 0), 2);
}

TEST(IniFile, MissingFileGivesDefaultsAndCreatesNothing)
{
    TestDir dir;
    const QString path = dir.Path(QStringLiteral("none.ini"));
    {
        TMyIniFile ini(path);
        EXPECT_EQ(ini.ReadString(S("A"), S("k"), S("def")), S("def"));
        EXPECT_EQ(ini.ReadInteger(S("A"), S("k"), -3), -3);
        EXPECT_TRUE(ini.ReadBool(S("A"), S("k"), true));
        EXPECT_DOUBLE_EQ(ini.ReadFloat(S("A"), S("k"), 2.5), 2.5);
        ini.EraseSection(S("A"));
        EXPECT_FALSE(ini.UpdateFile());
    }
    EXPECT_FALSE(QFile::exists(path));
}

TEST(IniFile, BinaryJunkLoadsEmptyAndStaysUntouched)
{
    TestDir dir;
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk += char((i * 7919 + 13) % 256);
    junk += "\n[Section]\nkey=value\n";  // text-like pieces inside the junk
    const QString path = dir.Write(QStringLiteral("junk.ini"), junk);
    {
        TMyIniFile ini(path);
        TMyWStrings sections;
        ini.ReadSections(sections);
        EXPECT_EQ(sections.Count(), 0);
        EXPECT_EQ(ini.ReadInteger(S("Section"), S("key"), 4), 4);
        EXPECT_FALSE(ini.UpdateFile());
    }
    EXPECT_EQ(TestDir::Read(path), junk);
}

TEST(IniFile, TypedReads)
{
    TestDir dir;
    const QString path = dir.Write(QStringLiteral("t.ini"),
                                   "[T]\r\nyes=yes\r\ntwo=2\r\nzero=0\r\nbig=99999999999\r\nhex=$FFFFFFFF\r\n"
                                   "min=-2147483648\r\nmax=2147483647\r\nover=2147483648\r\nf=1.25\r\nbad=1,5x\r\n"
                                   "wide=１２３\r\nnan=nan\r\ninf=-inf\r\nhuge=1e999\r\n");
    TMyIniFile ini(path);
    EXPECT_FALSE(ini.ReadBool(S("T"), S("yes"), true));
    EXPECT_TRUE(ini.ReadBool(S("T"), S("two"), false));
    EXPECT_FALSE(ini.ReadBool(S("T"), S("zero"), true));
    bool flag = true;
    ini.ReadBoolInPlace(S("T"), S("missing"), flag);
    EXPECT_TRUE(flag);
    ini.ReadBoolInPlace(S("T"), S("zero"), flag);
    EXPECT_FALSE(flag);
    // Numbers outside the 32-bit range give the default instead of failing the caller.
    EXPECT_EQ(ini.ReadInteger(S("T"), S("big"), 17), 17);
    EXPECT_EQ(ini.ReadInteger(S("T"), S("hex"), 17), 17);
    EXPECT_EQ(ini.ReadInteger(S("T"), S("over"), 17), 17);
    EXPECT_EQ(ini.ReadInteger(S("T"), S("min"), 0), std::numeric_limits<int>::min());
    EXPECT_EQ(ini.ReadInteger(S("T"), S("max"), 0), std::numeric_limits<int>::max());
    EXPECT_EQ(ini.ReadInteger(S("T"), S("wide"), 0), 123);
    EXPECT_DOUBLE_EQ(ini.ReadFloat(S("T"), S("f"), 9), 1.25);
    EXPECT_DOUBLE_EQ(ini.ReadFloat(S("T"), S("bad"), 9), 0.0);  // not a number: 0, not the default
    EXPECT_DOUBLE_EQ(ini.ReadFloat(S("T"), S("none"), 9.5), 9.5);
    for (const char *key : {"nan", "inf", "huge"})
        EXPECT_EQ(ini.ReadFloat(S("T"), S(key), 9), 0.0) << key;

    ini.WriteFloat(S("T"), S("g"), 0.1);
    ini.WriteInteger(S("T"), S("n"), -42);
    EXPECT_EQ(ini.ReadString(S("T"), S("g"), S("")), S("0.1"));
    EXPECT_DOUBLE_EQ(ini.ReadFloat(S("T"), S("g"), 0), 0.1);
    EXPECT_EQ(ini.ReadInteger(S("T"), S("n"), 0), -42);
}

TEST(IniFile, LenientStrToInt)
{
    const std::pair<const char *, qint64> cases[] = {
        {"123", 123},
        {"１２３", 123},
        {"  -42 ", -42},
        {"+7", 7},
        {"1,024", 1024},
        {"12px", 12},
        {"x1F", 31},
        {"$1f", 31},
        {"-$10", -16},
        {"abc", 2748},
        {"12a", 0x12A},
        {"True", 0},
        {"yes", 0},
        {"", 0},
        {"$", 0},
        {"-", 0},
        {"- 5", 0},
        {" , 8", 8},
        {"9223372036854775807", std::numeric_limits<qint64>::max()},
        {"-9223372036854775808", std::numeric_limits<qint64>::min()},
        {"99999999999999999999", 0},
        {"$FFFFFFFFFFFFFFFF", -1},
        {"3 4", 3},
    };
    for (const auto &[text, value] : cases)
        EXPECT_EQ(LenientStrToInt(S(text)), value) << text;
}

TEST(IniFile, FailedWriteKeepsTheOldFile)
{
    TestDir dir;
    // A folder in the way of the file: the write cannot happen.
    const QString blocked = dir.Write(QStringLiteral("file"), "x") + QStringLiteral("/t.ini");
    TMyIniFile nowhere(blocked);
    nowhere.WriteString(S("A"), S("k"), S("v"));
    EXPECT_FALSE(nowhere.UpdateFile());
    EXPECT_TRUE(nowhere.Modified());

    // A folder without write permission (as root, the write runs as "nobody").
    const QString folder = dir.Path(QStringLiteral("ro"));
    ASSERT_EQ(::mkdir(QFile::encodeName(folder).constData(), 0755), 0);
    const QString path = dir.Write(QStringLiteral("ro/t.ini"), "[A]\r\nk=old\r\n");
    ::chmod(QFile::encodeName(dir.Root()).constData(), 0755);
    ::chmod(QFile::encodeName(folder).constData(), 0555);
    const std::optional<bool> refused = RunUnprivileged([&] {
        TMyIniFile ini(path);
        if (ini.ReadString(S("A"), S("k"), QString()) != S("old"))
            return false;
        ini.WriteString(S("A"), S("k"), S("new"));
        return !ini.UpdateFile() && ini.Modified();
    });
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    if (refused)
        EXPECT_TRUE(*refused);
    else
        std::fprintf(stderr, "note: could not give up root's rights; the read-only folder was not tried\n");
    EXPECT_EQ(TestDir::Read(path), QByteArray("[A]\r\nk=old\r\n"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList({S("t.ini")}));  // no temporary left
}

TEST(IniFile, RectsAndFonts)
{
    TestDir dir;
    const QString path = dir.Path(QStringLiteral("t.ini"));
    {
        TMyIniFile ini(path);
        ini.WriteRect(S("Bounds"), S("Main"), QRect(10, 20, 300, 200));
        TMyFontSpec font;
        font.Name = S("ＭＳ ゴシック");
        font.Size = 12;
        font.Color = 0x0000FF;
        font.Bold = true;
        font.StrikeOut = true;
        font.Charset = 128;
        ini.WriteFont(S("Fonts"), S("List"), font);
        ini.WriteInteger(S("Fonts"), S("Bad_FontCharset"), 300);
        ASSERT_TRUE(ini.UpdateFile());
    }
    TMyIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger(S("BOUNDS"), S("Main_Right"), 0), 310);  // right and bottom are exclusive
    EXPECT_EQ(ini.ReadRect(S("Bounds"), S("Main"), QRect()), QRect(10, 20, 300, 200));
    EXPECT_EQ(ini.ReadRect(S("Bounds"), S("Other"), QRect(1, 2, 3, 4)), QRect(1, 2, 3, 4));
    TMyFontSpec font;
    font.Italic = true;  // the style is replaced, not added to
    ini.ReadFont(S("Fonts"), S("List"), font);
    EXPECT_EQ(font.Name, S("ＭＳ ゴシック"));
    EXPECT_EQ(font.Size, 12);
    EXPECT_EQ(font.Color, 0x0000FF);
    EXPECT_TRUE(font.Bold);
    EXPECT_FALSE(font.Italic);
    EXPECT_TRUE(font.StrikeOut);
    EXPECT_EQ(font.Charset, 128);
    TMyFontSpec bad;
    ini.ReadFont(S("Fonts"), S("Bad"), bad);
    EXPECT_EQ(bad.Charset, 255);
}

TEST(IniFile, ControlBoundsUnderTheObjectName)
{
    TestDir dir;
    const QString path = dir.Path(QStringLiteral("t.ini"));
    QObject form;
    form.setObjectName(QStringLiteral("App_Player"));
    form.setProperty("geometry", QRect(40, 30, 640, 480));
    {
        TMyIniFile ini(path);
        ini.WriteFormBounds(&form);
        ASSERT_TRUE(ini.UpdateFile());
    }
    EXPECT_EQ(TestDir::Read(path), QByteArray("[Bounds]\r\nApp_Player_Left=40\r\nApp_Player_Top=30\r\n"
                                              "App_Player_Right=680\r\nApp_Player_Bottom=510\r\n\r\n"));
    form.setProperty("geometry", QRect());
    TMyIniFile ini(path);
    EXPECT_EQ(ini.ReadControlBounds(QStringLiteral("BOUNDS"), &form), QRect(40, 30, 640, 480));
}

TEST(IniFile, DefaultFileLivesInTheDataFolder)
{
    TestDir dir;
    const QByteArray saved = qgetenv("TAVIO_HOME");
    qputenv("TAVIO_HOME", QFile::encodeName(dir.Root()));
    const QString expected = dir.Root() + u'/' + QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', -1) +
                             QStringLiteral(".ini");
    EXPECT_EQ(TMyIniFile::DefaultFileName(), expected);
    {
        TMyIniFile ini;
        EXPECT_EQ(ini.FileName(), expected);
        ini.WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("v"));
        EXPECT_TRUE(ini.UpdateFile());
    }
    EXPECT_TRUE(QFile::exists(expected));
    if (saved.isNull())
        qunsetenv("TAVIO_HOME");
    else
        qputenv("TAVIO_HOME", saved);
}

TEST(IniFile, FitRectOntoWorkArea)
{
    const QRect work(0, 0, 1920, 1080);
    struct Case {
        QRect saved, expected;
    } cases[] = {
        {QRect(100, 100, 3000, 2000), QRect(0, 0, 3000, 2000)},  // too big: top-left, not shrunk
        {QRect(1800, 1000, 400, 300), QRect(1520, 780, 400, 300)},  // partly off-screen: moved in
        {QRect(-50, -20, 400, 300), QRect(0, 0, 400, 300)},
        {QRect(200, 100, 400, 300), QRect(200, 100, 400, 300)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FitRectOntoWorkArea(c.saved, work), c.expected);
    EXPECT_EQ(FitRectOntoWorkArea(QRect(0, 0, 100, 100), QRect(1920, 30, 1280, 994)), QRect(1920, 30, 100, 100));
}

TEST(IniFile, RestoreFormBoundsFitsTheSavedBoundsOntoTheScreen)
{
    const GuiApp app;
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_FALSE(work.isEmpty());
    TestDir dir;
    const QString path = dir.Path(QStringLiteral("t.ini"));
    {
        TMyIniFile ini(path);
        ini.WriteRect(S("Bounds"), S("Big"), QRect(work.x() + 100, work.y() + 100, work.width() + 500, work.height() + 300));
        ini.WriteRect(S("Other"), S("Part"), QRect(work.right() - 100, work.bottom() - 50, 300, 200));
        ASSERT_TRUE(ini.UpdateFile());
    }
    TMyIniFile ini(path);
    QObject big, part, unsaved;
    big.setObjectName(S("Big"));
    part.setObjectName(S("Part"));
    unsaved.setObjectName(S("Unsaved"));
    unsaved.setProperty("geometry", QRect(work.x() + 10, work.y() + 20, 200, 100));
    ini.RestoreFormBounds(QString(), &big);  // no section: "Bounds"
    ini.RestoreFormBounds(S("OTHER"), &part);
    ini.RestoreFormBounds(S("Other"), &unsaved);
    // Too big: at the work area's corner, not shrunk; partly off: moved in; not saved: as it was.
    EXPECT_EQ(big.property("geometry").toRect(), QRect(work.topLeft(), QSize(work.width() + 500, work.height() + 300)));
    EXPECT_EQ(part.property("geometry").toRect(),
              QRect(work.x() + work.width() - 300, work.y() + work.height() - 200, 300, 200));
    EXPECT_EQ(unsaved.property("geometry").toRect(), QRect(work.x() + 10, work.y() + 20, 200, 100));
}

TEST(IniFile, AFileWithStrayBinaryBytesIsStillReadAsText)
{
    // Stray zero bytes and a byte-order mark in the middle made the file look binary.
    TestDir dir;
    QByteArray text("[PLAY]\r\nVolume=30\r\n[HISTORY_OPENFILE]\r\n/music/a.mp3\r\n");
    for (int i = 0; i < 40; ++i)
        text += QByteArray("/music/b") + QByteArray::number(i) + ".mp3\r\n";
    const QString path =
        dir.Write(QStringLiteral("t.ini"), text + QByteArray("\xFF\xFE[\0Z\0\r\n[VIEW]\r\nInfoPanel=0\r\n", 29));
    {
        TMyIniFile ini(path);
        EXPECT_EQ(ini.ReadInteger(S("PLAY"), S("Volume"), 100), 30);
        EXPECT_FALSE(ini.ReadBool(S("VIEW"), S("InfoPanel"), true));
        TMyWStrings lines;
        ini.ReadSectionLines(S("HISTORY_OPENFILE"), lines);
        ASSERT_GE(lines.Count(), 1);
        EXPECT_EQ(lines.Get(0), S("/music/a.mp3"));
        ini.WriteInteger(S("PLAY"), S("Volume"), 40);
        ASSERT_TRUE(ini.UpdateFile());
    }
    // Written back as settings, not as a dump of the bytes.
    const QByteArray written = TestDir::Read(path);
    EXPECT_TRUE(written.contains("[HISTORY_OPENFILE]\r\n/music/a.mp3\r\n/music/b0.mp3\r\n"));
    EXPECT_TRUE(written.contains("[PLAY]\r\nVolume=40\r\n"));
    EXPECT_FALSE(written.contains("5b 50 4c 41"));  // "[PLA" in a dump
    TMyIniFile again(path);
    EXPECT_EQ(again.ReadInteger(S("PLAY"), S("Volume"), 100), 40);
    EXPECT_FALSE(again.ReadBool(S("VIEW"), S("InfoPanel"), true));
}

TEST(IniFile, RestoreFormBoundsKeepsThePresentSizeForAnEmptySavedRectangle)
{
    const GuiApp app;
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_FALSE(work.isEmpty());
    TestDir dir;
    const QString path = dir.Path(QStringLiteral("t.ini"));
    {
        // Hand-edited bounds: right of left and bottom above top, far off the screen, or zero sized.
        TMyIniFile ini(path);
        ini.WriteInteger(S("Bounds"), S("Inverted_Left"), work.right() + 4000);
        ini.WriteInteger(S("Bounds"), S("Inverted_Top"), work.top() - 4000);
        ini.WriteInteger(S("Bounds"), S("Inverted_Right"), work.right() + 3000);
        ini.WriteInteger(S("Bounds"), S("Inverted_Bottom"), work.top() - 5000);
        ini.WriteRect(S("Bounds"), S("Empty"), QRect(work.x() + 50, work.y() + 60, 0, 0));
        ASSERT_TRUE(ini.UpdateFile());
    }
    TMyIniFile ini(path);
    QObject inverted, empty;
    inverted.setObjectName(S("Inverted"));
    empty.setObjectName(S("Empty"));
    inverted.setProperty("geometry", QRect(work.x() + 10, work.y() + 10, 300, 200));
    empty.setProperty("geometry", QRect(work.x() + 10, work.y() + 10, 320, 240));
    ini.RestoreFormBounds(QString(), &inverted);
    ini.RestoreFormBounds(QString(), &empty);
    const QRect a = inverted.property("geometry").toRect();
    EXPECT_EQ(a.size(), QSize(300, 200));
    EXPECT_TRUE(work.contains(a)) << a.x() << "," << a.y();
    EXPECT_EQ(empty.property("geometry").toRect(), QRect(work.x() + 50, work.y() + 60, 320, 240));
}

TEST(IniFile, QtFontsAndColours)
{
    const GuiApp app;
    TestDir dir;
    const QString path = dir.Path(QStringLiteral("t.ini"));
    {
        TMyIniFile ini(path);
        QFont font(S("Noto Sans CJK JP"), 14);
        font.setItalic(true);
        font.setUnderline(true);
        const QColor color(0x11, 0x22, 0x33);
        ini.WriteFont(S("Fonts"), S("List"), font, &color);
        ASSERT_TRUE(ini.UpdateFile());
    }
    EXPECT_EQ(TestDir::Read(path), QByteArray("[Fonts]\r\nList_FontName=Noto Sans CJK JP\r\nList_FontSize=14\r\n"
                                              "List_FontColor=3351057\r\nList_FontStyleBold=0\r\nList_FontStyleItalic=1\r\n"
                                              "List_FontStyleUnderLine=1\r\nList_FontStyleStrikeOut=0\r\n"
                                              "List_FontCharset=1\r\n\r\n"));  // colour as 0x00BBGGRR
    TMyIniFile ini(path);
    QFont font(S("Other"), 9);
    font.setBold(true);
    QColor color(Qt::white);
    ini.ReadFont(S("Fonts"), S("List"), font, &color);
    EXPECT_EQ(font.family(), S("Noto Sans CJK JP"));
    EXPECT_EQ(font.pointSize(), 14);
    EXPECT_FALSE(font.bold());
    EXPECT_TRUE(font.italic());
    EXPECT_TRUE(font.underline());
    EXPECT_EQ(color, QColor(0x11, 0x22, 0x33));

    QObject label, plain;
    label.setProperty("font", QFont(S("Other"), 9));
    ini.ReadComponentFont(S("Fonts"), S("List"), &label);
    EXPECT_EQ(label.property("font").value<QFont>().pointSize(), 14);
    ini.ReadComponentFont(S("Fonts"), S("List"), &plain);  // no font: nothing happens
    EXPECT_FALSE(plain.property("font").isValid());
}

TEST(IniFile, PlaylistFilesKeepTheirGivenEncoding)
{
    TestDir dir;
    const QString path = dir.Path(QStringLiteral("list.pls"));
    TMyIniFile pls(path, TextEncoding::Utf8);
    pls.WriteString(S("playlist"), S("File1"), S("/m/é.mp3"));
    ASSERT_TRUE(pls.UpdateFile());
    EXPECT_EQ(TestDir::Read(path), QByteArray("[playlist]\r\nFile1=/m/\xC3\xA9.mp3\r\n\r\n"));
}

} // namespace
