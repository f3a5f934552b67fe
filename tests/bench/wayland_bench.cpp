// Benchmark driver of the Wayland program's scene in a private headless sway; prints key=value
// lines for scripts/bench and asserts nothing.
//   wayland_bench REPS SECONDS OPTIONS...
// OPTIONS are vorlixss-wayland's own settings, read by its own parser. It covers the first
// output as `vorlixss-wayland --root` does (an overlay layer surface, or a fullscreen toplevel
// where there is no layer shell) with the program's own surface, EGL context and scene code,
// times the GL floor there (gl_floor.h, medians of REPS; none for 0), then the draw-and-swap
// ceiling for SECONDS: the real tick's passes with the clock held still (so no simulation step
// runs) and the EGL swap, each frame drawn as soon as the compositor has shown the last one
// (its frame callback), with no timer wait: the most frames the program could show here.
// Given VORLIX_COMPOSITOR_PID, it also prints the compositor's CPU over the same span.
#include "render/context/gl_api.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "gl_floor.h"
#include "host_linux/frame_loop.h"
#include "host_linux/options.h"
#include "host_wayland/wayland_display.h"
#include "host_wayland/wayland_surface.h"
#include "render/context/gl_context.h"
#include "render/context/gl_context_egl.h"
#include "render/field/field_pass.h"
#include "saver/frame_tick.h"
#include "scene/frame_clock.h"
#include "scene/random.h"
#include "scene/settings.h"

namespace {

DrawSurface drawSurface;  // the benchmark's one surface

constexpr int maxReps = 2000;
constexpr int warmupFrames = 10;
constexpr int64_t frameWaitLimit = 2000000000;  // a compositor that shows nothing for 2 s
double samples[maxReps];

double seconds(clockid_t clock) {
  timespec now;
  clock_gettime(clock, &now);
  return now.tv_sec + now.tv_nsec / 1e9;
}

// User and system CPU seconds of process pid so far; -1 when it cannot be read.
double processCpuSeconds(const char* pid) {
  if (!pid) return -1;
  FILE* stat = std::fopen((std::string("/proc/") + pid + "/stat").c_str(), "r");
  if (!stat) return -1;
  char text[1024] = "";
  const size_t length = std::fread(text, 1, sizeof text - 1, stat);
  std::fclose(stat);
  text[length] = '\0';
  const char* rest = std::strrchr(text, ')');  // the name in brackets may hold spaces
  unsigned long user = 0, system = 0;
  if (!rest || std::sscanf(rest + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu",
                           &user, &system) != 2)
    return -1;
  return static_cast<double>(user + system) / sysconf(_SC_CLK_TCK);
}

int fail(const std::string& reason) {
  std::printf("error=%s\n", reason.c_str());
  return 2;
}

// Waits until the compositor has shown the last frame; false when it does not within the
// limit or the connection is lost.
bool waitForShown() {
  const double start = seconds(CLOCK_MONOTONIC);
  while (framePending(drawSurface)) {
    if (!waitForWayland(frameWaitLimit)) return false;
    if (seconds(CLOCK_MONOTONIC) - start > frameWaitLimit / 1e9) return false;
  }
  return true;
}

// One frame as the program draws it: the tick, the frame callback asked for, the swap.
void drawFrame(uint32_t clock) {
  runFrameTick(clock);
  askForFrame(drawSurface, monotonicMilliseconds());
  swapEGLBuffers();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: wayland_bench REPS SECONDS [vorlixss-wayland options]\n");
    return 2;
  }
  const int reps = std::clamp(std::atoi(argv[1]), 0, maxReps);
  const double runSeconds = std::atof(argv[2]);
  const ParsedOptions parsed = parseOptions(argc - 2, argv + 2, nullptr, LinuxProgram::wayland);
  if (!parsed.error.empty()) return fail(parsed.error);
  std::string failure;
  if (!connectWayland(failure)) return fail(failure);
  const WaylandOutput* output = nullptr;
  for (const WaylandOutput& slot : wayland.outputs)
    if (slot.output && !output) output = &slot;
  if (!output) return fail("the compositor has no output");
  const SurfaceRole role = wayland.layerShell ? SurfaceRole::layer : SurfaceRole::fullscreen;
  if (!createDrawSurface(drawSurface, role, output, 0, 0, failure)) return fail(failure);
  markOpaque(drawSurface);
  clientRect = {0, 0, bufferWidth(drawSurface), bufferHeight(drawSurface)};
  if (!initEGLContext(wayland.display, drawSurface.surface, bufferWidth(drawSurface), bufferHeight(drawSurface), failure))
    return fail(failure);
  seedRandom(1);
  saverSettings = parsed.options.settings;
  drawQuality = parsed.options.quality;  // as the program draws
  initScene();
  std::printf("renderer=%s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  std::printf("gl_version=%s\n", reinterpret_cast<const char*>(glGetString(GL_VERSION)));
  std::printf("client=%dx%d\nghost_ring=%d\n", bufferWidth(drawSurface), bufferHeight(drawSurface),
              ghostRingActive() ? 1 : 0);

  const uint32_t stillClock = 1000;
  runFrameTick(stillClock);  // the first reading only records the time
  for (int i = 0; i < warmupFrames; ++i) {
    if (!waitForShown()) return fail("the compositor showed no frame for 2 s");
    drawFrame(stillClock);
  }
  if (reps > 0) {
    const GlFloor floor = measureGlFloor(samples, reps);
    std::printf("metaball_pass_ms=%.3f\nblend_pass_ms=%.3f\n", floor.metaballMs, floor.blendMs);
  }

  if (!waitForShown()) return fail("the compositor showed no frame for 2 s");
  const char* compositor = std::getenv("VORLIX_COMPOSITOR_PID");
  const double compositorStart = processCpuSeconds(compositor);
  const double start = seconds(CLOCK_MONOTONIC), cpuStart = seconds(CLOCK_PROCESS_CPUTIME_ID);
  int frames = 0;
  double now = start, waited = 0;  // seconds spent waiting for the frame callbacks
  while (now - start < runSeconds) {
    drawFrame(stillClock);
    ++frames;
    const double swapped = seconds(CLOCK_MONOTONIC);
    if (!waitForShown()) return fail("the compositor showed no frame for 2 s");
    now = seconds(CLOCK_MONOTONIC);
    waited += now - swapped;
  }
  std::printf("ceiling_frames=%d\nceiling_seconds=%.3f\n", frames, now - start);
  std::printf("ceiling_fps=%.2f\nceiling_cpu_percent=%.1f\n", frames / (now - start),
              (seconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart) / (now - start) * 100);
  const double compositorEnd = processCpuSeconds(compositor);
  if (compositorStart >= 0 && compositorEnd >= 0)
    std::printf("compositor_cpu_percent=%.1f\n",
                (compositorEnd - compositorStart) / (now - start) * 100);
  std::printf("draw_ms_per_frame=%.2f\ncallback_wait_ms_per_frame=%.2f\n",
              (now - start - waited) / frames * 1000, waited / frames * 1000);
  releaseScene();
  releaseEGLContext();
  destroyDrawSurface(drawSurface);
  disconnectWayland();
  return 0;
}
