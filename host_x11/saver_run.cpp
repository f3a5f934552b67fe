// Linux: the saver's run from the first X request to the last.
#include "host_x11/saver_run.h"

#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <exception>

#include "host_linux/frame_loop.h"
#include "host_linux/power_supply.h"
#include "host_linux/scene_start.h"
#include "host_x11/x11_window.h"
#include "render/context/gl_context.h"
#include "render/context/gl_context_glx.h"
#include "render/field/field_pass.h"
#include "render/overlay/fps_overlay.h"
#include "render/scene_setup.h"
#include "saver/frame_tick.h"

namespace {

// The run's one surface: its scene and its renderer, and how it draws on the power it has.
struct SaverRun {
  Scene scene;
  Renderer renderer;
  PowerWatch power;  // looked at only with the battery saver on
  RunPace pace{};
};

// The one line of a start that failed.
int failStart(const char* reason) {
  std::fprintf(stderr, "vorlixss: %s\n", reason);
  return 1;
}

// What the GL must offer before the scene starts.
// NOTE: the entry points are checked before the shared probe, unlike on Windows: without
// OpenGL 2.0 the probe warns about a way round that this build cannot take, and a start
// that fails says one line, the reason.
void checkShaderSupport() {
  requireShaderEntryPoints();
  probeShaderSupport();
}

// Ticks until the own window is closed, the window is gone or a stop signal arrives.
void runFrames(SaverRun& run, const HostOptions& options) {
  const bool showFps = options.showFps;
  const int connection = ConnectionNumber(drawTarget.display);
  TickSchedule schedule(int64_t{run.pace.delayMicroseconds} * 1000);
  while (!stopRequested()) {
    switch (takeWindowEvents(run.scene.clock)) {
      case WindowNews::gone:
      case WindowNews::close: return;
      case WindowNews::resized:
        resizeScene(run.renderer, run.scene, drawTarget.width, drawTarget.height);
        break;
      case WindowNews::nothing: break;
    }
    if (!drawTarget.mapped) {
      // Nothing can be seen, so nothing is drawn until the window is mapped again (an unmap
      // restarts the frame clock, and the frame-rate count starts afresh too).
      restartFpsCount(run.renderer);
      waitForInput(connection, noTimeout);
      continue;
    }
    schedule.waitForTick(connection);
    if (stopRequested() || !schedule.due()) continue;
    const uint32_t now = monotonicMilliseconds();
    // A tick that only read the clock leaves the schedule due: the first frame is drawn at
    // once instead of one idle period later.
    if (!runFrameTick(run.renderer, run.scene, now)) continue;
    if (showFps) drawFpsOverlay(run.renderer, run.scene.rect, now);
    swapWindowBuffers();
    schedule.ticked();
    if (powerChanged(run.power, now)) {
      run.pace = paceFor(options, run.power.onBattery);
      switchDrawQuality(run.renderer, run.scene, run.pace.quality);
      schedule = TickSchedule(int64_t{run.pace.delayMicroseconds} * 1000);
    }
  }
}

}  // namespace

int runSaver(const HostOptions& options) {
  // First, before any other thread: a stop signal then ends the run at any point.
  installStopSignals();
  std::string failure;
  if (!openDrawTarget(options, failure)) {
    closeDrawTarget();
    return failStart(failure.c_str());
  }
  SaverRun run;
  seedRandom(run.scene.random,
             options.seeded ? options.seed
                            : startSeed(static_cast<uint32_t>(std::time(nullptr)),
                                        static_cast<uint32_t>(getpid()),
                                        static_cast<uint32_t>(drawTarget.window)));
  run.scene.rect = {0, 0, drawTarget.width, drawTarget.height};
  if (options.batterySaver) startPowerWatch(run.power, monotonicMilliseconds());
  run.pace = paceFor(options, run.power.onBattery);
  bool started = initGLContext(drawTarget.display, drawTarget.window, run.scene.rect, failure);
  if (started) {
    failure = startSurfaceScene(run.renderer, run.scene, options, run.pace.quality,
                                checkShaderSupport);
    started = failure.empty();
    if (!started) releaseGLContext();
  }
  if (!started) {
    // The failure line says it all; an X error on the way is part of it, and a window
    // destroyed meanwhile is an orderly end.
    dropXError();
    const bool gone = drawTargetLost();
    closeDrawTarget();
    stopPowerWatch(run.power);
    return gone ? 0 : failStart(failure.c_str());
  }
  showDrawTarget();
  if (options.showFps && !initFpsOverlay(run.renderer))
    std::fputs("vorlixss: this OpenGL cannot draw the frame-rate line, so none is shown\n", stderr);
  runFrames(run, options);
  releaseFpsOverlay(run.renderer);
  releaseScene(run.renderer);
  releaseGLContext();
  closeDrawTarget();
  stopPowerWatch(run.power);
  return 0;
}
