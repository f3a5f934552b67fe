// Linux Wayland: one surface's run, as the own window or as the cover of one output in saver
// mode: the surface, the OpenGL ES context and the scene started in the order of the
// Windows saver, the frames paced by the compositor, and the release at the end.
#pragma once

#include <cstdint>

#include "host_linux/options.h"

// How a run ended, as its exit code tells the saver's group of processes.
enum RunEnd : int {
  runEnded = 0,           // input, a close or a stop signal ended it
  runFailed = 1,          // it could not start, or lost the compositor (one line said why)
  runOutputGone = 2,      // the output it covered went away: only its picture ends
  runCompositorGone = 3,  // a cover lost the compositor; the group says so
};

// Where a run draws.
struct SurfacePlace {
  bool saver = false;         // a cover of one output (else the own window)
  uint32_t outputGlobal = 0;  // that output's registry name
  uint32_t index = 0;         // which cover of the group: the random start differs by it
  int report = -1;            // the group's pipe for news ("R", "K", "k", "n"); -1 without
};

// Draws until input, a close, a stop signal or the loss of the surface ends it.
int runSurface(const HostOptions& options, const SurfacePlace& place);
