#pragma once
// Runs a check without the right to read and write everything: directly for an ordinary user,
// in a child process that became the user "nobody" when the tests run as root (root ignores
// the permission bits that the check wants to meet).

#include <functional>
#include <optional>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

// The check's result, or nothing when the privileges could not be given up. Files the child
// must reach need permissions for others (the test folder itself is private to its owner).
inline std::optional<bool> RunUnprivileged(const std::function<bool()> &check)
{
    if (::geteuid() != 0)
        return check();
    const pid_t child = ::fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        constexpr uid_t nobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setresgid(nobody, nobody, nobody) != 0 ||
            ::setresuid(nobody, nobody, nobody) != 0)
            ::_exit(2);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 2)
        return std::nullopt;
    return WEXITSTATUS(status) == 0;
}
