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

} // namespace platform
