// Linux Wayland: one surface's run, the own window, the cover or the lock of one output: the surface,
// its OpenGL ES context and its own scene and renderer, started in the order of the Windows
// saver; a frame whenever its tick is due and the compositor has shown the last one; the
// release at its end.
#pragma once

#include <cstdint>
#include <string>

#include "host_linux/frame_loop.h"
#include "host_linux/options.h"
#include "host_wayland/wayland_surface.h"
#include "render/context/gl_context_egl.h"
#include "render/renderer.h"
#include "scene/scene.h"

struct SurfaceRun {
  bool active = false;        // started and not yet released
  uint32_t outputGlobal = 0;  // the registry name of the output it covers; 0: the own window
  bool showFps = false;       // the frame-rate line over the picture
  bool lockRing = false;      // the lock's password ring over the picture (--lock)
  DrawSurface surface;
  EglTarget egl;
  Scene scene;
  Renderer renderer;
  TickSchedule schedule{0};
};

// Starts run on output (null: the own window, at the options' size) from seed, at pace.
// False, with the reason in failure and all it made released. run must stay where it is
// until released.
bool startSurfaceRun(SurfaceRun& run, const EglDisplay& egl, const HostOptions& options,
                     const RunPace& pace, const WaylandOutput* output, uint32_t seed,
                     std::string& failure);

// Draws at pace from now on (the machine went on battery or back).
void repaceSurfaceRun(SurfaceRun& run, const EglDisplay& egl, const RunPace& pace);

// Follows what the compositor said since the last frame: a new size or scale, a spell hidden.
void followSurfaceNews(SurfaceRun& run, const EglDisplay& egl);

// Nanoseconds until the next frame is due (0 or less: now); noTimeout while the compositor
// has not shown the last one, as for a surface it does not show at all.
int64_t untilFrameDue(const SurfaceRun& run);

// Draws and shows a frame when one is due.
void drawSurfaceFrame(SurfaceRun& run, const EglDisplay& egl);

// Takes away everything the run made, in the reverse order. Safe on a run not started.
void releaseSurfaceRun(SurfaceRun& run, const EglDisplay& egl);
