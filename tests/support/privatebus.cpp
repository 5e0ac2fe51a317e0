#include "support/privatebus.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>

namespace {
const QString kConnectionName = QStringLiteral("fake-services");
}

PrivateBus::PrivateBus()
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (program.isEmpty())
        return;
    const QString config = m_dir.Path(QStringLiteral("bus.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
               " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig><type>session</type><listen>unix:dir=" +
               QFile::encodeName(m_dir.Root()) +
               "</listen><auth>EXTERNAL</auth>"
               "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
               "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
    file.close();
    m_daemon.start(program, {QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                             QStringLiteral("--config-file=") + config});
    if (!m_daemon.waitForStarted(5000))
        return;
    QElapsedTimer clock;
    clock.start();
    while (!m_daemon.canReadLine() && clock.elapsed() < 5000 && m_daemon.state() == QProcess::Running)
        m_daemon.waitForReadyRead(100);
    address = QString::fromUtf8(m_daemon.readLine()).trimmed();
}

PrivateBus::~PrivateBus()
{
    QDBusConnection::disconnectFromBus(kConnectionName);
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(3000)) {
            m_daemon.kill();
            m_daemon.waitForFinished();
        }
    }
}

QDBusConnection PrivateBus::Services() { return QDBusConnection::connectToBus(address, kConnectionName); }

bool PrivateBus::Offer(const QString &service, const QString &path, QObject *object)
{
    QDBusConnection services = Services();
    return services.isConnected() && services.registerObject(path, object, QDBusConnection::ExportAllSlots) &&
           services.registerService(service);
}

uint FakeScreenSaver::Inhibit(const QString &application, const QString &reason)
{
    ++inhibits;
    lastArgs = {application, reason};
    held.insert(m_next);
    return m_next++;
}

void FakeScreenSaver::UnInhibit(uint cookie)
{
    ++uninhibits;
    held.remove(cookie);
}
