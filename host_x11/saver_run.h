// Linux: one run of the saver: the window, the GL context and the scene started in the same
// order as on Windows, the frame loop, and the release at the end.
#pragma once

#include "host_linux/options.h"

// Draws until the own window is closed, a stop signal arrives or the window is destroyed.
// Result: the process exit code (0 for every orderly end, 1 when the scene cannot start,
// after one line on standard error that says why).
int runSaver(const HostOptions& options);
