// Linux: the saver's run from the first X request to the last.
#include "host_x11/saver_run.h"

#include <cstdio>
#include <ctime>
#include <exception>

#include "host_x11/fps_overlay.h"
#include "host_x11/frame_loop.h"
#include "host_x11/x11_window.h"
#include "render/gl_context.h"
#include "render/gl_context_glx.h"
#include "render/scene_setup.h"
#include "saver/frame_tick.h"
#include "scene/frame_clock.h"
#include "scene/random.h"
#include "scene/settings.h"

namespace {

// The one line of a start that failed.
int failStart(const char* reason) {
  std::fprintf(stderr, "vorlixss: %s\n", reason);
  return 1;
}

// The scene's start after the context, in the Windows order: probe, entry points, settings,
// scene. False after a line on standard error when it raised.
bool startScene(const HostOptions& options) {
  try {
    probeShaderSupport();
    requireShaderEntryPoints();
    saverSettings = options.settings;
    initScene();
    return true;
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "vorlixss: the saver could not start: %s\n", failure.what());
    releaseScene();  // what was built before the failure
    return false;
  }
}

// Ticks until the own window is closed, the window is gone or a stop signal arrives.
void runFrames(bool showFps) {
  const int connection = ConnectionNumber(drawTarget.display);
  TickSchedule schedule;
  while (!stopRequested()) {
    switch (takeWindowEvents()) {
      case WindowNews::gone:
      case WindowNews::close: return;
      case WindowNews::resized: resizeScene(drawTarget.width, drawTarget.height); break;
      case WindowNews::nothing: break;
    }
    schedule.waitForTick(connection);
    if (stopRequested() || !schedule.due()) continue;
    const uint32_t now = monotonicMilliseconds();
    // A tick that only read the clock leaves the schedule due: the first frame is drawn at
    // once instead of one idle period later.
    if (!runFrameTick(now)) continue;
    if (showFps) drawFpsOverlay(now);
    swapWindowBuffers();
    schedule.ticked();
  }
}

}  // namespace

int runSaver(const HostOptions& options) {
  // From the start: a SIGTERM while the scene starts then ends the run at its first wait.
  installStopSignals();
  std::string failure;
  if (!openDrawTarget(options, failure)) {
    closeDrawTarget();
    return failStart(failure.c_str());
  }
  seedRandom(options.seeded ? options.seed : static_cast<uint32_t>(std::time(nullptr)));
  clientRect = {0, 0, drawTarget.width, drawTarget.height};
  if (!initGLContext(drawTarget.display, drawTarget.window, failure)) {
    const bool gone = drawTargetLost();
    closeDrawTarget();
    return gone ? 0 : failStart(failure.c_str());
  }
  if (!startScene(options)) {
    releaseGLContext();
    closeDrawTarget();
    return 1;
  }
  if (options.showFps && !initFpsOverlay(drawTarget.display))
    std::fputs("vorlixss: no \"fixed\" font on this display, so no frame rate is shown\n", stderr);
  runFrames(options.showFps);
  releaseFpsOverlay();
  releaseScene();
  releaseGLContext();
  closeDrawTarget();
  return 0;
}
