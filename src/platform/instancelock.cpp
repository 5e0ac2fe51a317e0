#include "platform/instancelock.h"

#include "platform/messagepanel.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHash>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

namespace {

QHash<QString, int> &HeldLocks()
{
    static QHash<QString, int> locks;
    return locks;
}

QString LockPath(const QString &name, QString *error)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String(".") ||
        name == QLatin1String("..")) {
        if (error)
            *error = QStringLiteral("ロックの名前 \"%1\" は使えません").arg(name);
        return QString();
    }
    const QString folder = PanelFolder(error);
    if (folder.isEmpty())
        return QString();
    return folder + QLatin1Char('/') + name + QStringLiteral(".lock");
}

int OpenLock(const QString &path, QString *error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0 && error)
        *error = QStringLiteral("ロックファイル \"%1\" を開けません: %2")
                     .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    return fd;
}

} // namespace

InstanceLockResult AcquireInstanceLock(const QString &name, QString *error)
{
    const QString path = LockPath(name, error);
    if (path.isEmpty())
        return InstanceLockResult::Failed;
    if (HeldLocks().contains(path))
        return InstanceLockResult::Acquired;
    const int fd = OpenLock(path, error);
    if (fd < 0)
        return InstanceLockResult::Failed;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            HeldLocks().insert(path, fd); // kept open until the process ends
            return InstanceLockResult::Acquired;
        }
        const int e = errno;
        if (e == EINTR)
            continue;
        ::close(fd);
        if (e == EWOULDBLOCK)
            return InstanceLockResult::HeldElsewhere;
        if (error)
            *error = QStringLiteral("ロックファイル \"%1\" をロックできません: %2")
                         .arg(path, QString::fromLocal8Bit(std::strerror(e)));
        return InstanceLockResult::Failed;
    }
}

bool InstanceLockHeld(const QString &name)
{
    const QString path = LockPath(name, nullptr);
    if (path.isEmpty())
        return false;
    const int fd = OpenLock(path, nullptr);
    if (fd < 0)
        return false;
    bool held = false;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        ::flock(fd, LOCK_UN);
    else
        held = errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

ScopedNamedLock::ScopedNamedLock(const QString &name, int timeoutMs)
{
    const QString path = LockPath(name, nullptr);
    if (path.isEmpty())
        return;
    const int fd = OpenLock(path, nullptr);
    if (fd < 0)
        return;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            m_fd = fd;
            return;
        }
        if (errno != EINTR && (errno != EWOULDBLOCK || clock.elapsed() >= timeoutMs))
            break;
        ::usleep(5000);
    }
    ::close(fd);
}

ScopedNamedLock::~ScopedNamedLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace platform
