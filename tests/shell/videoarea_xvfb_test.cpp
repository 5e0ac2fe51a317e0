// A known coloured clip opened in the main window shows inside its video box, under the private
// X server of the test run (TAVIO_XVFB_DISPLAY); skipped without one.
#include "engine/dsplayer.h"
#include "engine/mediafixtures.h"
#include "shell/mediaplayer.h"
#include "shell/videoarea.h"
#include "support/playerhome.h"
#include "support/waits.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

#include "support/xvfb.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

bool g_haveDisplay = false;

class VideoAreaXvfbTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { g_haveDisplay = StartXvfbApplication<QApplication>("shell_videoarea_xvfb_test"); }

    void SetUp() override
    {
        if (!g_haveDisplay)
            GTEST_SKIP() << "TAVIO_XVFB_DISPLAY is not set";
    }

    static QRgb PixelAt(QWidget *widget, int x, int y)
    {
        const QImage image = widget->screen()->grabWindow(widget->winId(), x, y, 1, 1).toImage();
        return image.isNull() ? 0 : image.pixel(0, 0);
    }

    PlayerTestHome m_home;
};

TEST_F(VideoAreaXvfbTest, AClipOpenedInTheMainWindowShowsInsideTheVideoBox)
{
    const QString red = MediaFixtures::Get().Path(QStringLiteral("red.avi"));
    ASSERT_FALSE(red.isEmpty());
    auto window = std::make_unique<TApp_MEDIAPlayer>();
    window->resize(640, 400);
    window->show();
    TMyVideoArea *area = VideoAreaOf(window.get());
    ASSERT_TRUE(WaitUntil([&] { return area->windowHandle() && area->windowHandle()->isExposed(); }, kLoadedWaitMs));

    // The way a command line arrives: through the window's message panel.
    window->MyMessagePanel1TextChange(nullptr, QStringLiteral("\"%1\"").arg(red));
    TMyDSPlayer *player = area->Player();
    ASSERT_TRUE(WaitUntil([&] { return player->GetPlayState() == psRunning; }, kLoadedWaitMs));
    EXPECT_EQ(player->FileName(), red);
    EXPECT_TRUE(player->DisplayVisible());

    // 4:3 inside the area: full height, centred.
    const QRect box = player->VideoWindowRect();
    EXPECT_EQ(box.height(), area->height());
    EXPECT_NEAR(box.width(), area->height() * 4 / 3, 1);
    EXPECT_NEAR(box.x(), (area->width() - box.width()) / 2, 1);
    auto isRed = [](QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; };
    const QPoint inside[] = {box.center(), box.topLeft() + QPoint(4, 4), box.bottomRight() - QPoint(4, 4)};
    for (const QPoint &p : inside)
        EXPECT_TRUE(WaitUntil([&] { return isRed(PixelAt(area, p.x(), p.y())); }, kLoadedWaitMs))
            << p.x() << "," << p.y() << " " << std::hex << PixelAt(area, p.x(), p.y());
    // Beside the box: the video background, not the picture.
    if (box.x() > 4) {
        const QRgb beside = PixelAt(area, box.x() / 2, area->height() / 2);
        EXPECT_FALSE(isRed(beside)) << std::hex << beside;
        EXPECT_EQ(beside & 0xFFFFFF, 0x100010u) << std::hex << beside;
    }
    window.reset();  // closing with the video running
}

// Full screen on the 5:4 screen of the test server: a 16:9 picture spans the width with the video
// background above and below, whichever renderer draws it (the overlay renderer's sink may be
// missing and give way to the plain one, which only draws what it is given).
TEST_F(VideoAreaXvfbTest, FullScreenLetterboxesAWideClipUnderEveryRenderer)
{
    const QString wide = MediaFixtures::Get().Path(QStringLiteral("red169.avi"));
    ASSERT_FALSE(wide.isEmpty());
    auto isRed = [](QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; };
    for (QStringView renderer : {u"Action_ZoomVMR7", u"Action_ZoomVMR9", u"Action_ZoomOverlayMixer"}) {
        SCOPED_TRACE(renderer.toString().toStdString());
        auto window = std::make_unique<TApp_MEDIAPlayer>();
        window->plyMedia()->AudioSinkDescription = QStringLiteral("fakesink sync=true");
        window->Command(renderer)->trigger();
        window->resize(640, 400);
        window->show();
        TMyVideoArea *area = VideoAreaOf(window.get());
        ASSERT_TRUE(WaitUntil([&] { return area->windowHandle() && area->windowHandle()->isExposed(); }, kLoadedWaitMs));
        window->MyMessagePanel1TextChange(nullptr, QStringLiteral("\"%1\"").arg(wide));
        TMyDSPlayer *player = area->Player();
        ASSERT_TRUE(WaitUntil([&] { return player->GetPlayState() == psRunning; }, kLoadedWaitMs));

        window->Command(u"actZoom_FullScreen")->trigger();
        const QSize screen = area->screen()->geometry().size();
        ASSERT_TRUE(WaitUntil([&] { return area->size() == screen; }, kLoadedWaitMs))
            << area->width() << "x" << area->height();
        // 16:9 across the width, centred: 1280x720 at y 152 on 1280x1024.
        const int h = screen.width() * 9 / 16;
        const QRect picture(0, (screen.height() - h) / 2, screen.width(), h);
        ASSERT_GT(picture.top(), 8);
        EXPECT_TRUE(WaitUntil([&] { return player->VideoWindowRect() == picture ||
                                           player->VideoWindowRect() == QRect(QPoint(0, 0), screen); }, kLoadedWaitMs));
        const QPoint inside[] = {picture.center(), picture.topLeft() + QPoint(8, 4),
                                 picture.bottomRight() - QPoint(8, 4)};
        for (const QPoint &p : inside)
            EXPECT_TRUE(WaitUntil([&] { return isRed(PixelAt(area, p.x(), p.y())); }, kLoadedWaitMs))
                << p.x() << "," << p.y() << " " << std::hex << PixelAt(area, p.x(), p.y());
        // Above and below the picture: not the picture (the video background, or the bars of a
        // sink that draws them itself).
        const QPoint bars[] = {{screen.width() / 2, picture.top() / 2}, {8, 4},
                               {screen.width() / 2, (picture.bottom() + screen.height()) / 2},
                               {screen.width() - 8, screen.height() - 4}};
        for (const QPoint &p : bars)
            EXPECT_TRUE(WaitUntil([&] { return !isRed(PixelAt(area, p.x(), p.y())); }, kLoadedWaitMs))
                << p.x() << "," << p.y() << " " << std::hex << PixelAt(area, p.x(), p.y());
        if (player->VideoWindowRect() == picture) {
            const QPoint above(screen.width() / 2, picture.top() / 2);
            EXPECT_TRUE(WaitUntil([&] { return (PixelAt(area, above.x(), above.y()) & 0xFFFFFF) == 0x100010u; }, kLoadedWaitMs))
                << std::hex << PixelAt(area, above.x(), above.y());
        }

        window->Command(u"actZoom_FullScreen")->trigger();
        EXPECT_TRUE(WaitUntil([&] { return window->FullScreenTag == 0 && area->size() != screen; }, kLoadedWaitMs));
        window.reset();
    }
}

} // namespace
