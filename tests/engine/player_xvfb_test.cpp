// Real video output under the private X server of the test run (TAVIO_XVFB_DISPLAY).
#include "engine/dsplayer.h"
#include "mediafixtures.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

#include "support/xvfb.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

bool g_haveDisplay = false;

class PlayerXvfbTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { g_haveDisplay = StartXvfbApplication<QGuiApplication>("engine_player_xvfb_test"); }

    void SetUp() override
    {
        if (!g_haveDisplay)
            GTEST_SKIP() << "TAVIO_XVFB_DISPLAY is not set";
        owner = std::make_unique<QWindow>();
        owner->setGeometry(50, 50, 400, 200);
        owner->show();
        ASSERT_TRUE(WaitUntil([&] { return owner->isExposed(); }, 3000));
        player = std::make_unique<TMyDSPlayer>();
        player->AudioSinkDescription = QStringLiteral("fakesink sync=true");
        player->SetVideoOwner(owner.get());
        red = MediaFixtures::Get().Path(QStringLiteral("red.avi"));
        ASSERT_FALSE(red.isEmpty());
    }

    void TearDown() override
    {
        player.reset();
        owner.reset();
    }

    // The colour at a point of the window (its own coordinates), as the screen shows it.
    static QRgb PixelAt(QWindow *window, int x, int y)
    {
        const QImage image = window->screen()->grabWindow(window->winId(), x, y, 1, 1).toImage();
        return image.isNull() ? 0 : image.pixel(0, 0);
    }
    static bool IsRed(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }

    // True when the middle and the four inner corners of the rectangle all show red.
    static bool RectIsRed(QWindow *window, const QRect &r)
    {
        const QPoint points[] = {r.center(), r.topLeft() + QPoint(3, 3), r.topRight() + QPoint(-3, 3),
                                 r.bottomLeft() + QPoint(3, -3), r.bottomRight() + QPoint(-3, -3)};
        for (const QPoint &p : points)
            if (!IsRed(PixelAt(window, p.x(), p.y())))
                return false;
        return true;
    }

    std::unique_ptr<QWindow> owner;
    std::unique_ptr<TMyDSPlayer> player;
    QString red;
};

TEST_F(PlayerXvfbTest, EveryRendererShowsThePictureInTheAspectBox)
{
    for (TMyVmMode mode : {vmFriendlyVideoRenderer, vmOverlayMixer, vmVMR7, vmVMR9, vmEVR}) {
        SCOPED_TRACE(int(mode));
        player->SetRenderer(mode);
        ASSERT_TRUE(player->Open(red));
        ASSERT_TRUE(player->DisplayVisible());
        // 4:3 inside 400x200: 267x200, centred. Under VMR7 the overlay sink keeps the aspect by
        // itself and is given the whole owner; a sink that draws what it is given (any other,
        // also the plain one that stands in when the overlay sink cannot open) gets the box.
        const QRect picture(66, 0, 267, 200);
        const bool sinkKeepsAspect = mode == vmVMR7 && player->VideoSinkName() == QLatin1String("xvimagesink");
        EXPECT_EQ(player->VideoWindowRect(), sinkKeepsAspect ? QRect(0, 0, 400, 200) : picture)
            << player->VideoSinkName().toStdString();
        EXPECT_TRUE(WaitUntil([&] { return RectIsRed(owner.get(), picture); }, 3000))
            << std::hex << PixelAt(owner.get(), 200, 100);
        // Beside the picture: no picture.
        for (int x : {8, 58, 341, 392})
            EXPECT_TRUE(WaitUntil([&] { return !IsRed(PixelAt(owner.get(), x, 100)); }, 3000))
                << x << " " << player->VideoSinkName().toStdString();
        player->Close();
        EXPECT_FALSE(player->DisplayVisible());
    }
}

TEST_F(PlayerXvfbTest, ResizeAspectAndHandOver)
{
    ASSERT_TRUE(player->Open(red));
    player->Play();
    owner->resize(300, 300);
    // 4:3 inside 300x300: 300x225 at y 37.
    ASSERT_TRUE(WaitUntil([&] { return player->VideoWindowRect() == QRect(0, 37, 300, 225); }, 2000))
        << player->VideoWindowRect().x() << "," << player->VideoWindowRect().y();
    EXPECT_TRUE(WaitUntil([&] { return RectIsRed(owner.get(), QRect(0, 37, 300, 225)); }, 3000));

    player->SetKeepAspect(false);
    EXPECT_EQ(player->VideoWindowRect(), QRect(0, 0, 300, 300));
    EXPECT_TRUE(WaitUntil([&] { return RectIsRed(owner.get(), QRect(0, 0, 300, 300)); }, 3000));

    // The video goes over to another window and keeps playing there.
    QWindow other;
    other.setGeometry(500, 50, 320, 240);
    other.show();
    ASSERT_TRUE(WaitUntil([&] { return other.isExposed(); }, 3000));
    player->SetVideoOwner(&other);
    EXPECT_EQ(player->VideoWindowRect(), QRect(0, 0, 320, 240));
    EXPECT_TRUE(WaitUntil([&] { return RectIsRed(&other, QRect(0, 0, 320, 240)); }, 3000));
    EXPECT_EQ(player->GetPlayState(), psRunning);
    player->SetVideoOwner(owner.get());

    // The same through a native window id, as another process's window is given, and back:
    // the playing goes on and the picture returns to the owner.
    player->SetKeepAspect(true);
    owner->resize(400, 200);
    player->SetVideoOwnerId(other.winId());
    Spin(200);
    EXPECT_TRUE(player->IsOpen());
    EXPECT_EQ(player->GetPlayState(), psRunning);
    player->SetVideoOwner(owner.get());
    ASSERT_TRUE(player->IsOpen());
    EXPECT_EQ(player->GetPlayState(), psRunning);
    EXPECT_TRUE(player->DisplayVisible());
    EXPECT_TRUE(WaitUntil([&] { return player->VideoWindowRect() == QRect(66, 0, 267, 200); }, 2000));
    EXPECT_TRUE(WaitUntil([&] { return RectIsRed(owner.get(), QRect(66, 0, 267, 200)); }, 3000));
}

TEST_F(PlayerXvfbTest, ResizingWhilePlayingKeepsItPlaying)
{
    // Every new size renegotiates the scaled frames while frames of the old size are still on
    // their way (most of them just after playing starts); none of that may stop the stream.
    int errors = 0;
    player->OnMediaError = [&](TMyDirectShowPlayer *) { ++errors; };
    const QSize sizes[] = {{300, 300}, {400, 200}, {320, 240}, {200, 400}};
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(player->Open(red));
        player->Play();
        owner->resize(sizes[i % 4]);
        Spin(120);
        owner->resize(sizes[(i + 1) % 4]);
        Spin(120);
        const double before = player->Position();
        Spin(150);
        EXPECT_EQ(errors, 0);
        EXPECT_GT(player->Position(), before + 0.05);
    }
}

TEST_F(PlayerXvfbTest, WallpaperVideoCoversTheMonitorWithThePicture)
{
    int shown = -1;
    player->OnShowWallVideo = [&](int monitor, quint32 key) {
        shown = monitor;
        EXPECT_EQ(key, 0x100010u);
    };
    ASSERT_TRUE(player->Open(red));
    player->Play();
    ASSERT_TRUE(WaitUntil([&] { return RectIsRed(owner.get(), QRect(66, 0, 267, 200)); }, 3000));
    Spin(200);
    player->StartWallVideo(7);  // no such monitor: the owner's
    EXPECT_EQ(shown, 0);
    // 4:3 over the 1280x1024 screen: 1365x1024, centred, the sides cut.
    const QSize screen = owner->screen()->geometry().size();
    const int width = int(160.0 / 120.0 * screen.height());
    EXPECT_EQ(player->VideoWindowRect(), QRect((screen.width() - width) / 2, 0, width, screen.height()));
    // The frames follow the window: the part inside the owner shows the picture.
    EXPECT_TRUE(WaitUntil([&] { return RectIsRed(owner.get(), QRect(0, 0, 400, 200)); }, 3000));
    player->StopWallVideo();
    EXPECT_EQ(player->VideoWindowRect(), QRect(66, 0, 267, 200));
    EXPECT_TRUE(WaitUntil([&] { return RectIsRed(owner.get(), QRect(66, 0, 267, 200)); }, 3000));
}

TEST_F(PlayerXvfbTest, OwnerGoingAwayStopsTheVideoFirst)
{
    auto doomed = std::make_unique<QWindow>();
    doomed->setGeometry(50, 300, 200, 150);
    doomed->show();
    ASSERT_TRUE(WaitUntil([&] { return doomed->isExposed(); }, 3000));
    player->SetVideoOwner(doomed.get());
    ASSERT_TRUE(player->Open(red));
    player->Play();
    Spin(300);
    doomed.reset();  // the sink must not be left drawing into a destroyed window
    EXPECT_FALSE(player->IsOpen());
    Spin(200);
    player->SetVideoOwner(owner.get());
    ASSERT_TRUE(player->Open(red));
    EXPECT_TRUE(WaitUntil([&] { return RectIsRed(owner.get(), QRect(66, 0, 267, 200)); }, 3000));
}

} // namespace
