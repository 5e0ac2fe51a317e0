#pragma once
// The single-instance lock: flock on "<panel folder>/<name>.lock". The kernel releases it when
// the process that holds it ends.

#include <QString>

namespace platform {

enum class InstanceLockResult {
    Acquired,      // this process holds the lock now (or already held it)
    HeldElsewhere, // another process holds it
    Failed,        // the lock file could not be made (folder refused, bad name...)
};

// Takes the lock named name and keeps it for the life of the process.
InstanceLockResult AcquireInstanceLock(const QString &name, QString *error = nullptr);

// True when some open of the lock, this process's own included, holds it. Takes nothing.
bool InstanceLockHeld(const QString &name);

// The same kind of lock held only for a while, for work that one holder at a time may do (other
// threads of this process count as other holders). Waits up to timeoutMs for the lock; IsHeld
// says whether it was got. Released when the object goes.
class ScopedNamedLock {
public:
    ScopedNamedLock(const QString &name, int timeoutMs);
    ~ScopedNamedLock();
    ScopedNamedLock(const ScopedNamedLock &) = delete;
    ScopedNamedLock &operator=(const ScopedNamedLock &) = delete;

    bool IsHeld() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace platform
