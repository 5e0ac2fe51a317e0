#pragma once
// Services of the user interface that the lower layers call without depending on Qt Widgets.
// The shell installs the real handlers at start-up; without them the calls are quiet.

#include <QString>
#include <functional>

namespace platform {

// Lets pending user-interface events run (long list operations call this as they go).
void ProcessEvents();

// The system beep.
void Beep();
void SetBeepHandler(std::function<void()> handler);

// A modal message with an OK button, captioned with the product title.
void ShowMessage(const QString &text);
void SetMessageHandler(std::function<void(const QString &)> handler);

} // namespace platform
