#include "platform/displayplatform.h"

#include <QRegularExpression>

#include <cerrno>
#include <cstddef>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

// Connects to a local stream socket, abstract (the name after a NUL) or in the file system.
bool SocketAnswers(const QByteArray &name, bool abstract)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const size_t offset = abstract ? 1 : 0;
    if (name.isEmpty() || size_t(name.size()) + offset >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path + offset, name.constData(), size_t(name.size()));
    const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + offset + size_t(name.size()) + (abstract ? 0 : 1));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    int r;
    do
        r = ::connect(fd, reinterpret_cast<const sockaddr *>(&address), length);
    while (r != 0 && errno == EINTR);
    ::close(fd);
    return r == 0;
}

} // namespace

bool XServerReachable(const QString &display)
{
    // [host]:number[.screen]; a host of "unix" or none is this machine's socket.
    static const QRegularExpression pattern(QStringLiteral("^(.*):(\\d+)(\\.\\d+)?$"));
    const QRegularExpressionMatch m = pattern.match(display);
    if (!m.hasMatch())
        return false;
    const QString host = m.captured(1);
    if (host.startsWith(QLatin1Char('/')))  // a socket path given as the host part
        return SocketAnswers(host.toLocal8Bit(), false);
    if (!host.isEmpty() && host != QLatin1String("unix"))
        return true;
    const QByteArray socket = "/tmp/.X11-unix/X" + m.captured(2).toLatin1();
    return SocketAnswers(socket, true) || SocketAnswers(socket, false);
}

DisplayPlatformChoice ChooseDisplayPlatform(const QProcessEnvironment &environment)
{
    DisplayPlatformChoice choice;
    if (!environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty())
        return choice;
    const bool wayland = !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty() ||
                         environment.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland");
    if (!wayland)
        return choice;
    const QString display = environment.value(QStringLiteral("DISPLAY"));
    if (!display.isEmpty() && XServerReachable(display))
        choice.platform = "xcb";
    else
        choice.notice = QStringLiteral("映像は表示できません。映像の表示には X11 か XWayland が必要です（音声は再生できます）。");
    return choice;
}

} // namespace platform
