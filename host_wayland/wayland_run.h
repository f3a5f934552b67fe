// Linux Wayland: the program's run in one process: one connection, one EGL display, and a
// surface with a scene of its own for the own window, or in saver mode for every output
// (covered as outputs come, ended as they go), paced each by its own frame callbacks, until
// input, a close, a stop signal or a failure ends it.
#pragma once

#include "host_linux/options.h"

// Runs the own window or the saver. The exit code: 0 for every orderly end and for a second
// saver on the same display, 1 when a surface cannot start or the compositor goes away (one
// line on standard error says why).
int runWayland(const HostOptions& options);
