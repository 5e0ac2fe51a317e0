#include "platform/appdirs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace platform {

QString ExecutablePathOS()
{
    QFileInfo self(QStringLiteral("/proc/self/exe"));
    const QString target = self.canonicalFilePath();
    if (!target.isEmpty())
        return target;
    return QCoreApplication::applicationFilePath();
}

QString DataFolder()
{
    const QString home = qEnvironmentVariable("TAVIO_HOME");
    if (!home.isEmpty()) {
        QDir().mkpath(home);
        return QDir::cleanPath(QDir(home).absolutePath());
    }
    const QString exeFolder = QFileInfo(ExecutablePathOS()).absolutePath();
    if (!exeFolder.isEmpty() && ::access(QFile::encodeName(exeFolder).constData(), W_OK) == 0)
        return exeFolder;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    const QString folder = config + QStringLiteral("/tavio");
    QDir().mkpath(folder);
    return folder;
}

QString DataPathBase()
{
    return DataFolder() + QLatin1Char('/') + QFileInfo(ExecutablePathOS()).fileName();
}

} // namespace platform
