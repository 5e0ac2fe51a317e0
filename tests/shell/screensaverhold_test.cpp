// The player window keeps the screen saver off while it plays, offscreen, over the real player on
// a generated sound clip with a silent sink, with a screen saver service of the test's own on a
// private session bus.
#include "engine/dsplayer.h"
#include "shell/appguard.h"
#include "shell/appinfo.h"
#include "shell/mediaplayer.h"
#include "support/mediafixtures.h"
#include "support/privatebus.h"
#include "support/tempdir.h"
#include "support/testapp.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int kWaitMs = 20000;
constexpr char16_t kAllow[] = u"actOpt_AllowScreenSaver";

class ScreenSaverHoldTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApp<TMyApplication>(); }

    void SetUp() override
    {
        m_env.SetPath("XDG_RUNTIME_DIR", m_runtime.Root());
        m_env.SetPath("TAVIO_HOME", m_home.Root());
        m_env.SetPath("XDG_CONFIG_HOME", m_home.Root());
        TApp_MEDIAPlayer::SetSubPlayerProgram(QString());
        TApp_MEDIAPlayer::SetPropertyProgram(QString());
        SetMsgBoxAnswerer([this](const QString &text, const QString &, int flags) {
            boxes << text;
            return DefaultMsgBoxAnswer(flags);
        });
    }

    void TearDown() override
    {
        window.reset();
        SetMsgBoxAnswerer({});
    }

    // A running private bus with the fake service on it, as the session bus of the environment.
    void OfferScreenSaver()
    {
        if (bus.address.isEmpty())
            GTEST_SKIP() << "no dbus-daemon to run a private bus";
        ASSERT_TRUE(bus.Offer(QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
                              &saver));
        m_env.Set("DBUS_SESSION_BUS_ADDRESS", bus.address.toUtf8());
    }

    // Made after the bus address is set: the window's inhibitor takes the environment's bus.
    void NewWindow()
    {
        window = std::make_unique<TApp_MEDIAPlayer>();
        window->plyMedia()->AudioSinkDescription = QStringLiteral("fakesink sync=true");
        window->resize(480, 320);
        window->show();
    }

    // Half a minute of quiet mono sound, playing.
    void PlayClip()
    {
        const QString path = m_files.Path(QStringLiteral("long.wav"));
        ASSERT_TRUE(MakeMediaFile(path, Words(QStringLiteral("audiotestsrc num-buffers=60 samplesperbuffer=4000 volume=0.05 ! "
                                                             "audio/x-raw,rate=8000,channels=1 ! wavenc"))));
        window->OpenPaths({path}, false);
        ASSERT_TRUE(QTest::qWaitFor([&] { return Playing(); }, kWaitMs));
    }

    bool Playing() const
    {
        return window->plyMedia()->IsOpen() && window->plyMedia()->GetPlayState() == psRunning;
    }

    // A second for the 300 ms display timer to run a few times, and while it runs, until it has
    // run three times (a loaded machine makes it late).
    void SomeTicks()
    {
        int ticks = 0;
        const QMetaObject::Connection counting =
            QObject::connect(window->Timer_SeekBar, &QTimer::timeout, window.get(), [&] { ++ticks; });
        QElapsedTimer clock;
        clock.start();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return clock.elapsed() >= 1000 && (ticks >= 3 || !window->Timer_SeekBar->isActive()); }, kWaitMs));
        QObject::disconnect(counting);
    }

    PrivateBus bus;
    FakeScreenSaver saver;
    std::unique_ptr<TApp_MEDIAPlayer> window;
    QStringList boxes;
    TestDir m_runtime, m_home, m_files;
    ScopedEnvironment m_env;
};

TEST_F(ScreenSaverHoldTest, HeldWhilePlayingReleasedOnPauseAndOnClose)
{
    OfferScreenSaver();
    NewWindow();
    ASSERT_FALSE(window->IsChecked(kAllow));
    PlayClip();
    EXPECT_TRUE(window->Timer_SeekBar->isActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return saver.held.size() == 1; }, kWaitMs));
    EXPECT_EQ(saver.lastArgs.value(0), QStringLiteral("tavio"));
    EXPECT_TRUE(window->ScreenSaverInhibited());
    SomeTicks();
    EXPECT_EQ(saver.inhibits, 1) << "every tick took an inhibition of its own";

    window->Execute(u"actPlay_PlayPause");
    ASSERT_TRUE(QTest::qWaitFor([&] { return saver.held.isEmpty(); }, kWaitMs));
    EXPECT_EQ(window->plyMedia()->GetPlayState(), psPaused);
    EXPECT_FALSE(window->Timer_SeekBar->isActive());
    EXPECT_FALSE(window->ScreenSaverInhibited());
    SomeTicks();
    EXPECT_EQ(saver.inhibits, 1) << "taken again while paused";

    // Playing on takes it again; closing the window lets it go.
    window->Execute(u"actPlay_PlayPause");
    ASSERT_TRUE(QTest::qWaitFor([&] { return saver.held.size() == 1; }, kWaitMs));
    EXPECT_EQ(saver.inhibits, 2);
    window->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return saver.held.isEmpty(); }, kWaitMs));
    EXPECT_EQ(saver.uninhibits, 2);
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(u'\n').toStdString();
}

TEST_F(ScreenSaverHoldTest, AllowingTheScreenSaverTakesNoneAndLetsAHeldOneGo)
{
    OfferScreenSaver();
    NewWindow();
    window->Command(kAllow)->trigger();  // as the menu item does
    ASSERT_TRUE(window->IsChecked(kAllow));
    PlayClip();
    SomeTicks();
    EXPECT_TRUE(window->Timer_SeekBar->isActive());
    EXPECT_EQ(saver.inhibits, 0);
    EXPECT_FALSE(window->ScreenSaverInhibited());

    window->Command(kAllow)->trigger();  // off while playing: the next tick takes one
    ASSERT_TRUE(QTest::qWaitFor([&] { return saver.held.size() == 1; }, kWaitMs));
    window->Command(kAllow)->trigger();  // on again while playing: let go at once
    ASSERT_TRUE(QTest::qWaitFor([&] { return saver.held.isEmpty(); }, kWaitMs));
    SomeTicks();
    EXPECT_TRUE(Playing());
    EXPECT_EQ(saver.inhibits, 1);
    EXPECT_EQ(saver.uninhibits, 1);
}

// A session bus that is not there: playing goes on as before and no tick waits for the bus.
TEST_F(ScreenSaverHoldTest, NoBusIsHarmless)
{
    m_env.Set("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tavio-test-bus");
    NewWindow();
    PlayClip();
    window->Timer_SeekBar->stop();
    QElapsedTimer clock;
    clock.start();
    window->Timer_SeekBarTimer(nullptr);  // the tick that asks for the inhibition
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_TRUE(window->ScreenSaverInhibited());  // asked for; nothing to hold it
    window->Timer_SeekBar->start();
    const double before = window->plyMedia()->Position();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->plyMedia()->Position() > before + 0.5; }, kWaitMs));
    EXPECT_TRUE(Playing());

    clock.restart();
    window->Execute(u"actPlay_PlayPause");
    window->close();
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_FALSE(window->ScreenSaverInhibited());
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(u'\n').toStdString();
}

} // namespace
