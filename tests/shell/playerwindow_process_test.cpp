// The player window with other processes: "プロパティ(&R)" starts one property process for the
// playing file, and the real player closed while it plays ends cleanly.
#include "engine/dsplayer.h"
#include "engine/mediafixtures.h"
#include "platform/messagepanel.h"
#include "shell/appinfo.h"
#include "shell/mediaplayer.h"
#include "support/peerprocess.h"
#include "support/playerhome.h"
#include "support/testapp.h"
#include "support/waits.h"

#include <QApplication>
#include <QAction>
#include <QProcess>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace {

const QString kExe = QStringLiteral(TAVIO_EXECUTABLE);

QList<platform::PanelEntry> LivePanels(const QString &cls)
{
    QList<platform::PanelEntry> live;
    for (const auto &e : platform::ListPanels(cls))
        if (platform::IsPanel(e.handle))
            live << e;
    return live;
}

class PlayerWindowProcessTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApp(); }
    void SetUp() override
    {
        m_home.env.SetPath("TAVIO_MSGBOX_LOG", m_home.home.Path(QStringLiteral("boxes.log")));
        SetMsgBoxAnswerer([](const QString &, const QString &, int flags) { return DefaultMsgBoxAnswer(flags); });
    }
    void TearDown() override
    {
        for (const auto &e : LivePanels(QString()))
            if (auto id = platform::QueryPanel(e.handle, kLoadedWaitMs); id && id->processId != QCoreApplication::applicationPid())
                ::kill(pid_t(id->processId), SIGKILL);
        SetMsgBoxAnswerer({});
    }
    PlayerTestHome m_home;
};

TEST_F(PlayerWindowProcessTest, PropertyCommandStartsOnePropertyProcess)
{
    const QString clip = MediaFixtures::Get().Path(QStringLiteral("tone.wav"));
    ASSERT_FALSE(clip.isEmpty());
    TApp_MEDIAPlayer::SetPropertyProgram(kExe);
    TApp_MEDIAPlayer window;
    window.plyMedia()->AudioSinkDescription = QStringLiteral("fakesink sync=true");
    window.MyMessagePanel1TextChange(nullptr, QStringLiteral("\"%1\"").arg(clip));
    ASSERT_TRUE(window.plyMedia()->IsOpen());
    ASSERT_TRUE(window.Command(u"Action_FileProperty")->isEnabled());
    window.Command(u"Action_FileProperty")->trigger();
    ASSERT_TRUE(WaitServingPanels([] { return LivePanels(QStringLiteral("TApp_MediaProperty")).size() == 1; }, kLoadedWaitMs));
    // The command had started every process it was going to before its window came up.
    EXPECT_EQ(ProcessesIn(kExe, m_home.runtime.Root()).size(), 1);
    const auto panels = LivePanels(QStringLiteral("TApp_MediaProperty"));
    ASSERT_EQ(panels.size(), 1);
    const auto id = platform::QueryPanel(panels[0].handle, kLoadedWaitMs);
    ASSERT_TRUE(id.has_value());
    EXPECT_EQ(id->state.shownFile, clip);
    TApp_MEDIAPlayer::SetPropertyProgram(QString());
}

TEST_F(PlayerWindowProcessTest, ClosingWhilePlayingEndsCleanly)
{
    const QString clip = MediaFixtures::Get().Path(QStringLiteral("v25.avi"));
    ASSERT_FALSE(clip.isEmpty());
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(kExe, {clip});
    ASSERT_TRUE(p.waitForStarted());
    ASSERT_TRUE(WaitServingPanels([] { return LivePanels(QStringLiteral("TApp_MEDIAPlayer")).size() == 1; }, kLoadedWaitMs));
    QTest::qWait(1500);  // well into the three-second clip
    ::kill(pid_t(p.processId()), SIGTERM);  // closes the window the way the user does
    ASSERT_TRUE(p.waitForFinished(kLoadedWaitMs)) << p.readAll().toStdString();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << p.readAll().toStdString();
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(LivePanels(QStringLiteral("TApp_MEDIAPlayer")).isEmpty());
    EXPECT_EQ(TestDir::Read(m_home.home.Path(QStringLiteral("boxes.log"))), QByteArray());  // it played: no question
}

} // namespace
