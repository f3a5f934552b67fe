// Linux Wayland: saver mode's group of processes, one cover per output (the scene is
// process-wide, and XScreenSaver too runs one process per screen): started one after the
// other, an output's cover added or ended as the output comes or goes, and everything
// ended together when input, a stop signal or a failure ends one.
#pragma once

#include "host_linux/options.h"

// The variable that makes a started copy of the program the cover of one output:
// "GLOBAL:INDEX", the output's registry name and the cover's place in the group. Its news
// come on descriptor 3.
constexpr const char* coverVariable = "VORLIXSS_WAYLAND_OUTPUT";
constexpr int coverReportDescriptor = 3;

// Runs the group; argv is the program's own command line, which every cover gets too. The
// process exit code: 0 for every orderly end and for a second saver on the same display,
// 1 when a cover cannot start or the compositor goes away (one line says why).
int runOutputGroup(const HostOptions& options, char** argv);
