#pragma once
// The display platform of the toolkit, chosen before the application object exists. Video is
// drawn into X11 windows (the video sinks know no other), so on a Wayland desktop the program
// runs through the desktop's X server (XWayland) when there is one.

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>

namespace platform {

struct DisplayPlatformChoice {
    // The platform to give the application object ("xcb"); empty: the toolkit's own choice.
    QByteArray platform;
    // Said once when video cannot be shown (a Wayland desktop without an X server); else empty.
    QString notice;
};

// With QT_QPA_PLATFORM set (not empty) the user has chosen and nothing changes. On a Wayland
// desktop (WAYLAND_DISPLAY or XDG_SESSION_TYPE=wayland) the choice is "xcb" when the X server
// named by DISPLAY answers, else the notice. Elsewhere the toolkit chooses by itself.
DisplayPlatformChoice ChooseDisplayPlatform(const QProcessEnvironment &environment);
inline DisplayPlatformChoice ChooseDisplayPlatform()
{
    return ChooseDisplayPlatform(QProcessEnvironment::systemEnvironment());
}

// Whether an X server takes connections at the display name (":1", "unix:1.0"); a display on
// another host is taken as reachable without trying it.
bool XServerReachable(const QString &display);

} // namespace platform
