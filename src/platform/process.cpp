#include "platform/process.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QProcess>
#include <QUrl>

#include <gio/gio.h>

namespace platform {
namespace {

QByteArray UriOf(const QString &pathOrUrl)
{
    const QUrl url(pathOrUrl);
    if (!pathOrUrl.startsWith(QLatin1Char('/')) && url.isValid() && url.scheme().size() > 1)
        return url.toEncoded();
    return QUrl::fromLocalFile(pathOrUrl).toEncoded();
}

} // namespace

qint64 StartProgram(const QString &program, const QStringList &arguments)
{
    if (program.isEmpty())
        return 0;
    qint64 pid = 0;
    if (!QProcess::startDetached(program, arguments, QString(), &pid))
        return 0;
    return pid;
}

bool OpenWithDesktop(const QString &pathOrUrl)
{
    if (pathOrUrl.isEmpty())
        return false;
    const QByteArray uri = UriOf(pathOrUrl);
    GError *error = nullptr;
    const bool ok = g_app_info_launch_default_for_uri(uri.constData(), nullptr, &error);
    if (error)
        g_error_free(error);
    return ok;
}

bool ShowItemProperties(const QString &path)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItemProperties"));
    call << QStringList{QString::fromLatin1(UriOf(path))} << QString();
    return bus.send(call);
}

} // namespace platform
