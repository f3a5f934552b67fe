// Linux Wayland: --idle SECONDS, the saver for desktops where no idle program runs (GNOME, or
// a desktop's autostart without swayidle): it waits in the background, costing nothing, for
// SECONDS without input, shows the saver on every output until input ends it, and waits for
// the next idle spell.
#pragma once

#include "host_linux/options.h"

// Runs until a stop signal (exit code 0), or until the compositor goes or the saver cannot
// start (1, after one line). A second watcher on the same display ends at once with 0.
int runIdle(const HostOptions& options);
