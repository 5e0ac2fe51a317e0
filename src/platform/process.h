#pragma once
// Starting programs and handing files to the desktop. Nothing here goes through a shell.

#include <QString>
#include <QStringList>

namespace platform {

// Starts the program with the arguments, each passed as it is; the process id, or 0 when the
// program could not be started.
qint64 StartProgram(const QString &program, const QStringList &arguments);

// Opens a file, a folder or a URL with the desktop's default application.
bool OpenWithDesktop(const QString &pathOrUrl);

// Asks the desktop's file manager to show the properties of a file.
bool ShowItemProperties(const QString &path);

} // namespace platform
