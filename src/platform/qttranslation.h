#pragma once
// Qt's own texts (buttons and labels of its dialogs) in Japanese.

class QCoreApplication;

namespace platform {

// Loads Qt's Japanese translation ("qtbase_ja" from Qt's translation folder) and installs it in
// the application; call once at start. False when the translation is not installed: Qt's texts
// then stay English.
bool InstallQtTranslation(QCoreApplication &app);

} // namespace platform
