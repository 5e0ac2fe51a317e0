// The real executable started on a Wayland desktop that has an X server (XWayland; here the
// private X server of the test run, TAVIO_XVFB_DISPLAY): it comes up on X11 and the video shows.
// Skipped without that server.
#include "engine/mediafixtures.h"
#include "support/tempdir.h"
#include "support/waits.h"
#include "support/xvfb.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const QString kExe = QStringLiteral(TAVIO_EXECUTABLE);

bool IsRed(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }

// Red pixels of the whole screen, every fourth pixel of every fourth row.
int RedSamples()
{
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    int red = 0;
    for (int y = 0; y < screen.height(); y += 4)
        for (int x = 0; x < screen.width(); x += 4)
            red += IsRed(screen.pixel(x, y));
    return red;
}

TEST(StartupXvfb, OnAWaylandDesktopThePlayerRunsOnItsXServerAndShowsVideo)
{
    if (!StartXvfbApplication<QApplication>("shell_startup_xvfb_test"))
        GTEST_SKIP() << "TAVIO_XVFB_DISPLAY is not set";
    const QString red = MediaFixtures::Get().Path(QStringLiteral("red.avi"));
    ASSERT_FALSE(red.isEmpty());
    ASSERT_LT(RedSamples(), 10) << "the screen shows red before the player started";

    TestDir runtime, home;
    ::chmod(QFile::encodeName(runtime.Root()).constData(), 0700);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("tavio-no-such-wayland-display"));
    env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    env.insert(QStringLiteral("DISPLAY"), qEnvironmentVariable("TAVIO_XVFB_DISPLAY"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.Root());
    env.insert(QStringLiteral("TAVIO_HOME"), home.Root());
    env.insert(QStringLiteral("TAVIO_MSGBOX_LOG"), home.Path(QStringLiteral("messages.log")));
    QProcess tavio;
    tavio.setProcessEnvironment(env);
    tavio.setProcessChannelMode(QProcess::MergedChannels);
    tavio.start(kExe, {red});
    ASSERT_TRUE(tavio.waitForStarted());

    // The clip is red all over: a good part of the player's window turns red.
    int samples = 0;
    const bool shown = WaitUntil(
        [&] {
            samples = RedSamples();
            return samples > 500 || tavio.state() == QProcess::NotRunning;
        },
        kLoadedWaitMs) && samples > 500;
    const QString messages = QString::fromUtf8(TestDir::Read(home.Path(QStringLiteral("messages.log"))));
    tavio.terminate();
    if (!tavio.waitForFinished(kLoadedWaitMs)) {
        tavio.kill();
        tavio.waitForFinished();
    }
    EXPECT_TRUE(shown) << samples << " red samples; output:\n" << tavio.readAll().toStdString();
    EXPECT_TRUE(messages.isEmpty()) << messages.toStdString();
    // Its sub-player ends once the player's panel has gone, and takes its panel file along.
    const QDir panels(runtime.Path(QStringLiteral("tavio")));
    const QStringList subPlayers{QStringLiteral("*.TApp_MEDIAPlayerSubForm")};
    EXPECT_TRUE(WaitUntil([&] { return panels.entryList(subPlayers, QDir::AllEntries | QDir::System).isEmpty(); },
                          kLoadedWaitMs));
}

} // namespace
