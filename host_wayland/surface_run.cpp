// Linux Wayland: one surface's run from its creation to its last frame.
#include "host_wayland/surface_run.h"

#include <cstdio>

#include "host_linux/scene_start.h"
#include "host_wayland/lock_prompt.h"
#include "host_wayland/wayland_input.h"
#include "render/field/field_pass.h"
#include "render/overlay/fps_overlay.h"
#include "render/overlay/lock_indicator.h"
#include "render/scene_setup.h"
#include "saver/frame_tick.h"

namespace {

// The surface takes its new size: buffers, picture and opaque area follow.
void followSize(SurfaceRun& run) {
  DrawSurface& surface = run.surface;
  wl_surface_set_buffer_scale(surface.surface, surface.scale);
  resizeEGLTarget(run.egl, bufferWidth(surface), bufferHeight(surface));
  resizeScene(run.renderer, run.scene, bufferWidth(surface), bufferHeight(surface));
  markOpaque(surface);
  surface.resized = false;
}

}  // namespace

bool startSurfaceRun(SurfaceRun& run, const EglDisplay& egl, const HostOptions& options,
                     const RunPace& pace, const WaylandOutput* output, uint32_t seed,
                     std::string& failure) {
  run.active = true;
  run.outputGlobal = output ? output->globalName : 0;
  run.showFps = options.showFps;
  run.lockRing = options.lock;
  run.schedule = TickSchedule(int64_t{pace.delayMicroseconds} * 1000);
  seedRandom(run.scene.random, seed);
  const SurfaceRole role = !output            ? SurfaceRole::ownWindow
                           : options.lock       ? SurfaceRole::lock
                           : wayland.layerShell ? SurfaceRole::layer
                                                : SurfaceRole::fullscreen;
  if (!createDrawSurface(run.surface, role, output, static_cast<int>(options.width),
                         static_cast<int>(options.height), failure))
    return false;
  markOpaque(run.surface);
  const int width = bufferWidth(run.surface), height = bufferHeight(run.surface);
  run.scene.rect = {0, 0, width, height};
  if (!initEGLTarget(egl, run.egl, run.surface.surface, width, height, failure)) return false;
  failure = startSurfaceScene(run.renderer, run.scene, options, pace.quality);
  if (!failure.empty()) return false;
  if (options.showFps && !initFpsOverlay(run.renderer))
    std::fputs("vorlixss-wayland: the frame rate cannot be shown with this driver\n", stderr);
  // NOTE: the lock works without its ring (the password still unlocks), so a driver that
  // refuses the ring's program is said once and not taken as a failure.
  if (options.lock && !initLockRing(run.renderer))
    std::fputs("vorlixss-wayland: the password ring cannot be drawn with this driver\n", stderr);
  return true;
}

void followSurfaceNews(SurfaceRun& run, const EglDisplay& egl) {
  DrawSurface& surface = run.surface;
  const WaylandOutput* output = run.outputGlobal ? findOutput(run.outputGlobal) : nullptr;
  if (output && output->scale != surface.scale) {
    // The output's scale changed (the user chose another): its pixels stay the picture's.
    surface.scale = output->scale;
    surface.resized = true;
  }
  if (surface.wasHidden) {
    // Shown again after a while: the first tick only reads the clock, and the balls go on
    // from where they were.
    forgetTickReading(run.scene.clock);
    restartFpsCount(run.renderer);
    surface.wasHidden = false;
  }
  if (surface.resized && makeEGLTargetCurrent(egl, run.egl)) followSize(run);
}

int64_t untilFrameDue(const SurfaceRun& run) {
  return framePending(run.surface) ? noTimeout : run.schedule.untilDue();
}

void drawSurfaceFrame(SurfaceRun& run, const EglDisplay& egl) {
  if (framePending(run.surface) || !run.schedule.due()) return;
  if (!makeEGLTargetCurrent(egl, run.egl)) return;
  const uint32_t now = monotonicMilliseconds();
  // A tick that only read the clock leaves the schedule due: the first frame follows at once.
  if (!runFrameTick(run.renderer, run.scene, now)) return;
  if (run.showFps) drawFpsOverlay(run.renderer, run.scene.rect, now);
  if (run.lockRing) drawLockRing(run.renderer, run.scene.rect, lockLook(now));
  askForFrame(run.surface, now);
  swapEGLTarget(egl, run.egl);
  run.schedule.ticked();
}

void repaceSurfaceRun(SurfaceRun& run, const EglDisplay& egl, const RunPace& pace) {
  run.schedule = TickSchedule(int64_t{pace.delayMicroseconds} * 1000);
  if (makeEGLTargetCurrent(egl, run.egl)) switchDrawQuality(run.renderer, run.scene, pace.quality);
}

void releaseSurfaceRun(SurfaceRun& run, const EglDisplay& egl) {
  if (!run.active) return;
  // The GL objects belong to the run's context: it must be current for their release.
  if (run.egl.context != EGL_NO_CONTEXT && makeEGLTargetCurrent(egl, run.egl)) {
    releaseFpsOverlay(run.renderer);
    releaseLockRing(run.renderer);
    releaseScene(run.renderer);
  }
  releaseEGLTarget(egl, run.egl);
  forgetSurfaceInput(run.surface);
  destroyDrawSurface(run.surface);
  run.active = false;
}
