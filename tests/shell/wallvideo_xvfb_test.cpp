// Video on the desktop and the minimised hand-over, with the real sub-player process, on the Xvfb
// server of TAVIO_XVFB_DISPLAY (skipped without one). The X server is asked directly what is
// mapped where: wallpaper mode is one desktop-type window of the sub-player over the monitor with
// the picture, each way out removes it, nothing of the user's desktop setting changes, and the
// player outlives a sub-player killed while it holds the video.
#include "engine/dsplayer.h"
#include "engine/mediafixtures.h"
#include "shell/mediaplayer.h"
#include "shell/videoarea.h"
#include "shellint/mywallvideo.h"
#include "support/tempdir.h"
#include "support/testapp.h"
#include "support/waits.h"
#include "support/x11query.h"
#include "support/xvfb.h"
#include "widgets/heldmodifiers.h"

#include <QAction>
#include <QApplication>
#include <QDirIterator>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWindow>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <memory>

#ifndef TAVIO_EXECUTABLE
#define TAVIO_EXECUTABLE ""
#endif

namespace {

bool g_haveDisplay = false;

bool IsRed(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }

class WallVideoXvfbTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { g_haveDisplay = StartXvfbApplication<QApplication>("shell_wallvideo_xvfb_test"); }

    void SetUp() override
    {
        if (!g_haveDisplay)
            GTEST_SKIP() << "TAVIO_XVFB_DISPLAY is not set";
        if (QString::fromUtf8(TAVIO_EXECUTABLE).isEmpty())
            GTEST_SKIP() << "the executable is not known";
        m_env.SetPath("XDG_RUNTIME_DIR", m_runtime.Root());
        m_env.SetPath("TAVIO_HOME", m_home.Root());
        TApp_MEDIAPlayer::SetSubPlayerProgram(QString::fromUtf8(TAVIO_EXECUTABLE));
        m_x = std::make_unique<X11Query>(qgetenv("TAVIO_XVFB_DISPLAY"));
        ASSERT_TRUE(m_x->Ok());
        m_rootBefore = m_x->RootProperties();
    }

    void TearDown() override
    {
        SetHeldModifiers(Qt::NoModifier);
        m_window.reset();
        TApp_MEDIAPlayer::SetSubPlayerProgram(QString());
        if (m_x) {
            // Nothing of the desktop's own setting was touched, and no picture file was written.
            EXPECT_EQ(m_x->RootProperties(), m_rootBefore);
            QDirIterator files(m_home.Root(), QDir::Files, QDirIterator::Subdirectories);
            while (files.hasNext())
                EXPECT_FALSE(files.next().endsWith(QLatin1String(".wallpaper.bmp")));
            EXPECT_FALSE(QFileInfo::exists(QString::fromUtf8(TAVIO_EXECUTABLE) + QStringLiteral(".wallpaper.bmp")));
        }
    }

    // A player window playing the red clip, its sub-player answered.
    void StartPlaying()
    {
        const QString red = MediaFixtures::Get().Path(QStringLiteral("red.avi"));  // ten seconds
        ASSERT_FALSE(red.isEmpty());
        m_window = std::make_unique<TApp_MEDIAPlayer>();
        m_window->plyMedia()->AudioSinkDescription = QStringLiteral("fakesink sync=true");
        m_window->setGeometry(100, 100, 640, 480);
        m_window->show();
        TMyVideoArea *area = VideoAreaOf(m_window.get());
        ASSERT_TRUE(QTest::qWaitFor([&] { return area->windowHandle() && area->windowHandle()->isExposed(); }, kLoadedWaitMs));
        ASSERT_TRUE(m_window->EnsureSubPlayer());
        m_window->MyMessagePanel1TextChange(nullptr, QStringLiteral("\"%1\"").arg(red));
        TMyDSPlayer *p = m_window->plyMedia();
        ASSERT_TRUE(QTest::qWaitFor([&] { return p->GetPlayState() == psRunning && p->Started(); }, kLoadedWaitMs));
    }

    qint64 SubPlayerPid() const
    {
        const auto id = platform::QueryPanel(m_window->SubPlayerPanel, kLoadedWaitMs);
        return id ? id->processId : 0;
    }
    quint32 SubPlayerWindow() const
    {
        const auto id = platform::QueryPanel(m_window->SubPlayerPanel, kLoadedWaitMs);
        return id ? quint32(id->state.windowId) : 0;
    }
    quint32 VideoWindow() const
    {
        QWindow *w = m_window->plyMedia()->VideoWindow();
        return w ? quint32(w->winId()) : 0;
    }
    quint32 AreaWindow() const { return quint32(VideoAreaOf(m_window.get())->winId()); }

    void SetWallVideo(bool on)
    {
        m_window->Command(u"Action_ZoomWallvideo")->setChecked(on);
        m_window->Execute(u"Action_ZoomWallvideo");
    }

    QRgb ScreenPixel(const QPoint &at) const
    {
        const QImage image = QGuiApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), 1, 1).toImage();
        return image.isNull() ? 0 : image.pixel(0, 0);
    }

    // Wallpaper mode as the X server shows it: one viewable desktop window of the sub-player,
    // covering the monitor, holding our video window, red in the middle of the screen.
    void ExpectOnTheDesktop(qint64 pid)
    {
        const QRect monitor = m_window->screen()->geometry();
        QList<xcb_window_t> desktops;
        ASSERT_TRUE(QTest::qWaitFor([&] { return (desktops = m_x->DesktopWindowsOf(pid)).size() == 1; }, kLoadedWaitMs))
            << "desktop windows of the sub-player: " << desktops.size();
        EXPECT_EQ(desktops[0], SubPlayerWindow());
        EXPECT_EQ(m_x->Geometry(desktops[0]), monitor);
        EXPECT_EQ(m_x->Parent(VideoWindow()), desktops[0]);
        // Below the player window: the last child of the root is drawn on top.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                const QList<xcb_window_t> stack = m_x->Children(m_x->Root());
                return stack.indexOf(desktops[0]) < stack.indexOf(quint32(m_window->winId()));
            },
            kLoadedWaitMs));
        // Outside the player window the desktop shows the clip.
        const QPoint outside(monitor.right() - 20, monitor.bottom() - 20);
        EXPECT_TRUE(QTest::qWaitFor([&] { return IsRed(ScreenPixel(outside)); }, kLoadedWaitMs))
            << std::hex << ScreenPixel(outside);
    }

    void ExpectGoneFromTheDesktop(qint64 pid)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_x->DesktopWindowsOf(pid).isEmpty(); }, kLoadedWaitMs));
        EXPECT_FALSE(m_window && m_window->plyMedia()->WallVideo);
        EXPECT_EQ(TMyWallVideo::Instance(), nullptr);
    }

    TestDir m_runtime, m_home;
    ScopedEnvironment m_env;
    std::unique_ptr<X11Query> m_x;
    QList<QByteArray> m_rootBefore;
    std::unique_ptr<TApp_MEDIAPlayer> m_window;
};

TEST_F(WallVideoXvfbTest, EveryWayOutOfWallpaperModeRemovesTheDesktopWindow)
{
    struct Exit {
        const char *name;
        bool mediaStaysOpen;
        std::function<void(TApp_MEDIAPlayer &)> leave;
    };
    const Exit exits[] = {
        {"unchecking", true, [this](TApp_MEDIAPlayer &) { SetWallVideo(false); }},
        {"checking full screen", true,
         [](TApp_MEDIAPlayer &w) { w.Command(u"actZoom_FullScreen")->setChecked(true); }},
        {"Shift+play/pause", false,
         [](TApp_MEDIAPlayer &w) {
             SetHeldModifiers(Qt::ShiftModifier);
             w.Execute(u"actPlay_PlayPause");
             SetHeldModifiers(Qt::NoModifier);
         }},
        {"system suspend", false, [](TApp_MEDIAPlayer &w) { w.SystemSuspend(); }},
        {"unloading", false, [](TApp_MEDIAPlayer &w) { w.plyMedia()->Unload(); }},
        {"closing the window", false, [this](TApp_MEDIAPlayer &) { m_window.reset(); }},
    };
    for (const Exit &exit : exits) {
        SCOPED_TRACE(exit.name);
        StartPlaying();
        if (HasFatalFailure())
            return;
        const qint64 pid = SubPlayerPid();
        ASSERT_GT(pid, 0);
        EXPECT_TRUE(m_x->DesktopWindowsOf(pid).isEmpty());

        SetWallVideo(true);
        ExpectOnTheDesktop(pid);
        // Shown again (the next opening re-applies it): still the one window.
        m_window->ReapplyWallVideo();
        // Once the sub-player answers its panel again it has handled the re-apply.
        ASSERT_EQ(SubPlayerPid(), pid);
        EXPECT_EQ(m_x->DesktopWindowsOf(pid).size(), 1);

        exit.leave(*m_window);
        ExpectGoneFromTheDesktop(pid);
        if (!m_window)
            continue;
        EXPECT_EQ(m_x->Parent(VideoWindow()), AreaWindow());
        if (exit.mediaStaysOpen) {
            // The picture is back in the window.
            TMyVideoArea *area = VideoAreaOf(m_window.get());
            const QPoint centre = m_window->plyMedia()->VideoWindowRect().center();
            EXPECT_TRUE(area->rect().contains(centre));
            EXPECT_TRUE(QTest::qWaitFor(
                [&] {
                    const QImage image = area->screen()->grabWindow(area->winId(), centre.x(), centre.y(), 1, 1).toImage();
                    return !image.isNull() && IsRed(image.pixel(0, 0));
                },
                kLoadedWaitMs));
        }
        m_window.reset();
    }
}

TEST_F(WallVideoXvfbTest, KillingTheSubPlayerThatHoldsTheVideoLeavesThePlayerPlaying)
{
    StartPlaying();
    const qint64 pid = SubPlayerPid();
    ASSERT_GT(pid, 0);
    SetWallVideo(true);
    ExpectOnTheDesktop(pid);

    ASSERT_EQ(::kill(pid_t(pid), SIGKILL), 0);
    TMyDSPlayer *p = m_window->plyMedia();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_window->VideoHostPanel == 0; }, kLoadedWaitMs));
    EXPECT_TRUE(m_x->DesktopWindowsOf(pid).isEmpty());
    EXPECT_FALSE(p->WallVideo);
    EXPECT_FALSE(m_window->IsChecked(u"Action_ZoomWallvideo"));
    // The video window survived the sub-player and is back in the video area, still playing.
    EXPECT_EQ(m_x->Parent(VideoWindow()), AreaWindow());
    EXPECT_EQ(p->GetPlayState(), psRunning);
    const double before = p->Position();
    EXPECT_TRUE(QTest::qWaitFor([&] { return p->Position() > before + 0.5; }, kLoadedWaitMs));
    TMyVideoArea *area = VideoAreaOf(m_window.get());
    const QPoint centre = p->VideoWindowRect().center();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const QImage image = area->screen()->grabWindow(area->winId(), centre.x(), centre.y(), 1, 1).toImage();
            return !image.isNull() && IsRed(image.pixel(0, 0));
        },
        kLoadedWaitMs));
}

TEST_F(WallVideoXvfbTest, MinimisedTheSubPlayerHoldsTheVideoAndPlaybackGoesOn)
{
    StartPlaying();
    const quint32 subWindow = SubPlayerWindow();
    ASSERT_NE(subWindow, 0u);
    TMyDSPlayer *p = m_window->plyMedia();

    // Without a window manager nothing answers an iconify request: the state change is delivered.
    m_window->setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(m_window->isMinimized());
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_x->Parent(VideoWindow()) == subWindow; }, kLoadedWaitMs));
    EXPECT_EQ(m_window->VideoHostPanel, m_window->SubPlayerPanel);
    EXPECT_FALSE(m_x->Viewable(subWindow));  // a hidden owner: nothing shows
    const double before = p->Position();
    EXPECT_TRUE(QTest::qWaitFor([&] { return p->Position() > before + 0.5; }, kLoadedWaitMs));
    EXPECT_EQ(p->GetPlayState(), psRunning);

    // Playing again while minimised: the video stays with the sub-player.
    p->Replay();
    EXPECT_EQ(m_x->Parent(VideoWindow()), subWindow);

    m_window->setWindowState(Qt::WindowNoState);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_x->Parent(VideoWindow()) == AreaWindow(); }, kLoadedWaitMs));
    EXPECT_EQ(m_window->VideoHostPanel, 0);
    // Laid out in the area again: the video covers its width.
    EXPECT_EQ(p->VideoWindowRect().width(), VideoAreaOf(m_window.get())->width());
    EXPECT_EQ(p->GetPlayState(), psRunning);
}

} // namespace
