// Linux Wayland: a surface's run from the connection to its last frame.
#include "host_wayland/surface_run.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <exception>
#include <string>

#include "host_linux/frame_loop.h"
#include "host_linux/scene_start.h"
#include "host_wayland/wayland_display.h"
#include "host_wayland/wayland_input.h"
#include "host_wayland/wayland_surface.h"
#include "render/fps_overlay.h"
#include "render/gl_context_egl.h"
#include "render/scene_setup.h"
#include "saver/frame_tick.h"

namespace {

// The surface's scene and renderer.
struct SurfaceScene {
  Scene scene;
  Renderer renderer;
};

const char* const compositorLostLine = "lost the connection to the Wayland compositor";

// The one line of a run that cannot go on.
int failRun(const std::string& reason) {
  std::fprintf(stderr, "vorlixss-wayland: %s\n", reason.c_str());
  return runFailed;
}

// Tells the group one piece of news; a group that is gone no longer listens.
void report(const SurfacePlace& place, char news) {
  if (place.report >= 0 && write(place.report, &news, 1) < 0) {
  }
}

// The random start: with --seed the first cover starts from it as vorlixss does and the
// others from seeds of their own, so that no two outputs show the same picture.
uint32_t runSeed(const HostOptions& options, const SurfacePlace& place) {
  if (options.seeded)
    return place.index == 0 ? options.seed : startSeed(options.seed, place.index, 0);
  return startSeed(static_cast<uint32_t>(std::time(nullptr)), static_cast<uint32_t>(getpid()),
                   place.outputGlobal);
}

// The surface takes its new size: buffers, picture and opaque area follow.
void followSize(SurfaceScene& run) {
  wl_surface_set_buffer_scale(drawSurface.surface, drawSurface.scale);
  resizeEGLWindow(bufferWidth(), bufferHeight());
  resizeScene(run.renderer, run.scene, bufferWidth(), bufferHeight());
  markOpaque();
  drawSurface.resized = false;
}

// Draws a frame whenever the tick is due and the compositor has shown the last one, until
// something ends the run; its end.
int runFrames(SurfaceScene& run, const HostOptions& options, const SurfacePlace& place) {
  TickSchedule schedule(int64_t{options.delayMicroseconds} * 1000);
  bool shown = false;  // the first frame went to the compositor
  for (;;) {
    if (stopRequested() || input.ended) return runEnded;
    if (input.focusChanged) {
      input.focusChanged = false;
      report(place, input.focus == KeyboardFocus::held   ? 'K'
                    : input.focus == KeyboardFocus::lost ? 'k'
                                                         : 'n');
    }
    // A layer surface closes with its output; a toplevel at the user's or compositor's word.
    if (drawSurface.closed) return drawSurface.layerSurface ? runOutputGone : runEnded;
    const WaylandOutput* output = place.saver ? findOutput(place.outputGlobal) : nullptr;
    if (place.saver && !output) return runOutputGone;
    if (output && output->scale != drawSurface.scale) {
      // The output's scale changed (the user chose another): its pixels stay the picture's.
      drawSurface.scale = output->scale;
      drawSurface.resized = true;
    }
    if (drawSurface.wasHidden) {
      // Shown again after a while: the first tick only reads the clock, and the balls go on
      // from where they were.
      forgetTickReading(run.scene.clock);
      restartFpsCount(run.renderer);
      drawSurface.wasHidden = false;
    }
    if (drawSurface.resized) followSize(run);
    // A surface that is not shown sends no frame callback: the wait then has no end but the
    // compositor's events and the stop signals, and costs nothing.
    const int64_t wait = framePending() ? noTimeout : std::max<int64_t>(schedule.untilDue(), 0);
    if (!waitForWayland(wait)) {
      if (place.saver) return runCompositorGone;
      return failRun(compositorLostLine);
    }
    if (framePending() || !schedule.due() || stopRequested() || input.ended) continue;
    const uint32_t now = monotonicMilliseconds();
    // A tick that only read the clock leaves the schedule due: the first frame follows at once.
    if (!runFrameTick(run.renderer, run.scene, now)) continue;
    if (options.showFps) drawFpsOverlay(run.renderer, run.scene.rect, now);
    askForFrame(now);
    swapEGLBuffers();
    if (!shown) report(place, 'R');
    shown = true;
    schedule.ticked();
  }
}

// Takes away everything a run made, in the reverse order; the compositor then shows nothing
// of it.
void releaseRun(SurfaceScene& run) {
  releaseFpsOverlay(run.renderer);
  releaseScene(run.renderer);
  releaseEGLContext();
  destroyDrawSurface();
  stopInput();
  if (wayland.display) flushWayland();
  disconnectWayland();
}

}  // namespace

int runSurface(const HostOptions& options, const SurfacePlace& place) {
  installStopSignals();
  std::string failure;
  if (!connectWayland(failure)) {
    disconnectWayland();
    // The group reached the compositor a moment ago: a cover that cannot means it is gone,
    // and the group says so once.
    return place.saver ? runCompositorGone : failRun(failure);
  }
  const WaylandOutput* output = nullptr;
  SurfaceRole role = SurfaceRole::ownWindow;
  if (place.saver) {
    output = findOutput(place.outputGlobal);
    if (!output) {
      disconnectWayland();
      return failRun("an output went away while the saver started");
    }
    role = wayland.layerShell ? SurfaceRole::layer : SurfaceRole::fullscreen;
  }
  SurfaceScene run;
  seedRandom(run.scene.random, runSeed(options, place));
  startInput(place.saver);
  bool started = createDrawSurface(role, output, static_cast<int>(options.width),
                                   static_cast<int>(options.height), failure);
  if (started) {
    markOpaque();
    run.scene.rect = {0, 0, bufferWidth(), bufferHeight()};
    started = initEGLContext(wayland.display, drawSurface.surface, bufferWidth(),
                             bufferHeight(), failure);
  }
  if (started) {
    failure = startSurfaceScene(run.renderer, run.scene, options);
    started = failure.empty();
  }
  if (started && options.showFps && !initFpsOverlay(run.renderer))
    std::fputs("vorlixss-wayland: the frame rate cannot be shown with this driver\n", stderr);
  if (!started) {
    // A start cut short by the compositor's end is that end, not the step that noticed it.
    const bool lost = wl_display_roundtrip(wayland.display) < 0;
    releaseRun(run);
    if (stopRequested()) return runEnded;
    if (lost) return place.saver ? runCompositorGone : failRun(compositorLostLine);
    return failRun(failure);
  }
  const int end = runFrames(run, options, place);
  releaseRun(run);
  return end;
}
