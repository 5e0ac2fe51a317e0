// The player window's video display offscreen on two monitors (a 1280 x 1024 primary and a
// 1920 x 1080 one to its right), over the real player on a generated 640 x 480 clip: layout and
// height limits, window zoom by the monitor under the mouse, zooming the video inside the
// window, presets, full screen and max zoom in and out, the panels' auto-hide, a monitor going
// away, the renderer change, and where the window's right button and menus act.
#include "custom/actionbuilder.h"
#include "engine/dsplayer.h"
#include "engine/mediafixtures.h"
#include "shell/appguard.h"
#include "shell/appinfo.h"
#include "shell/mediaplayer.h"
#include "shell/videoarea.h"
#include "support/tempdir.h"
#include "support/testapp.h"
#include "support/waits.h"
#include "widgets/heldmodifiers.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

constexpr int kWaitMs = 20000;
const QRect kPrimary(0, 0, 1280, 1024);
const QRect kSecond(1280, 0, 1920, 1080);

class VideoDisplayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (QCoreApplication::instance())
            return;
        static TestDir config;
        config.Write(QStringLiteral("screens.json"),
                     R"({"screens": [
                          {"name": "primary", "x": 0, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96, "dpr": 1},
                          {"name": "second", "x": 1280, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96, "dpr": 1}]})");
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.Path(QStringLiteral("screens.json"))));
        static int argc = 1;
        static char name[] = "shell_videodisplay_test";
        static char *argv[] = {name, nullptr};
        new TMyApplication(argc, argv);
    }

    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::screens().size(), 2);
        m_env.SetPath("XDG_RUNTIME_DIR", m_runtime.Root());
        m_env.SetPath("TAVIO_HOME", m_home.Root());
        TApp_MEDIAPlayer::SetSubPlayerProgram(QString());
        TApp_MEDIAPlayer::SetPropertyProgram(QString());
        SetMsgBoxAnswerer([](const QString &, const QString &, int flags) { return DefaultMsgBoxAnswer(flags); });
        QCursor::setPos(kPrimary.topLeft() + QPoint(300, 300));
    }

    void TearDown() override
    {
        window.reset();
        SetMsgBoxAnswerer({});
        ClearHeldModifiers();
    }

    TApp_MEDIAPlayer &NewWindow(const QPoint &at = QPoint(100, 100))
    {
        window = std::make_unique<TApp_MEDIAPlayer>();
        window->plyMedia()->AudioSinkDescription = QStringLiteral("fakesink sync=true");
        window->move(at);
        window->show();
        return *window;
    }

    static QString Clip640()
    {
        static TestDir dir;
        const QString path = dir.Path(QStringLiteral("v640.avi"));
        if (!QFileInfo::exists(path)) {
            EXPECT_TRUE(MediaFixtures::Launch(QStringLiteral("videotestsrc num-buffers=100 ! video/x-raw,width=640,"
                                                             "height=480,framerate=25/1 ! jpegenc ! avimux ! "
                                                             "filesink location=\"%1\"")
                                                  .arg(path)));
        }
        return path;
    }

    void OpenPaused(const QString &path)
    {
        window->MyMessagePanel1TextChange(nullptr, QStringLiteral("\"%1\"").arg(path));
        ASSERT_TRUE(QTest::qWaitFor([&] { return Player()->IsOpen() && Player()->GetPlayState() == psRunning; }, kWaitMs));
        Player()->Pause();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !Player()->SeekPending(); }, kWaitMs));
    }

    TMyDSPlayer *Player() const { return window->plyMedia(); }
    QWidget *Client() const { return window->centralWidget(); }
    QWidget *Area() const { return VideoAreaOf(window.get()); }
    int Panels() const
    {
        int h = 0;
        for (const QWidget *p : {window->pnlTop, window->pnlInfo, window->pnlBottom})
            h += p->isHidden() ? 0 : p->height();
        return h;
    }
    // Lets the window's layout run until what the test looks at next holds; the expectations
    // that follow tell what differs when it never does.
    static void Settle(const std::function<bool()> &laidOut) { Settled(laidOut); }
    // A 640 pixel wide window opening the 640 x 480 clip: the video at its own size.
    std::function<bool()> FittedOnOpening() const
    {
        return [this] { return Area()->size() == QSize(640, 480) && Client()->height() == 480 + Panels(); };
    }

    std::unique_ptr<TApp_MEDIAPlayer> window;
    TestDir m_runtime, m_home;
    ScopedEnvironment m_env;
};

// Without video the window is exactly as tall as its panels; with one it has room for the video
// at its proportions and may grow; the information panel follows its command only with video.
TEST_F(VideoDisplayTest, LayoutAndHeightLimitsFollowTheMedia)
{
    NewWindow();
    Settle([&] { return window->minimumHeight() == window->maximumHeight() && Client()->height() == Panels(); });
    EXPECT_EQ(window->minimumHeight(), window->maximumHeight());
    EXPECT_EQ(Client()->height(), Panels());
    EXPECT_FALSE(window->pnlInfo->isHidden());

    window->resize(640, window->height());
    OpenPaused(Clip640());
    Settle([&] { return Area()->geometry() == QRect(0, window->pnlTop->height(), 640, 480); });
    EXPECT_EQ(window->maximumHeight(), QWIDGETSIZE_MAX);
    EXPECT_EQ(window->minimumHeight(), Panels() + window->menuBar()->sizeHint().height() + 120);
    EXPECT_EQ(Area()->geometry(), QRect(0, window->pnlTop->height(), 640, 480));  // fitted on opening
    EXPECT_EQ(window->Label_VideoSize->text(), QStringLiteral("640x480 1.33:1"));
    EXPECT_EQ(window->pnlInfo->y(), Area()->geometry().bottom() + 1);

    window->Command(u"actDisp_InfoPanel")->trigger();  // off: the video takes the panel's place
    Settle([&] { return window->pnlInfo->isHidden() && Client()->height() == 480 + Panels(); });
    EXPECT_TRUE(window->pnlInfo->isHidden());
    EXPECT_EQ(Area()->height(), 480);
    EXPECT_EQ(Client()->height(), 480 + Panels());
    EXPECT_EQ(window->pnlBottom->y(), Area()->geometry().bottom() + 1);
}

// Zoom steps and fixed sizes, limited by the work area of the monitor under the mouse.
TEST_F(VideoDisplayTest, ZoomStepsAndTheMonitorUnderTheMouse)
{
    NewWindow();
    window->resize(640, window->height());
    OpenPaused(Clip640());
    struct Step {
        const char16_t *command;
        Qt::KeyboardModifiers held;
        QSize area;
    };
    const Step steps[] = {
        {u"actZoom_Up", {}, {704, 528}},  {u"actZoom_Up", Qt::ShiftModifier, {706, 529}},
        {u"actZoom_Down", {}, {636, 477}}, {u"actZoom_50", {}, {320, 240}},
        {u"actZoom_100", {}, {640, 480}}, {u"actZoom_Fit", {}, {640, 480}},
    };
    for (const Step &s : steps) {
        SetHeldModifiers(s.held);
        window->Execute(s.command);
        ClearHeldModifiers();
        Settle([&] { return Client()->size() == QSize(s.area.width(), s.area.height() + Panels()) && Area()->size() == s.area; });
        EXPECT_EQ(Area()->size(), s.area) << QString::fromUtf16(s.command).toStdString();
        EXPECT_EQ(Client()->width(), s.area.width());
        EXPECT_EQ(Client()->height(), s.area.height() + Panels());
    }
    // A zoom up from 1250 pixels is cut at the primary monitor's 1280, not on the wider one.
    window->resize(1250, window->height());
    window->Execute(u"actZoom_Fit");
    window->Execute(u"actZoom_Up");
    Settle([&] { return window->frameGeometry().width() == 1280; });
    EXPECT_EQ(window->frameGeometry().width(), 1280);
    window->move(kSecond.topLeft() + QPoint(10, 10));
    QCursor::setPos(kSecond.center());
    window->resize(1250, window->height());
    window->Execute(u"actZoom_Up");
    Settle([&] { return window->width() == 1375; });
    EXPECT_EQ(window->width(), 1375);
    EXPECT_LE(window->height(), kSecond.height());
}

// Ctrl zooms the video inside the window around the point under the mouse, between one fifth and
// twenty times its own size; the window keeps its size.
TEST_F(VideoDisplayTest, CtrlZoomKeepsThePointAndStopsAtTheLimits)
{
    NewWindow();
    window->resize(640, window->height());
    OpenPaused(Clip640());
    Settle(FittedOnOpening());
    const QSize windowSize = window->size();
    const QPoint cursorInArea(160, 120);
    QCursor::setPos(Area()->mapToGlobal(cursorInArea));
    const QPointF before(cursorInArea.x() / double(Area()->width()), cursorInArea.y() / double(Area()->height()));
    SetHeldModifiers(Qt::ControlModifier);
    window->Execute(u"actZoom_Up");
    EXPECT_EQ(Area()->size(), QSize(704, 528));
    const QPoint local = Area()->mapFromGlobal(QCursor::pos());
    EXPECT_NEAR(local.x() / double(Area()->width()), before.x(), 0.002);
    EXPECT_NEAR(local.y() / double(Area()->height()), before.y(), 0.002);
    EXPECT_EQ(window->size(), windowSize);

    // The wheel with Ctrl does the same; up until it stops at twenty times.
    for (int i = 0; i < 300 && Area()->width() < 640 * 20 - 128; ++i)
        window->OnZoomWheel(120);
    const int top = Area()->width();
    window->OnZoomWheel(120);
    EXPECT_EQ(Area()->width(), top);
    EXPECT_LE(top, 640 * 20);
    EXPECT_GT(top + 128, 640 * 20);
    for (int i = 0; i < 300; ++i)
        window->OnZoomWheel(-120);
    const int bottom = Area()->width();
    EXPECT_GE(bottom, 128);
    EXPECT_LT(bottom - std::max(bottom / 10, 2), 128);
    EXPECT_EQ(window->size(), windowSize);
}

// The five presets make the video that much of the client width, with and without the panel.
TEST_F(VideoDisplayTest, AspectPresetsSetTheVideoHeight)
{
    NewWindow();
    window->resize(640, window->height());
    OpenPaused(Clip640());
    struct Preset {
        const char16_t *command;
        int height;
    };
    const Preset presets[] = {{u"actZoom_AspectWideScope", 272}, {u"actZoom_AspectHiVision", 360},
                              {u"actZoom_AspectEVista", 384},    {u"actZoom_AspectAVista", 345},
                              {u"actZoom_AspectStandard", 480}};
    for (bool info : {true, false}) {
        window->Command(u"actDisp_InfoPanel")->setChecked(info);
        window->Execute(u"actDisp_InfoPanel");
        for (const Preset &p : presets) {
            window->Execute(p.command);
            Settle([&] { return Area()->size() == QSize(640, p.height); });
            EXPECT_EQ(Area()->size(), QSize(640, p.height)) << QString::fromUtf16(p.command).toStdString() << info;
        }
    }
}

// Full screen covers the monitor the window is on; a double click on the video leaves it for the
// old bounds. Max zoom fills the monitor with the picture and cuts what overflows.
TEST_F(VideoDisplayTest, FullScreenAndMaxZoomInAndOut)
{
    NewWindow(kSecond.topLeft() + QPoint(100, 100));
    window->resize(640, window->height());
    OpenPaused(Clip640());
    Settle(FittedOnOpening());
    const QRect bounds = window->geometry();

    QTest::mouseDClick(Area(), Qt::LeftButton, {}, QPoint(50, 50));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->geometry() == kSecond; }, kWaitMs));
    EXPECT_TRUE(window->IsChecked(u"actZoom_FullScreen"));
    EXPECT_EQ(window->FullScreenTag, 1);
    EXPECT_TRUE(window->menuBar()->isHidden());
    EXPECT_TRUE(window->pnlTop->isHidden());
    EXPECT_TRUE(window->pnlBottom->isHidden());
    EXPECT_TRUE(window->pnlInfo->isHidden());
    EXPECT_EQ(Area()->geometry(), QRect(QPoint(0, 0), kSecond.size()));
    EXPECT_FALSE(window->Command(u"actZoom_100")->isEnabled());

    // Max zoom from full screen: 640 x 480 on 1920 x 1080 fills the width.
    window->Command(u"actZoom_MaxZoom")->trigger();
    Settle([&] { return Area()->geometry() == QRect(0, -180, 1920, 1440); });
    EXPECT_FALSE(window->IsChecked(u"actZoom_FullScreen"));
    EXPECT_EQ(Area()->geometry(), QRect(0, -180, 1920, 1440));

    QTest::mouseDClick(Area(), Qt::LeftButton, {}, QPoint(500, 500));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isFullScreen(); }, kWaitMs));
    Settle([&] { return window->geometry() == bounds && Area()->size() == QSize(640, 480); });
    EXPECT_FALSE(window->IsChecked(u"actZoom_MaxZoom"));
    EXPECT_EQ(window->FullScreenTag, 0);
    EXPECT_EQ(window->geometry(), bounds);
    EXPECT_FALSE(window->menuBar()->isHidden());
    EXPECT_FALSE(window->pnlTop->isHidden());
    EXPECT_EQ(Area()->size(), QSize(640, 480));

    // Without video the command only fits the window.
    Player()->Close();
    window->Command(u"actZoom_FullScreen")->trigger();
    EXPECT_EQ(window->FullScreenTag, 0);
    EXPECT_FALSE(window->isFullScreen());
}

// In full screen the panels slide in when the mouse reaches their edge and go once it has left.
TEST_F(VideoDisplayTest, PanelsSlideInAtTheEdgesAndHideOnTheTick)
{
    NewWindow(kSecond.topLeft() + QPoint(100, 100));
    OpenPaused(Clip640());
    window->Command(u"actZoom_FullScreen")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->geometry() == kSecond; }, kWaitMs));
    auto moveTo = [&](const QPoint &local) {
        QCursor::setPos(Client()->mapToGlobal(local));
        QMouseEvent move(QEvent::MouseMove, QPointF(local), Client()->mapToGlobal(QPointF(local)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(Area(), &move);
    };
    auto settled = [&](QWidget *panel, bool shown) {
        return QTest::qWaitFor([&] { return panel->isHidden() != shown && !panel->property("tavioSlideOut").toBool() &&
                                            (!shown || panel->y() == (panel == window->pnlTop ? 0 : 1080 - panel->height())); },
                               kWaitMs);
    };
    moveTo(QPoint(900, 2));
    EXPECT_TRUE(settled(window->pnlTop, true));
    EXPECT_TRUE(window->pnlBottom->isHidden());
    EXPECT_TRUE(window->Timer_Control->isActive());
    window->Timer_ControlTimer();  // still in the strip: stays
    EXPECT_TRUE(settled(window->pnlTop, true));
    QCursor::setPos(Client()->mapToGlobal(QPoint(900, 500)));
    window->Timer_ControlTimer();
    EXPECT_TRUE(settled(window->pnlTop, false));
    EXPECT_FALSE(window->Timer_Control->isActive());

    moveTo(QPoint(900, 1079));
    EXPECT_TRUE(settled(window->pnlBottom, true));
    EXPECT_TRUE(window->pnlTop->isHidden());
    window->Timer_ControlTimer();
    EXPECT_FALSE(window->pnlBottom->isHidden());
    moveTo(QPoint(900, 500));  // a move alone takes it away too
    EXPECT_TRUE(settled(window->pnlBottom, false));

    // Closing in full screen leaves it first: the bounds written are the window's own.
    window->close();
    EXPECT_EQ(window->FullScreenTag, 0);
    EXPECT_FALSE(window->isFullScreen());
}

// The monitor holding a full-screen window goes away (the offscreen platform cannot remove a
// screen while running, so the handler gets the monitors that are left): full screen is left,
// the window moves to the primary monitor, the media reopens at its second and full screen
// comes back there.
TEST_F(VideoDisplayTest, AMonitorGoneMovesTheWindowAndFullScreenComesBack)
{
    NewWindow(kSecond.topLeft() + QPoint(100, 100));
    OpenPaused(Clip640());
    Player()->SetPosition(1.5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Player()->SeekPending(); }, kWaitMs));
    window->Command(u"actZoom_MaxZoom")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->geometry() == kSecond; }, kWaitMs));

    window->DisplayChange({kPrimary}, kPrimary);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->geometry() == kPrimary; }, kWaitMs));
    EXPECT_TRUE(window->IsChecked(u"actZoom_MaxZoom"));
    EXPECT_EQ(window->FullScreenTag, 1);
    EXPECT_TRUE(Player()->IsOpen());
    EXPECT_NEAR(Player()->Position(), 1.5, 0.1);
    EXPECT_EQ(window->SavedIndex, -1);
    EXPECT_FALSE(window->RememberMaxZoom);
    EXPECT_EQ(Area()->geometry(), QRect(-42, 0, 1365, 1024));

    // Back in a window, it was moved to the primary monitor's corner.
    window->Command(u"actZoom_MaxZoom")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isFullScreen(); }, kWaitMs));
    EXPECT_EQ(window->frameGeometry().topLeft(), kPrimary.topLeft() + QPoint(75, 75));

    // A window that some monitor still shows stays where it is, and nothing reopens.
    const QRect before = window->geometry();
    window->DisplayChange({kPrimary, kSecond}, kPrimary);
    EXPECT_EQ(window->geometry(), before);
}

// Choosing another renderer while a video plays reopens it at the same second with that renderer;
// choosing the one in use does nothing.
TEST_F(VideoDisplayTest, RendererChangeContinuesAtTheSameSecond)
{
    NewWindow();
    OpenPaused(Clip640());
    window->Execute(u"Action_ZoomVMR7");
    Player()->SetPosition(2.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Player()->SeekPending(); }, kWaitMs));
    int opened = 0;
    const auto chained = Player()->OnMediaOpen;
    Player()->OnMediaOpen = [&](TMyDirectShowPlayer *s) {
        ++opened;
        chained(s);
    };
    window->Execute(u"Action_ZoomVMR7");
    EXPECT_EQ(opened, 0);
    window->Command(u"Action_ZoomVMR9")->trigger();
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(window->IsChecked(u"Action_ZoomVMR9"));
    EXPECT_EQ(Player()->Renderer(), vmVMR9);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Player()->GetPlayState() == psRunning && !Player()->SeekPending(); }, kWaitMs));
    EXPECT_NEAR(Player()->Position(), 2.0, 0.3);
    EXPECT_FALSE(window->Command(u"Action_ZoomEVR")->isVisible());
}

// The right button opens the window's menu over the video and the information panel, not over
// its buttons; every menu refreshes what is available as it opens.
TEST_F(VideoDisplayTest, RightButtonPlacesAndMenusRefreshAvailability)
{
    NewWindow();
    Settle([&] { return window->windowHandle() && window->windowHandle()->isExposed(); });
    QMenu *popup = window->mnuPopup;
    auto rightClick = [&](QWidget *w) {
        popup->hide();
        const QPoint at = w->rect().center();
        QTest::mousePress(w, Qt::RightButton, {}, at);
        QTest::mouseRelease(w, Qt::RightButton, {}, at);
        const bool shown = popup->isVisible();
        popup->hide();
        return shown;
    };
    QToolButton *play = window->ToolButton(u"btnPlay_PlayPause");
    ASSERT_TRUE(play);
    EXPECT_FALSE(rightClick(play));
    EXPECT_FALSE(rightClick(window->lblTime));
    EXPECT_TRUE(rightClick(window->Label_FileName));
    EXPECT_TRUE(rightClick(window->pnlInfo));

    // A stale state is put right when a menu opens.
    QAction *next = window->Command(u"actPlay_Next");
    QList<QMenu *> menus{popup};
    for (QAction *item : window->mnuMain->actions())
        if (item->menu())
            menus << item->menu();
    ASSERT_GT(menus.size(), 3);
    for (QMenu *menu : menus) {
        next->setEnabled(true);
        menu->popup(QPoint(10, 10));
        EXPECT_FALSE(next->isEnabled()) << menu->objectName().toStdString();
        menu->hide();
    }
}

} // namespace
