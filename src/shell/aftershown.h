#pragma once
// Work a window does not need before it is on the screen (starting the sub-player process)
// waits until the window has been exposed the first time, so the window appears as soon as the
// toolkit can show it.

#include <functional>

class QWidget;

// Runs work once the top-level window has had its first expose (after that expose's painting).
// A window that is never shown runs it after fallbackMs; a window already exposed runs it on
// the next turn of the event loop. Work of one window runs in the order given, once.
void RunWhenShown(QWidget *window, std::function<void()> work, int fallbackMs = 1000);
