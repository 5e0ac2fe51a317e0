// The player window on a real X server (TAVIO_XVFB_DISPLAY; skipped without one): a clip shows in
// the video area, pausing holds the position, and a click on the seek bar moves it; closing the
// window keeps the entry and second that the resume list reopens.
#include "engine/dsplayer.h"
#include "custom/myinifile.h"
#include "engine/mediafixtures.h"
#include "shell/mediaplayer.h"
#include "shell/videoarea.h"
#include "support/playerhome.h"
#include "support/waits.h"
#include "widgets/mytrackbar.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QtTest/QTest>

#include "support/xvfb.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

bool g_haveDisplay = false;

class PlayerWindowXvfbTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { g_haveDisplay = StartXvfbApplication<QApplication>("shell_playerwindow_xvfb_test"); }

    void SetUp() override
    {
        if (!g_haveDisplay)
            GTEST_SKIP() << "TAVIO_XVFB_DISPLAY is not set";
    }

    // A player window of 640 x 480 on the screen, playing the ten-second red clip; null (and the
    // test failed) when it does not get there.
    static std::unique_ptr<TApp_MEDIAPlayer> PlayRedClip()
    {
        const QString red = MediaFixtures::Get().Path(QStringLiteral("red.avi"));
        if (red.isEmpty()) {
            ADD_FAILURE() << "no red clip";
            return nullptr;
        }
        auto window = std::make_unique<TApp_MEDIAPlayer>();
        window->plyMedia()->AudioSinkDescription = QStringLiteral("fakesink sync=true");
        window->resize(640, 480);
        window->show();
        TMyVideoArea *area = VideoAreaOf(window.get());
        if (!QTest::qWaitFor([&] { return area->windowHandle() && area->windowHandle()->isExposed(); }, kLoadedWaitMs)) {
            ADD_FAILURE() << "the video area was not exposed";
            return nullptr;
        }
        window->MyMessagePanel1TextChange(nullptr, QStringLiteral("\"%1\"").arg(red));
        TMyDSPlayer *player = window->plyMedia();
        if (!QTest::qWaitFor([&] { return player->GetPlayState() == psRunning && player->Started(); }, kLoadedWaitMs)) {
            ADD_FAILURE() << "the clip did not start";
            return nullptr;
        }
        return window;
    }

    PlayerTestHome m_home;
};

TEST_F(PlayerWindowXvfbTest, ClipShowsPauseHoldsAndTheSeekBarSeeks)
{
    auto window = PlayRedClip();
    ASSERT_TRUE(window);
    TMyVideoArea *area = VideoAreaOf(window.get());
    TMyDSPlayer *player = window->plyMedia();

    const QPoint centre = player->VideoWindowRect().center();
    auto isRed = [&] {
        const QImage image = area->screen()->grabWindow(area->winId(), centre.x(), centre.y(), 1, 1).toImage();
        const QRgb c = image.isNull() ? 0 : image.pixel(0, 0);
        return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
    };
    EXPECT_TRUE(QTest::qWaitFor(isRed, kLoadedWaitMs));
    EXPECT_TRUE(window->Timer_SeekBar->isActive());

    window->Execute(u"actPlay_PlayPause");
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->GetPlayState() == psPaused && !player->SeekPending(); }, kLoadedWaitMs));
    EXPECT_FALSE(window->Timer_SeekBar->isActive());
    // Paused, the position stays where it is while time passes.
    const double held = player->Position();
    QTest::qWait(400);
    EXPECT_NEAR(player->Position(), held, 0.05);

    TMyTrackBar *seek = window->TrackBar_Seek;
    ASSERT_TRUE(seek->isEnabled());
    QTest::mouseClick(seek, Qt::LeftButton, {}, QPoint(TrackXFromValue(seek->Metrics(), 7), seek->height() / 2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !player->SeekPending(); }, kLoadedWaitMs));
    EXPECT_NEAR(player->Position(), 7, 0.6);
    EXPECT_TRUE(window->lblTime->text().startsWith(QStringLiteral("7"))) << window->lblTime->text().toStdString();
    window->close();
    window.reset();
}

TEST_F(PlayerWindowXvfbTest, ClosingWithAVideoKeepsItsEntryAndWholeSecond)
{
    // The video window goes with the player window's own, and the media with it: the second
    // written at exit is the one the user left, not that of a closed media.
    auto window = PlayRedClip();
    ASSERT_TRUE(window);
    TMyDSPlayer *player = window->plyMedia();
    ASSERT_TRUE(player->HasVideo());
    window->Execute(u"actPlay_PlayPause");
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->GetPlayState() == psPaused && !player->SeekPending(); }, kLoadedWaitMs));
    player->SetPosition(6.7);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !player->SeekPending(); }, kLoadedWaitMs));
    ASSERT_NEAR(player->Position(), 6.7, 0.1);

    window->close();
    TMyIniFile ini{QString()};
    window->SaveSettings(ini);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("RESUME"), QStringLiteral("Index"), -2), 0);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("RESUME"), QStringLiteral("Time"), -1), 6);  // whole seconds, cut
    window.reset();
}

} // namespace
