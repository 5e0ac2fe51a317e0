#pragma once
// X11 services of the window code that the toolkit does not offer: marking a window as the
// desktop's own, keeping windows of other processes alive inside ours, asking for a window's
// parent. Each call takes the toolkit's own xcb connection (a save-set belongs to the connection
// that created the windows), or does nothing with a null one (another window system).
//
// User-interface thread only.

#include <QtGlobal>

struct xcb_connection_t;

namespace platform {

using NativeWindow = quint32;

// Marks an unmapped top-level window as a desktop window (EWMH _NET_WM_WINDOW_TYPE_DESKTOP),
// kept below other windows and off the task bar and pager. Window managers read this when the
// window is mapped, so it is set before showing it.
void MarkAsDesktopWindow(xcb_connection_t *connection, NativeWindow window);

// Windows of other clients that come to lie directly inside window (reparented into it or created
// there) go into this client's save-set: when this process ends, even killed, the X server moves
// them to the nearest surviving ancestor instead of destroying them with our window. The toolkit
// does not see those children's notifications. False when window cannot be watched.
bool KeepForeignChildren(xcb_connection_t *connection, NativeWindow window);
// Stops watching window (before it is destroyed).
void ForgetForeignChildren(NativeWindow window);

// The parent of window; 0 when the window does not exist (or without a connection).
NativeWindow NativeParent(xcb_connection_t *connection, NativeWindow window);

} // namespace platform
