// Benchmark driver of the real saver code under Wine and Mesa. It prints key=value lines
// for scripts/bench; it asserts nothing. Modes:
//   passes W H SETTINGS REPS  GL floor (each pass bounded by glFinish), swap, tick split
//   run SECONDS SETTINGS      full-screen saver through HostMain("/s"): frame rate, CPU,
//                             start-up, heap allocations during ticks
//   preview SECONDS SETTINGS  the same inside a 152x112 preview window ("/p HWND")
//   startparts W H SETTINGS   the scene start's steps timed one by one, then one frame
// SETTINGS is BALLS,FEATHER,CONTOUR,GHOST (for example 12,0,0,1); the rest are defaults.
#include <windows.h>

#include <GL/glew.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gl_floor.h"
#include "host/host_main.h"
#include "import_patch.h"
#include "render/context/gl_context.h"
#include "render/context/gl_context_wgl.h"
#include "render/ghosting/ghost_ring.h"
#include "render/quad/fullscreen_quad.h"
#include "render/scene_setup.h"
#include "render/shaders/shader_program.h"
#include "saver/ball_upload.h"
#include "saver/saver_proc_win.h"
#include "scene/balls.h"
#include "scene/frame_clock.h"
#include "scene/settings.h"

namespace {

constexpr int maxReps = 2000;       // upper bound of repetitions per measured quantity
constexpr int warmupSwaps = 50;     // swaps before the run measurement starts
constexpr UINT closePreview = WM_APP + 1;

// All measurement state, fixed in size: nothing here allocates while ticks are measured.
struct Bench {
  LARGE_INTEGER frequency;          // performance counter ticks per second
  LARGE_INTEGER entry;              // counter just before HostMain
  FILETIME entryWall;               // wall clock at the same moment
  double runSeconds = 0;            // measured span of a run after the warm-up
  int swaps = 0;                    // buffer swaps so far
  LARGE_INTEGER firstSwap;          // counter at the end of the first swap
  FILETIME firstSwapWall;           // wall clock at the end of the first swap
  LARGE_INTEGER measureStart;       // counter at the end of swap warmupSwaps
  LARGE_INTEGER lastSwap;           // counter at the end of the latest swap
  int measuredSwaps = 0;            // swaps after the warm-up
  ULONGLONG cpuStart = 0;           // process CPU time (100 ns) at the warm-up's end
  ULONGLONG cpuEnd = 0;             // process CPU time at the run's end
  bool closing = false;             // the end of the run has been requested
  HWND previewParent = nullptr;     // the preview's parent window, in preview mode
  long allocations = 0;             // heap allocations made through our imports
  long allocationsAtStart = 0;      // the same at the warm-up's end
  long allocationsAtEnd = 0;        // the same at the last measured swap
  double samples[maxReps];          // one measured quantity, milliseconds
  double steps[maxReps];            // tick split: stepBalls time per tick
  double draws[maxReps];            // tick split: draw calls per tick
  double swapsMs[maxReps];          // tick split: SwapBuffers per tick
  double ticks[maxReps];            // tick split: whole tick
  int stepCount[maxReps];           // tick split: steps per tick
  double stepTime = 0;              // time spent in stepBalls within the current tick
  int stepsThisTick = 0;            // steps within the current tick
} bench;

double msSince(const LARGE_INTEGER& from) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return double(now.QuadPart - from.QuadPart) * 1000.0 / double(bench.frequency.QuadPart);
}

LARGE_INTEGER counterNow() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now;
}

double mean(const double* values, int count) {
  double sum = 0;
  for (int i = 0; i < count; ++i) sum += values[i];
  return count ? sum / count : 0.0;
}

ULONGLONG processCpu100ns() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto join = [](const FILETIME& t) { return ULONGLONG(t.dwHighDateTime) << 32 | t.dwLowDateTime; };
  return join(kernel) + join(user);
}

ULONGLONG fileTime100ns(const FILETIME& t) {
  return ULONGLONG(t.dwHighDateTime) << 32 | t.dwLowDateTime;
}

// Parses BALLS,FEATHER,CONTOUR,GHOST into the stored settings, which the saver loads.
bool storeSettings(const char* text) {
  unsigned balls = 0, feather = 0, contour = 0, ghost = 0;
  if (std::sscanf(text, "%u,%u,%u,%u", &balls, &feather, &contour, &ghost) != 4) return false;
  saverSettings = defaultSettings;
  saverSettings.nBalls = balls;
  saverSettings.feather = feather != 0;
  saverSettings.contour = contour != 0;
  saverSettings.motionBlur = ghost != 0;
  return saveSettings();
}

// ---- heap allocation counting through the executable's own imports ----

using MallocFn = void* (*)(size_t);
using CallocFn = void* (*)(size_t, size_t);
using ReallocFn = void* (*)(void*, size_t);
MallocFn realMalloc = nullptr;
CallocFn realCalloc = nullptr;
ReallocFn realRealloc = nullptr;

void* countingMalloc(size_t size) {
  ++bench.allocations;
  return realMalloc(size);
}
void* countingCalloc(size_t count, size_t size) {
  ++bench.allocations;
  return realCalloc(count, size);
}
void* countingRealloc(void* block, size_t size) {
  ++bench.allocations;
  return realRealloc(block, size);
}

// Counts every malloc, calloc and realloc of our code (operator new included: the static
// C++ runtime calls malloc through the same import table).
void countAllocations() {
  patchImport(nullptr, "malloc", reinterpret_cast<void*>(countingMalloc),
              reinterpret_cast<void**>(&realMalloc));
  patchImport(nullptr, "calloc", reinterpret_cast<void*>(countingCalloc),
              reinterpret_cast<void**>(&realCalloc));
  patchImport(nullptr, "realloc", reinterpret_cast<void*>(countingRealloc),
              reinterpret_cast<void**>(&realRealloc));
}

// ---- run and preview: the real host with a counting buffer swap ----

using SwapFn = BOOL(WINAPI*)(HDC);
SwapFn realSwap = nullptr;

// The saver's SwapBuffers: the real swap, then the bookkeeping of the run.
BOOL WINAPI countingSwap(HDC dc) {
  const BOOL result = realSwap(dc);
  const LARGE_INTEGER now = counterNow();
  ++bench.swaps;
  if (bench.swaps == 1) {
    bench.firstSwap = now;
    GetSystemTimePreciseAsFileTime(&bench.firstSwapWall);
  }
  if (bench.swaps == warmupSwaps) {
    bench.measureStart = now;
    bench.cpuStart = processCpu100ns();
    bench.allocationsAtStart = bench.allocations;
  }
  if (bench.swaps > warmupSwaps && !bench.closing) {
    bench.lastSwap = now;
    bench.measuredSwaps = bench.swaps - warmupSwaps;
    bench.allocationsAtEnd = bench.allocations;
    const double span = double(now.QuadPart - bench.measureStart.QuadPart) /
                        double(bench.frequency.QuadPart);
    if (span >= bench.runSeconds) {
      bench.cpuEnd = processCpu100ns();
      bench.closing = true;
      if (bench.previewParent)
        PostMessageA(bench.previewParent, closePreview, 0, 0);
      else
        PostMessageA(WindowFromDC(dc), WM_CLOSE, 0, 0);
    }
  }
  return result;
}

LRESULT CALLBACK previewParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == closePreview) {
    DestroyWindow(window);  // takes the preview child, and so its message loop, with it
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// A visible top-level window whose client area is 152x112, as the desktop's preview has.
HWND createPreviewParent() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = previewParentProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "VorlixBenchPreviewParent";
  RegisterClassA(&wc);
  RECT frame{0, 0, 152, 112};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE;
  AdjustWindowRect(&frame, style, FALSE);
  return CreateWindowExA(0, wc.lpszClassName, "preview parent", style, 0, 0,
                         frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                         wc.hInstance, nullptr);
}

int runSaver(double seconds, bool preview) {
  bench.runSeconds = seconds;
  if (patchImport(nullptr, "SwapBuffers", reinterpret_cast<void*>(countingSwap),
                  reinterpret_cast<void**>(&realSwap)) == 0) {
    std::printf("error=SwapBuffers is not imported\n");
    return 2;
  }
  countAllocations();
  char tail[64] = "/s";
  if (preview) {
    bench.previewParent = createPreviewParent();
    std::snprintf(tail, sizeof tail, "/p %llu",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(bench.previewParent)));
  }
  QueryPerformanceCounter(&bench.entry);
  GetSystemTimePreciseAsFileTime(&bench.entryWall);
  const int result = HostMain(GetModuleHandleA(nullptr), tail);

  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const double measured = double(bench.lastSwap.QuadPart - bench.measureStart.QuadPart) /
                          double(bench.frequency.QuadPart);
  std::printf("result=%d\n", result);
  std::printf("swaps=%d\n", bench.swaps);
  std::printf("measured_seconds=%.3f\n", measured);
  std::printf("fps=%.2f\n", measured > 0 ? (bench.measuredSwaps - 1) / measured : 0.0);
  std::printf("cpu_percent=%.1f\n",
              measured > 0 ? double(bench.cpuEnd - bench.cpuStart) / 1e7 / measured * 100 : 0.0);
  std::printf("startup_ms_from_hostmain=%.1f\n",
              double(bench.firstSwap.QuadPart - bench.entry.QuadPart) * 1000.0 /
                  double(bench.frequency.QuadPart));
  std::printf("startup_ms_from_creation=%.1f\n",
              double(fileTime100ns(bench.firstSwapWall) - fileTime100ns(created)) / 1e4);
  // Unix epoch milliseconds of the first swap, for the script's own launch timestamp.
  std::printf("first_swap_unix_ms=%.1f\n",
              double(fileTime100ns(bench.firstSwapWall) - 116444736000000000ULL) / 1e4);
  std::printf("ticks_checked=%d\n", bench.measuredSwaps);
  std::printf("allocations_in_ticks=%ld\n", bench.allocationsAtEnd - bench.allocationsAtStart);
  return 0;
}

// ---- passes: GL floor and tick split with the real scene in a plain window ----

LRESULT CALLBACK sceneOnlyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Only creation and destruction reach the scene: input must not end the measurement.
  if (message == WM_CREATE || message == WM_DESTROY)
    return SceneWindowProc(window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

void pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// stepBalls timed, as the step function of the frame clock's fixed-step loop.
void timedStep(float dt) {
  const LARGE_INTEGER start = counterNow();
  stepBalls(dt);
  bench.stepTime += msSince(start);
  ++bench.stepsThisTick;
}

// The frame tick's drawing, in the saver's order (see FrameTimerProc).
void drawFrame() {
  if (ghostRingActive()) {
    beginGhostFrame();
    drawFullScreenQuad();
    compositeGhostFrames();
  }
  drawFullScreenQuad();
  metaballShader->enable(true);
}

int measurePasses(int width, int height, int reps) {
  reps = std::min(reps, maxReps);
  WNDCLASSA wc{};
  wc.lpfnWndProc = sceneOnlyProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "VorlixBenchScene";
  wc.style = CS_OWNDC;
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, wc.lpszClassName, "bench", WS_POPUP | WS_VISIBLE, 0, 0, width,
                                height, nullptr, nullptr, wc.hInstance, nullptr);
  if (!window) {
    std::printf("error=the scene window could not be created\n");
    return 2;
  }
  KillTimer(window, frameTimerId);  // this driver calls the tick itself
  pump();
  std::printf("renderer=%s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  std::printf("gl_version=%s\n", reinterpret_cast<const char*>(glGetString(GL_VERSION)));
  std::printf("client=%dx%d\n", int(clientRect.right), int(clientRect.bottom));
  const bool ghost = ghostRingActive();
  std::printf("ghost_ring=%d\n", ghost ? 1 : 0);

  for (int i = 0; i < 10; ++i) FrameTimerProc(window, WM_TIMER, frameTimerId, 0);  // warm-up

  const GlFloor floor = measureGlFloor(bench.samples, reps);
  std::printf("metaball_pass_ms=%.3f\nblend_pass_ms=%.3f\n", floor.metaballMs, floor.blendMs);
  // The buffer swap alone, after a finished frame: the copy to the window.
  for (int i = 0; i < reps; ++i) {
    drawFrame();
    glFinish();
    const LARGE_INTEGER start = counterNow();
    SwapBuffers(windowDC);
    bench.samples[i] = msSince(start);
  }
  std::printf("swap_alone_ms=%.3f\n", medianOf(bench.samples, reps));

  // stepBalls and its portable physics (moveBalls) alone, per step.
  const int stepReps = 2000;
  LARGE_INTEGER start = counterNow();
  for (int i = 0; i < stepReps; ++i) stepBalls(simulationStep);
  std::printf("stepballs_us=%.3f\n", msSince(start) * 1000.0 / stepReps);
  start = counterNow();
  for (int i = 0; i < stepReps; ++i) moveBalls(simulationStep);
  const double moveMs = msSince(start) / stepReps;
  std::printf("moveballs_us=%.3f\n", moveMs * 1000.0);
  start = counterNow();
  for (int i = 0; i < 100; ++i) runFixedSteps(0.0f, 1000 * timeScale, stepBalls);
  std::printf("fifty_steps_ms=%.4f\n", msSince(start) / 100);

  // The real tick, called back to back as a timer that is always due would call it.
  for (int i = 0; i < reps; ++i) {
    const LARGE_INTEGER tickStart = counterNow();
    FrameTimerProc(window, WM_TIMER, frameTimerId, 0);
    bench.samples[i] = msSince(tickStart);
  }
  std::printf("tick_mean_ms=%.3f\n", mean(bench.samples, reps));
  std::printf("tick_ms=%.3f\n", medianOf(bench.samples, reps));

  // The same tick taken apart: steps (simulation and upload), draw calls, swap.
  float elapsed = 0;
  takeTickReading(timeGetTime(), elapsed);
  for (int i = 0; i < reps; ++i) {
    const LARGE_INTEGER tickStart = counterNow();
    bench.stepTime = 0;
    bench.stepsThisTick = 0;
    if (takeTickReading(timeGetTime(), elapsed))
      stepRemainder = runFixedSteps(stepRemainder, elapsed, timedStep);
    const LARGE_INTEGER drawStart = counterNow();
    drawFrame();
    bench.draws[i] = msSince(drawStart);
    const LARGE_INTEGER swapStart = counterNow();
    SwapBuffers(windowDC);
    bench.swapsMs[i] = msSince(swapStart);
    bench.ticks[i] = msSince(tickStart);
    bench.steps[i] = bench.stepTime;
    bench.stepCount[i] = bench.stepsThisTick;
  }
  long totalSteps = 0;
  for (int i = 0; i < reps; ++i) totalSteps += bench.stepCount[i];
  const double stepsPerTick = double(totalSteps) / reps;
  std::printf("split_steps_per_tick=%.2f\n", stepsPerTick);
  // Means, so that the parts add up to the whole (a tick has 0, 1 or 2 steps).
  std::printf("split_steps_ms=%.4f\n", mean(bench.steps, reps));
  std::printf("split_simulation_ms=%.4f\n", stepsPerTick * moveMs);
  std::printf("split_draws_ms=%.4f\n", mean(bench.draws, reps));
  std::printf("split_swap_ms=%.3f\n", mean(bench.swapsMs, reps));
  std::printf("split_tick_ms=%.3f\n", mean(bench.ticks, reps));
  DestroyWindow(window);
  pump();
  return 0;
}

// ---- startparts: where the GL context's set-up time goes ----

double wglTimes[4];  // ChoosePixelFormat, SetPixelFormat, wglCreateContext, wglMakeCurrent
using ChooseFn = int(WINAPI*)(HDC, const PIXELFORMATDESCRIPTOR*);
using SetFn = BOOL(WINAPI*)(HDC, int, const PIXELFORMATDESCRIPTOR*);
using CreateFn = HGLRC(WINAPI*)(HDC);
using MakeFn = BOOL(WINAPI*)(HDC, HGLRC);
ChooseFn realChoose = nullptr;
SetFn realSet = nullptr;
CreateFn realCreate = nullptr;
MakeFn realMake = nullptr;

int WINAPI timedChoose(HDC dc, const PIXELFORMATDESCRIPTOR* format) {
  const LARGE_INTEGER start = counterNow();
  const int result = realChoose(dc, format);
  wglTimes[0] += msSince(start);
  return result;
}
BOOL WINAPI timedSet(HDC dc, int index, const PIXELFORMATDESCRIPTOR* format) {
  const LARGE_INTEGER start = counterNow();
  const BOOL result = realSet(dc, index, format);
  wglTimes[1] += msSince(start);
  return result;
}
HGLRC WINAPI timedCreate(HDC dc) {
  const LARGE_INTEGER start = counterNow();
  const HGLRC result = realCreate(dc);
  wglTimes[2] += msSince(start);
  return result;
}
BOOL WINAPI timedMake(HDC dc, HGLRC context) {
  const LARGE_INTEGER start = counterNow();
  const BOOL result = realMake(dc, context);
  wglTimes[3] += msSince(start);
  return result;
}

// The scene start of window creation taken apart, in the saver procedure's order, on a
// plain window; then the first frame and swap.
int measureStartParts(int width, int height) {
  patchImport(nullptr, "ChoosePixelFormat", reinterpret_cast<void*>(timedChoose),
              reinterpret_cast<void**>(&realChoose));
  patchImport(nullptr, "SetPixelFormat", reinterpret_cast<void*>(timedSet),
              reinterpret_cast<void**>(&realSet));
  patchImport(nullptr, "wglCreateContext", reinterpret_cast<void*>(timedCreate),
              reinterpret_cast<void**>(&realCreate));
  patchImport(nullptr, "wglMakeCurrent", reinterpret_cast<void*>(timedMake),
              reinterpret_cast<void**>(&realMake));
  LARGE_INTEGER start = counterNow();
  HWND window = CreateWindowExA(0, "STATIC", "bench", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  std::printf("window_ms=%.1f\n", msSince(start));
  RECT client;
  GetClientRect(window, &client);
  clientRect = {client.left, client.top, client.right, client.bottom};
  start = counterNow();
  initGLContext(window);
  std::printf("gl_context_ms=%.1f\n", msSince(start));
  std::printf("choose_pixel_format_ms=%.1f\nset_pixel_format_ms=%.1f\n", wglTimes[0], wglTimes[1]);
  std::printf("create_context_ms=%.1f\nmake_current_ms=%.1f\n", wglTimes[2], wglTimes[3]);
  start = counterNow();
  probeShaderSupport();
  std::printf("probe_ms=%.1f\n", msSince(start));
  start = counterNow();
  loadSettings();
  std::printf("load_settings_ms=%.1f\n", msSince(start));
  start = counterNow();
  initScene();
  std::printf("init_scene_ms=%.1f\n", msSince(start));
  start = counterNow();
  drawFrame();
  SwapBuffers(windowDC);
  std::printf("first_frame_ms=%.1f\n", msSince(start));
  releaseScene();
  DestroyWindow(window);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QueryPerformanceFrequency(&bench.frequency);
  setvbuf(stdout, nullptr, _IONBF, 0);
  const char* mode = argc > 1 ? argv[1] : "";
  if (std::strcmp(mode, "passes") == 0 && argc == 6) {
    if (!storeSettings(argv[4])) return 2;
    return measurePasses(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[5]));
  }
  if ((std::strcmp(mode, "run") == 0 || std::strcmp(mode, "preview") == 0) && argc == 4) {
    if (!storeSettings(argv[3])) return 2;
    return runSaver(std::atof(argv[2]), std::strcmp(mode, "preview") == 0);
  }
  if (std::strcmp(mode, "startparts") == 0 && argc == 5) {
    if (!storeSettings(argv[4])) return 2;
    return measureStartParts(std::atoi(argv[2]), std::atoi(argv[3]));
  }
  std::fprintf(stderr,
               "usage: saver_bench passes W H BALLS,FEATHER,CONTOUR,GHOST REPS\n"
               "       saver_bench run|preview SECONDS BALLS,FEATHER,CONTOUR,GHOST\n"
               "       saver_bench startparts W H BALLS,FEATHER,CONTOUR,GHOST\n");
  return 2;
}
