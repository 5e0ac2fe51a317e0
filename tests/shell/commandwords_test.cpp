// The command words of the player's panel: the word table's effects, the order of the lists,
// the rate nearest to a number, and the property window's rename and tag-write notices.
#include "custom/myinifile.h"
#include "engine/dsplayer.h"
#include "shell/appinfo.h"
#include "shell/commandwords.h"
#include "shell/mediaplayer.h"
#include "shell/myparam.h"
#include "shellint/myfiledialogs.h"
#include "support/mediafixtures.h"
#include "support/tempdir.h"
#include "support/testapp.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace {

TEST(CommandWords, NearestRate)
{
    struct Case {
        double rate;
        const char16_t *command;
    } const cases[] = {
        {1.45, u"actPlay_Rate_15"}, {100, u"actPlay_Rate_100"}, {0, u"actPlay_Rate_01"},
        {1.6, u"actPlay_Rate_17"},  // equally near 1.7 and 1.5: the first in menu order
        {1.0004, u"actPlay_Rate_10"}, {-3, u"actPlay_Rate_01"}, {NAN, u"actPlay_Rate_01"},
        {1e300, u"actPlay_Rate_100"}, {0.3, u"actPlay_Rate_05"},  // 0.5 and 0.1 equally near: 0.5 comes first
    };
    for (const Case &c : cases)
        EXPECT_EQ(RateCommandName(NearestRateIndex(c.rate)), QStringView(c.command)) << c.rate;
    EXPECT_EQ(RateCommandCount(), 14);
    EXPECT_DOUBLE_EQ(RateOfCommand(0), 8.7);
}

TEST(CommandWords, RenameNotices)
{
    struct Case {
        const char *text;
        bool isRename;
    } const cases[] = {
        {"/rename \"/m/a.mp3\" \"/m/b.mp3\"", true},
        {"/RENAME \"/m/a.mp3\" \"/m/b.mp3\"", true},
        {"/rename \"/m/a.mp3\"", false},  // one path would blank entries
        {"/rename \"\" \"/m/b.mp3\"", false},
        {"/rename", false},
        {"\"/m/a.mp3\" \"/m/b.mp3\"", false},
    };
    for (const Case &c : cases) {
        TMyRenameNotice notice;
        EXPECT_EQ(ParseRenameNotice(TMyParam(QString::fromUtf8(c.text)), notice), c.isRename) << c.text;
    }
}

// A player window that records its openings instead of searching.
class RecordingWindow : public TApp_MEDIAPlayer {
public:
    QStringList log;

protected:
    void OpenPaths(const QStringList &paths, bool) override
    {
        log << (IsChecked(u"actList_OpenAdd") ? QStringLiteral("add:") : QStringLiteral("open:")) +
                   paths.join(QLatin1Char('|'));
    }
    void OpenThisFolderOnly(const QStringList &folders) override
    {
        log << QStringLiteral("thisfolder:") + folders.join(QLatin1Char('|'));
    }
};

class WordsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_env.SetPath("XDG_RUNTIME_DIR", m_runtime.Root());
        m_env.SetPath("TAVIO_HOME", m_home.Root());
        EnsureTestApp();
        TApp_MEDIAPlayer::SetSubPlayerProgram(QString());
        SetMsgBoxAnswerer([this](const QString &text, const QString &, int flags) {
            m_messages << text;
            return DefaultMsgBoxAnswer(flags);
        });
    }
    void TearDown() override
    {
        SetMsgBoxAnswerer(nullptr);
    }
    static void Send(TApp_MEDIAPlayer &window, const QString &text) { window.MyMessagePanel1TextChange(nullptr, text); }

    TestDir m_runtime, m_home, m_files;
    ScopedEnvironment m_env;
    QStringList m_messages;
};

TEST_F(WordsTest, ListsOpenAfterTheSwitchesInTheirOrder)
{
    RecordingWindow window;
    Send(window, QStringLiteral("/FOLDER /m/A /m/B /OPEN /m/x.mp3 /NOSUCHWORD /THISFOLDER /m/t \"\""));
    EXPECT_EQ(window.log, (QStringList{QStringLiteral("open:/m/x.mp3"), QStringLiteral("add:/m/A|/m/B"),
                                      QStringLiteral("thisfolder:/m/t|")}));
    EXPECT_FALSE(window.IsChecked(u"actList_OpenAdd"));  // restored
}

TEST_F(WordsTest, WordsSetWhatTheyName)
{
    RecordingWindow window;
    TMyDSPlayer *player = window.plyMedia();
    struct Case {
        const char *text;
        std::function<bool()> holds;
    } const cases[] = {
        {"/VOLUME:150", [&] { return player->Volume() == 100; }},
        {"/VOLUME:-5", [&] { return player->Volume() == 0; }},
        {"/BALANCE:-300", [&] { return player->Balance() == -100; }},
        {"/BALANCE:40", [&] { return player->Balance() == 40; }},
        {"/RATE:1.45", [&] { return window.IsChecked(u"actPlay_Rate_15"); }},
        {"/rate:0", [&] { return window.IsChecked(u"actPlay_Rate_01") && !window.IsChecked(u"actPlay_Rate_15"); }},
        {"/STARTTIME:1:02:03", [&] { return window.StartPosition == 3723; }},
        {"/STARTTIME:90", [&] { return window.StartPosition == 90; }},
        {"/STARTSEC:12", [&] { return window.StartPosition == 12; }},
        {"/START:1500", [&] { return window.StartPosition == 1.5; }},
        {"/ADD:on", [&] { return window.IsChecked(u"actList_OpenAdd"); }},
        {"/ADD", [&] { return !window.IsChecked(u"actList_OpenAdd"); }},
        {"/RELATIVEPATH:ON", [&] { return window.IsChecked(u"actList_SaveRelativePath"); }},
        {"/RESUME:on /RANDOM:on", [&] { return window.IsChecked(u"actOpt_Resume") && player->PlayMode == pmRandom; }},
        {"/RANDOM:off", [&] { return player->PlayMode == pmNormal; }},
        {"/LOADINI:OFF /SAVEINI:OFF",
         [&] { return window.IsChecked(u"Action_OptNotLoadIni") && window.IsChecked(u"actOpt_NotSaveIni"); }},
        {"/SAVEINI:ON", [&] { return !window.IsChecked(u"actOpt_NotSaveIni"); }},
        {"/TO_SUBPLAYER:77", [&] { return window.SubPlayerPanel == 77; }},
        {"/SEEK:30 /SEEKSEC:30", [&] { return !player->IsOpen(); }},  // nothing open: nothing happens
    };
    for (const Case &c : cases) {
        Send(window, QString::fromUtf8(c.text));
        EXPECT_TRUE(c.holds()) << c.text;
    }
    EXPECT_TRUE(window.log.isEmpty());
}

TEST_F(WordsTest, ListSaveWritesOnlyWithAFileName)
{
    const QString a = m_files.Write(QStringLiteral("a.wav"), "x");
    RecordingWindow window;
    window.plyMedia()->Playlist()->Add(a);
    Send(window, QStringLiteral("/LISTSAVE:"));
    EXPECT_TRUE(m_messages.isEmpty());
    const QString target = m_files.Path(QStringLiteral("saved.m3u8"));
    window.dlgSaveList->FilterIndex = 5;
    Send(window, QStringLiteral("\"/LISTSAVE:%1\"").arg(target));
    EXPECT_EQ(TestDir::Read(target), (a + QStringLiteral("\r\n")).toUtf8());
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(QLatin1Char('|')).toStdString();
}

// The property window closes the playing file before it writes its tags or renames it, and the
// player continues at the same second afterwards; notices for other files change nothing.
TEST_F(WordsTest, RenameAndTagWriteNoticesResumeAtTheSameSecond)
{
    const QString a = m_files.Path(QStringLiteral("a.wav"));
    const QString b = m_files.Path(QStringLiteral("b.wav"));
    ASSERT_TRUE(MakeMediaFile(a, Words(QStringLiteral(
                                     "audiotestsrc num-buffers=100 samplesperbuffer=4410 ! audio/x-raw,rate=44100 ! wavenc"))));
    TApp_MEDIAPlayer window;
    TMyDSPlayer *player = window.plyMedia();
    player->AudioSinkDescription = QStringLiteral("fakesink sync=true");
    window.OpenPaths({a}, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->GetPlayState() == psRunning; }, 10000));
    player->SetPosition(4.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !player->SeekPending(); }, 5000));

    // Another file's notices: nothing happens.
    Send(window, QStringLiteral("\"/PROPERTY_ONSTARTWRITE:%1\"").arg(b));
    EXPECT_TRUE(player->IsOpen());
    Send(window, QStringLiteral("/rename \"%1\" \"%2\"").arg(b, a));
    EXPECT_EQ(player->Playlist()->Get(0), a);

    // A tag write: closed while it runs, then on at the same second.
    Send(window, QStringLiteral("\"/PROPERTY_ONSTARTWRITE:%1\"").arg(a));
    EXPECT_FALSE(player->IsOpen());
    EXPECT_EQ(window.SavedIndex, 0);
    Send(window, QStringLiteral("\"/PROPERTY_ONENDWRITE:%1\"").arg(a));
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->IsOpen() && window.SavedIndex < 0; }, 10000));
    EXPECT_NEAR(player->Position(), 4.0, 1.0);

    // A rename: the entry takes the new name and plays on from where it was.
    ASSERT_TRUE(QFile::rename(a, b));
    Send(window, QStringLiteral("/rename \"%1\" \"%2\"").arg(a, b));
    EXPECT_EQ(player->Playlist()->Get(0), b);
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->IsOpen() && player->FileName() == b; }, 10000));
    EXPECT_NEAR(player->Position(), 4.0, 1.5);
}

} // namespace
