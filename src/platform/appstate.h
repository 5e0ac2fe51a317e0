#pragma once
// The application's run state as long operations of the lower layers need to see it.

#include <functional>

namespace platform {

// True once the application was asked to quit (or is being torn down); long list operations
// that have no cancel query of their own stop then.
bool IsTerminating();
// Lets the shell (or a test) say so directly.
void SetTerminating(bool terminating);

// Whether the Escape key is held down now. Needs the window system, so the shell installs the
// query; without one the answer is false.
bool EscapeKeyDown();
void SetEscapeKeyHandler(std::function<bool()> handler);

} // namespace platform
