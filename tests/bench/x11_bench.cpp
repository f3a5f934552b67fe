// Benchmark driver of the Linux program's scene on a private Xvfb; prints key=value lines
// for scripts/bench and asserts nothing.
//   x11_bench REPS SECONDS OPTIONS...
// OPTIONS are vorlixss's own (where to draw and the settings), read by its own parser. On
// that window it times the GL floor (gl_floor.h, medians of REPS; none for 0), then the draw-and-swap
// ceiling: the real tick's passes with the clock held still (so no simulation step runs)
// and the GLX swap, back to back for SECONDS: the most frames any host can show here.
// The path is the one vorlixss would draw with these options (--quality, auto by default).
#include <GL/glew.h>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "gl_floor.h"
#include "host_linux/options.h"
#include "host_x11/x11_window.h"
#include "render/context/gl_context.h"
#include "render/context/gl_context_glx.h"
#include "render/field/field_pass.h"
#include "saver/frame_tick.h"
#include "scene/frame_clock.h"
#include "scene/random.h"

namespace {

constexpr int maxReps = 2000;
constexpr int warmupFrames = 10;
double samples[maxReps];

double seconds(clockid_t clock) {
  timespec now;
  clock_gettime(clock, &now);
  return now.tv_sec + now.tv_nsec / 1e9;
}

int fail(const std::string& reason) {
  std::printf("error=%s\n", reason.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: x11_bench REPS SECONDS [vorlixss options]\n");
    return 2;
  }
  const int reps = std::clamp(std::atoi(argv[1]), 0, maxReps);
  const double runSeconds = std::atof(argv[2]);
  const ParsedOptions parsed = parseOptions(argc - 2, argv + 2, std::getenv("XSCREENSAVER_WINDOW"));
  if (!parsed.error.empty()) return fail(parsed.error);
  std::string failure;
  if (!openDrawTarget(parsed.options, failure)) return fail(failure);
  seedRandom(1);
  clientRect = {0, 0, drawTarget.width, drawTarget.height};
  if (!initGLContext(drawTarget.display, drawTarget.window, clientRect, failure)) return fail(failure);
  probeShaderSupport();
  requireShaderEntryPoints();
  saverSettings = parsed.options.settings;
  drawQuality = parsed.options.quality;  // as the program draws
  initScene();
  std::printf("renderer=%s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  std::printf("gl_version=%s\n", reinterpret_cast<const char*>(glGetString(GL_VERSION)));
  std::printf("client=%dx%d\nghost_ring=%d\n", drawTarget.width, drawTarget.height,
              ghostRingActive() ? 1 : 0);

  const uint32_t stillClock = 1000;
  runFrameTick(stillClock);  // the first reading only records the time
  for (int i = 0; i < warmupFrames; ++i) {
    runFrameTick(stillClock);
    swapWindowBuffers();
  }
  if (reps > 0) {
    const GlFloor floor = measureGlFloor(samples, reps);
    std::printf("metaball_pass_ms=%.3f\nblend_pass_ms=%.3f\n", floor.metaballMs, floor.blendMs);
  }

  const double start = seconds(CLOCK_MONOTONIC), cpuStart = seconds(CLOCK_PROCESS_CPUTIME_ID);
  int frames = 0;
  double now = start;
  while (now - start < runSeconds) {
    runFrameTick(stillClock);
    swapWindowBuffers();
    ++frames;
    now = seconds(CLOCK_MONOTONIC);
  }
  std::printf("ceiling_frames=%d\nceiling_seconds=%.3f\n", frames, now - start);
  std::printf("ceiling_fps=%.2f\nceiling_cpu_percent=%.1f\n", frames / (now - start),
              (seconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart) / (now - start) * 100);
  releaseScene();
  releaseGLContext();
  closeDrawTarget();
  return 0;
}
