#pragma once
// Start-up measurement: with the variable TAVIO_STARTUP_STAMP naming a file, the moment the
// first window of the process is exposed on the display is appended to that file (nanoseconds
// of the real-time clock, one line); with TAVIO_STARTUP_EXIT also set the process then ends at
// once (for profiling the start alone). Without the variable nothing is installed.

// Installs the watch on the application object (call once the application exists).
void InstallStartupStamp();
