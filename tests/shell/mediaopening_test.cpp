// The decisions around opening media: open histories, the start entry, the extension lists,
// refusing program files, saving the list in each format and the resume list.
#include "custom/myinifile.h"
#include "lists/mywstrings.h"
#include "shell/mediaopening.h"
#include "shell/openhistory.h"
#include "support/tempdir.h"
#include "support/testapp.h"
#include "tags/playlistfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QStringList Items(const TMyOpenHistory &h) { return h.Items(); }

TEST(OpenHistory, MovesUpReplacesAndKeepsTenNewestFirst)
{
    TMyOpenHistory h(QStringLiteral("HISTORY_OPENFOLDER"));
    h.AddHistory(QStringLiteral("/m/Music/"));
    h.AddHistory(QStringLiteral("/m/b"));
    h.AddHistory(QStringLiteral("/m/Music"));  // the same folder without its "/": one entry, on top
    EXPECT_EQ(Items(h), (QStringList{u"/m/Music"_s, u"/m/b"_s}));
    h.AddHistory(QStringLiteral("/m/music"));  // Linux names differ by case
    EXPECT_EQ(h.Count(), 3);
    h.AddHistory(QString());
    EXPECT_EQ(h.Count(), 3);
    for (int i = 0; i < 10; ++i)
        h.AddHistory(QStringLiteral("/x/%1").arg(i));
    EXPECT_EQ(h.Count(), TMyOpenHistory::kMaxItems);
    EXPECT_EQ(h.Items().first(), u"/x/9"_s);
    EXPECT_EQ(h.Items().last(), u"/x/0"_s);  // the three older ones were pushed out
}

TEST(OpenHistory, SettingsRoundTripKeepsAmpersandsAndDropsBlankLines)
{
    TestDir dir;
    const QString ini = dir.Write(QStringLiteral("t.ini"),
                                  "[HISTORY_OPENFILE]\r\n/a/Tom & Jerry.mp3\r\n\r\n   \r\n/a/second.mp3\r\n");
    TMyOpenHistory h(QStringLiteral("HISTORY_OPENFILE"));
    {
        TMyIniFile file(ini);
        h.Load(file);
    }
    EXPECT_EQ(Items(h), (QStringList{u"/a/Tom & Jerry.mp3"_s, u"/a/second.mp3"_s}));
    EXPECT_EQ(HistoryMenuCaption(h.Items().first()), u"/a/Tom && Jerry.mp3"_s);

    h.AddHistory(QStringLiteral("/a/third.mp3"));
    {
        TMyIniFile file(ini);
        h.Save(file);
        ASSERT_TRUE(file.UpdateFile());
    }
    TMyOpenHistory back(QStringLiteral("HISTORY_OPENFILE"));
    {
        TMyIniFile file(ini);
        back.Load(file);
    }
    EXPECT_EQ(back.Items(), h.Items());

    back.Clear();
    {
        TMyIniFile file(ini);
        back.Save(file);
        ASSERT_TRUE(file.UpdateFile());
        EXPECT_FALSE(file.SectionExists(QStringLiteral("HISTORY_OPENFILE")));
    }
}

TEST(MediaOpening, StartIndex)
{
    struct Case {
        TMyStartChoice choice;
        int expected;
    } const cases[] = {
        {{-1, false, false, 0, 5, 0}, 0},     // a new list: NextIndex(0)
        {{-1, false, true, 0, 5, 3}, 3},      // ... which is a random entry in random order
        {{2, false, false, 0, 5, 0}, 2},      // a resume point wins
        {{-1, true, false, 10, 15, 0}, 10},   // adding: the first added entry
        {{-1, true, true, 10, 15, 0}, 14},    // adding in random order: one of the added (the fake picks the last)
        {{-1, true, true, 10, 10, 0}, -1},    // nothing added: playback is left alone
        {{-1, false, false, 0, 0, 0}, -1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ChooseStartIndex(c.choice, [](int bound) { return bound - 1; }), c.expected)
            << c.choice.startCount << ".." << c.choice.count;
}

TEST(MediaOpening, ExtensionLists)
{
    EXPECT_EQ(BaseMediaExtensions().size(), 9);
    EXPECT_EQ(ExcludedExtensions().size(), 47);
    EXPECT_TRUE(DefaultAllowedExtensions().contains(u".flac"_s));
    for (const QString &ext : DefaultAllowedExtensions())
        EXPECT_FALSE(ExcludedExtensions().contains(ext)) << ext.toStdString();

    QStringList expected = BaseMediaExtensions();
    expected << u".flac"_s;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(MergeAllowedExtensions({u".flac"_s, u".mp3"_s, u""_s}), expected);
}

TEST(MediaOpening, ProgramFilesAreRefusedOnlyWhenTheyExist)
{
    TestDir dir;
    const QString exe = dir.Write(QStringLiteral("setup.EXE"), "MZ");
    const QString launcher = dir.Write(QStringLiteral("x.desktop"), "[Desktop Entry]");
    const QString song = dir.Write(QStringLiteral("a.mp3"), "ID3");
    const QString missing = dir.Path(QStringLiteral("gone.exe"));
    EXPECT_EQ(WithoutProgramFiles({exe, dir.Root(), launcher, song, missing}),
              (QStringList{dir.Root(), song, missing}));
}

TEST(MediaOpening, SavedListsReadBackInEveryFormat)
{
    TestDir dir;
    TMyWStrings entries;
    entries.Add(dir.Path(QStringLiteral("曲 1.mp3")));
    entries.Add(dir.Path(QStringLiteral("sub/Café & more.flac")));
    struct Case {
        const char *name;
        int filterIndex;
        const char *written;  // the file that must exist afterwards
        PlaylistFormat format;
    } const cases[] = {
        {"a", 1, "a.m3u8", PlaylistFormat::M3U8},
        {"b", 2, "b.m3u", PlaylistFormat::M3U},
        {"c", 3, "c.pls", PlaylistFormat::PLS},
        {"d", 4, "d.wpl", PlaylistFormat::WPL},
        {"e.PLS", 5, "e.PLS.pls", PlaylistFormat::PLS},  // writers add their own extension in exact case
        {"f.wpl", 5, "f.wpl", PlaylistFormat::WPL},
    };
    for (bool relative : {false, true}) {
        for (const Case &c : cases) {
            const QString target = dir.Path(QString::fromUtf8(c.name));
            ASSERT_TRUE(SaveListAs(entries, target, c.filterIndex, relative)) << c.name;
            const QString written = dir.Path(QString::fromUtf8(c.written));
            EXPECT_EQ(PlaylistFormatOf(written), c.format);
            QStringList back = ReadPlaylistEntries(written);
            if (relative) {
                EXPECT_FALSE(back.first().startsWith(QLatin1Char('/'))) << c.name;
                for (QString &e : back)
                    e = QDir::cleanPath(dir.Path(e));
            }
            EXPECT_EQ(back, (QStringList{entries.Get(0), entries.Get(1)})) << c.name << " relative " << relative;
        }
    }
    // Any other extension with the "all files" filter: the plain list of paths.
    const QString text = dir.Path(QStringLiteral("list.txt"));
    ASSERT_TRUE(SaveListAs(entries, text, 5, false));
    TMyWStrings plain;
    plain.LoadFromFile(text);
    EXPECT_EQ(plain.Get(1), entries.Get(1));

    EXPECT_FALSE(SaveListAs(entries, dir.Path(QStringLiteral("no/such/folder/x.m3u8")), 1, false));
}

TEST(MediaOpening, ResumeListIsUtf8WithoutMarkAndGoesWithAnEmptyList)
{
    TestDir dir;
    ScopedEnvironment env;
    env.SetPath("TAVIO_HOME", dir.Root());
    TMyWStrings entries;
    entries.Add(QStringLiteral("/m/曲.mp3"));
    entries.Add(QStringLiteral("/m/b.mp3"));
    ASSERT_TRUE(WriteResumeList(entries));
    EXPECT_TRUE(ResumeListPath().endsWith(u".resume.m3u8"_s));
    EXPECT_EQ(TestDir::Read(ResumeListPath()), QStringLiteral("/m/曲.mp3\r\n/m/b.mp3\r\n").toUtf8());
    ASSERT_TRUE(WriteResumeList(TMyWStrings()));
    EXPECT_FALSE(QFileInfo::exists(ResumeListPath()));
}

} // namespace
