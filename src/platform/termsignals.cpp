#include "platform/termsignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

// The signal handler only writes the signal number into this pipe; the event loop reads it.
int g_pipe[2] = {-1, -1};
volatile sig_atomic_t g_received = 0;

constexpr int kSignals[] = {SIGTERM, SIGINT};

std::function<void(int)> &Handler()
{
    static std::function<void(int)> handler;
    return handler;
}

extern "C" void OnTerminationSignal(int signalNumber)
{
    const int savedErrno = errno;
    if (g_received) {
        // Asked again while still closing: end the way the signal normally ends a process. The
        // signal is blocked while this runs, so it arrives as soon as the handler returns.
        struct sigaction action = {};
        action.sa_handler = SIG_DFL;
        sigemptyset(&action.sa_mask);
        ::sigaction(signalNumber, &action, nullptr);
        ::raise(signalNumber);
    } else {
        g_received = 1;
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    }
    errno = savedErrno;
}

void DrainPipe()
{
    unsigned char bytes[16];
    for (;;) {
        const ssize_t n = ::read(g_pipe[0], bytes, sizeof bytes);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        for (ssize_t i = 0; i < n; ++i)
            if (const std::function<void(int)> handler = Handler())
                handler(bytes[i]);
    }
}

} // namespace

bool InstallTerminationSignals(std::function<void(int signalNumber)> handler)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return false;
    Handler() = std::move(handler);
    if (g_pipe[0] >= 0)
        return true; // already bridged; only the handler changed
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return false;
    }
    auto *notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] { DrainPipe(); });

    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    for (int s : kSignals)
        sigaddset(&action.sa_mask, s);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals) {
        struct sigaction old = {};
        if (::sigaction(s, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue; // started with the signal ignored (nohup, a background job): keep it so
        ::sigaction(s, &action, nullptr);
    }
    return true;
}

bool TerminationSignalReceived() { return g_received != 0; }

} // namespace platform
