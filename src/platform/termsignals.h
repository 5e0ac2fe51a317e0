#pragma once
// Termination requests by signal (SIGTERM, SIGINT) turned into a call on the user-interface
// thread, so that a window asked to end can close the way the user closes it: its panels go,
// its settings can be written.

#include <functional>

namespace platform {

// From now on SIGTERM and SIGINT do not end the process at once: each one calls handler with
// the signal number from the event loop of the calling (user-interface) thread. A second such
// signal while the first one has not ended the process ends it as the system would, so a
// process that cannot finish closing can still be stopped. A signal the process was started
// with ignored stays ignored. Needs a QCoreApplication; false when the bridge could not be
// set up (the signals then keep their default action).
bool InstallTerminationSignals(std::function<void(int signalNumber)> handler);

// True once a termination signal has reached the bridge.
bool TerminationSignalReceived();

} // namespace platform
