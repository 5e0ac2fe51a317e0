#pragma once
// Video on the desktop (user-interface thread). The user's wallpaper is never touched: the
// process that hosts the video window while it is shown this way (the sub-player) is asked over
// its panel to show that window borderless over the monitor as a desktop window, below every
// other window, and to hide it again at the end. One instance per process at most.
//
// The request, a text of our own to the host's panel:
//   "/WALLVIDEO:<left>,<top>,<width>,<height>"  show the window over that screen rectangle
//   "/WALLVIDEO:OFF"                            hide it

#include "platform/messagepanel.h"

#include <QRect>
#include <QString>

#include <optional>

struct xcb_connection_t;

class TMyWallVideo {
public:
    // Starts wallpaper mode on the monitor (an index of the screen list; one outside it means the
    // first) with the host panel's window, or moves the running mode there. The key colour is kept
    // from the first call (the windows of the host paint it where no video covers them).
    static void ShowWallVideo(platform::PanelHandle host, int monitorIndex, quint32 keyColour);
    // Ends wallpaper mode if it runs: the host hides its window.
    static void HideWallVideo();
    // The running instance, or null.
    static TMyWallVideo *Instance();

    ~TMyWallVideo();
    TMyWallVideo(const TMyWallVideo &) = delete;
    TMyWallVideo &operator=(const TMyWallVideo &) = delete;

    platform::PanelHandle Host = 0;
    quint32 KeyColour = 0;
    int MonitorIndex = 0;
    // The screen rectangle last asked for.
    QRect Shown;

private:
    TMyWallVideo(platform::PanelHandle host, quint32 keyColour);
    void ApplyWallVideo(int monitorIndex);
};

// The request texts.
QString WallVideoShowText(const QRect &screenRect);
QString WallVideoHideText();
// The value of a WALLVIDEO request: the rectangle to show over, an empty one for "OFF" (any case),
// nothing for a value that is neither (a missing or non-positive size, junk).
std::optional<QRect> ParseWallVideoValue(const QString &value);

// The toolkit's X11 connection; null on another window system (only the command's check is kept
// there).
xcb_connection_t *ToolkitX11Connection();
