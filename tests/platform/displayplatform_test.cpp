#include "platform/displayplatform.h"

#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using platform::ChooseDisplayPlatform;

QProcessEnvironment Environment(std::initializer_list<std::pair<const char *, QString>> values)
{
    QProcessEnvironment env;
    for (const auto &[name, value] : values)
        env.insert(QString::fromLatin1(name), value);
    return env;
}

// The X server of the test run.
QString ReachableDisplay()
{
    return qEnvironmentVariable("TAVIO_XVFB_DISPLAY");
}

// A listening local socket at the path; -1 on failure.
int Listen(const QString &path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (size_t(name.size()) >= sizeof(address.sun_path))
        return -1;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0 && ::listen(fd, 4) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

TEST(DisplayPlatform, WaylandDesktopsRunThroughTheirXServer)
{
    const QString x = ReachableDisplay();
    if (x.isEmpty())
        GTEST_SKIP() << "TAVIO_XVFB_DISPLAY is not set";
    ASSERT_TRUE(platform::XServerReachable(x));
    const QString missingX = QStringLiteral(":4999");
    ASSERT_FALSE(platform::XServerReachable(missingX));
    const QString wl = QStringLiteral("tavio-no-such-wayland-display");
    struct Case {
        const char *what;
        QProcessEnvironment env;
        QByteArray platform;
        bool notice;
    };
    const Case cases[] = {
        {"wayland display and X", Environment({{"WAYLAND_DISPLAY", wl}, {"DISPLAY", x}}), "xcb", false},
        {"wayland session and X", Environment({{"XDG_SESSION_TYPE", QStringLiteral("wayland")}, {"DISPLAY", x}}),
         "xcb", false},
        {"empty platform is no choice", Environment({{"WAYLAND_DISPLAY", wl}, {"DISPLAY", x}, {"QT_QPA_PLATFORM", {}}}),
         "xcb", false},
        {"wayland without X", Environment({{"WAYLAND_DISPLAY", wl}}), "", true},
        {"wayland, X server gone", Environment({{"WAYLAND_DISPLAY", wl}, {"DISPLAY", missingX}}), "", true},
        {"chosen by the user", Environment({{"WAYLAND_DISPLAY", wl}, {"QT_QPA_PLATFORM", QStringLiteral("wayland")}}),
         "", false},
        {"chosen by the user, X there",
         Environment({{"WAYLAND_DISPLAY", wl}, {"DISPLAY", x}, {"QT_QPA_PLATFORM", QStringLiteral("offscreen")}}), "",
         false},
        {"X11 desktop", Environment({{"DISPLAY", x}, {"XDG_SESSION_TYPE", QStringLiteral("x11")}}), "", false},
        {"no desktop", Environment({}), "", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const platform::DisplayPlatformChoice choice = ChooseDisplayPlatform(c.env);
        EXPECT_EQ(choice.platform, c.platform);
        EXPECT_EQ(!choice.notice.isEmpty(), c.notice) << choice.notice.toStdString();
        if (c.notice)
            EXPECT_TRUE(choice.notice.contains(QStringLiteral("XWayland")));
    }
}

TEST(DisplayPlatform, DisplayNames)
{
    // A listening socket given as the host part answers; names that are not displays do not.
    QTemporaryDir dir;
    const QString socket = dir.filePath(QStringLiteral("x0"));
    const int server = Listen(socket);
    ASSERT_GE(server, 0);
    EXPECT_TRUE(platform::XServerReachable(socket + QStringLiteral(":0")));
    EXPECT_FALSE(platform::XServerReachable(dir.filePath(QStringLiteral("none")) + QStringLiteral(":0")));
    EXPECT_TRUE(platform::XServerReachable(QStringLiteral("otherhost:10.0")));  // not tried
    for (const char *bad : {"", "0", ":", ":x", "unix:"})
        EXPECT_FALSE(platform::XServerReachable(QString::fromLatin1(bad))) << bad;
    ::close(server);
}

} // namespace
