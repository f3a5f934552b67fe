// The real vorlixss on private X displays: a window handed over, its own window and every way
// to end it, a hidden and a resized window, the frame timer and the frame-rate line, starts
// that fail; and, in-process, that a frame allocates nothing and that neither a hidden
// window's time nor the timer's period changes how the balls move.
// NOTE: GoogleTest first: X11's None macro would break its headers; GLEW before GLX.
#include <gtest/gtest.h>

#include "render/context/gl_context_glx.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <cstdlib>
#include <cstring>
#include <new>

#include "host_linux/power_supply.h"
#include "host_x11/x11_window.h"
#include "render/field/field_pass.h"
#include "render/ghosting/ghost_ring.h"
#include "render/overlay/fps_overlay.h"
#include "render/scene_setup.h"
#include "saver/frame_tick.h"
#include "scene/balls.h"
#include "scene/frame_clock.h"
#include "scene/random.h"
#include "scene/scene.h"
#include "scene/settings.h"
#include "x11_support.h"

namespace {

// Counts the program's own allocations while counting is on.
bool counting = false;
int allocations = 0;

PrivateDisplay* screen = nullptr;

// NOTE: the display is made in SetUp, not SetUpTestSuite: a failed suite set-up is reported
// as a skipped test, and a test without its display must fail.
class OnDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!screen) screen = new PrivateDisplay();
    ASSERT_NE(screen->display(), nullptr) << "no private Xvfb";
    // Maps on the root show the program's own window; windows gone meanwhile are no fault.
    XSelectInput(x(), DefaultRootWindow(x()), SubstructureNotifyMask);
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  }
  static void TearDownTestSuite() { delete screen; screen = nullptr; }
  Display* x() { return screen->display(); }

  // A double-buffered GL visual that is neither the screen's default nor the one vorlixss
  // picks for a window of its own, so that a context of any other visual would not bind.
  XVisualInfo otherGlVisual() {
    XVisualInfo* own = chooseOwnWindowVisual(x(), 0);
    const VisualID avoid[2] = {XVisualIDFromVisual(DefaultVisual(x(), 0)),
                               own ? own->visualid : 0};
    XFree(own);
    XVisualInfo request{}, found{};
    request.c_class = TrueColor;
    int count = 0, gl = 0, doubled = 0;
    XVisualInfo* list = XGetVisualInfo(x(), VisualClassMask, &request, &count);
    for (int i = 0; i < count && !found.visual; ++i)
      if (!glXGetConfig(x(), &list[i], GLX_USE_GL, &gl) && gl && list[i].depth == 24 &&
          !glXGetConfig(x(), &list[i], GLX_DOUBLEBUFFER, &doubled) && doubled &&
          list[i].visualid != avoid[0] && list[i].visualid != avoid[1])
        found = list[i];
    XFree(list);
    return found;
  }

  // In this process, as the program starts: its own window of the given size on the test
  // screen, and the GL context on it. Callers check HasFatalFailure().
  void openInProcess(int width, int height) {
    setenv("DISPLAY", screen->name().c_str(), 1);
    HostOptions options;
    options.width = width;
    options.height = height;
    std::string failure;
    ASSERT_TRUE(openDrawTarget(options, failure)) << failure;
    clientRect = {0, 0, width, height};
    ASSERT_TRUE(initGLContext(drawTarget.display, drawTarget.window, clientRect, failure)) << failure;
  }

  // The program's window once mapped, known by its title and found as tools find a
  // process's window, by _NET_WM_PID; 0 after fifteen seconds.
  Window ownWindow(const Program& program) {
    XEvent map;
    for (int tries = 0; tries < 1500; ++tries) {
      if (!XCheckTypedEvent(x(), MapNotify, &map)) {
        pause(10);
        continue;
      }
      Atom type;
      int format;
      unsigned long count = 0, left;
      unsigned char* pid = nullptr;
      char* name = nullptr;
      XGetWindowProperty(x(), map.xmap.window, XInternAtom(x(), "_NET_WM_PID", False), 0, 1,
                         False, XA_CARDINAL, &type, &format, &count, &left, &pid);
      XFetchName(x(), map.xmap.window, &name);
      const bool ours = count == 1 && *reinterpret_cast<long*>(pid) == program.pid() && name &&
                        std::string(name) == "VorlixSS";
      XFree(pid);
      XFree(name);
      if (ours) return map.xmap.window;
    }
    return 0;
  }

  // The window's picture once more than lit pixels are lit right of left (or, with before,
  // once more than 100 differ from it); the last one after fifteen seconds, as a program
  // starting on a busy machine takes its time to the first frame.
  Picture waitPicture(Window window, int lit, const Picture* before = nullptr, int left = 0) {
    Picture p = grab(x(), window);
    for (int tries = 0; tries < 150; ++tries, pause(100), p = grab(x(), window))
      if (before ? changedPixels(*before, p) > 100
                 : countLit(p, left, 0, p.width - left, p.height).lit > lit)
        break;
    return p;
  }

  // A key press of key sent to window, or with type a message of that type carrying
  // WM_DELETE_WINDOW: the window manager's close request when type is WM_PROTOCOLS.
  void send(Window window, KeySym key, const char* type = nullptr) {
    XEvent event{};
    event.type = type ? ClientMessage : KeyPress;
    event.xany.window = window;
    if (type) {
      event.xclient.message_type = XInternAtom(x(), type, False);
      event.xclient.format = 32;
      event.xclient.data.l[0] = static_cast<long>(XInternAtom(x(), "WM_DELETE_WINDOW", False));
    } else {
      event.xkey.keycode = XKeysymToKeycode(x(), key);
    }
    XSendEvent(x(), window, False, type ? NoEventMask : KeyPressMask, &event);
    XSync(x(), False);
  }
};

// CPU seconds a process has used, all its threads.
double cpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string field;
  double ticks = 0;
  for (int i = 1; i <= 15 && stat >> field; ++i)
    if (i >= 14) ticks += std::stod(field);  // utime and stime
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// XScreenSaver destroys its window whenever it stops, also while a module is still starting:
// from the program's first request on (it asks for the window's structure events), through
// the context's and the scene's start, and while it draws.
TEST_F(OnDisplay, DrawsIntoTheWindowHandedOverAndEndsQuietlyWhenItIsDestroyed) {
  const XVisualInfo visual = otherGlVisual();
  ASSERT_NE(visual.visual, nullptr) << "the display offers no second double-buffered GL visual";
  XSetWindowAttributes attributes{};
  attributes.colormap = XCreateColormap(x(), DefaultRootWindow(x()), visual.visual, AllocNone);
  for (int delay : {0, 10, 25, 50, 100, -1}) {  // -1: once it draws
    SCOPED_TRACE(delay);
    const Window window = XCreateWindow(x(), DefaultRootWindow(x()), 100, 100, 320, 240, 0, 24,
                                        InputOutput, visual.visual, CWColormap, &attributes);
    XMapWindow(x(), window);
    char id[32];
    std::snprintf(id, sizeof id, "XSCREENSAVER_WINDOW=0x%lx", window);
    // XScreenSaver passes --root as well; the window in the environment wins.
    Program program(screen->name(), {"--root", "--seed", "3", "--count", "20"}, {id});
    // NOTE: a busy machine can take seconds to start a program: the delays count from its
    // first request, never from the start.
    XWindowAttributes selected{};
    for (int tries = 0; tries < 30000 && !(selected.all_event_masks & StructureNotifyMask); ++tries)
      usleep(1000), XGetWindowAttributes(x(), window, &selected);
    ASSERT_TRUE(selected.all_event_masks & StructureNotifyMask) << "it never took the window";
    pause(std::max(delay, 0));
    if (delay < 0) {
      const Picture first = waitPicture(window, 2000);
      const LitCount lit = countLit(first, 0, 0, first.width, first.height);
      EXPECT_GT(lit.lit, 2000);
      EXPECT_GE(lit.sectors, 2) << "the blobs should have several colours";
      EXPECT_GT(changedPixels(first, waitPicture(window, 0, &first)), 100) << "they should move";
      const Picture root = grab(x(), DefaultRootWindow(x()));
      EXPECT_EQ(countLit(root, 500, 400, 500, 350).lit, 0) << "nothing is drawn on the root";
    }
    XDestroyWindow(x(), window);
    XSync(x(), False);
    ASSERT_TRUE(program.waitEnd(5000));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(program.errors(), "");
  }
}

TEST_F(OnDisplay, EveryWayToEndWorksRightAfterTheWindowMapsAndAfterTheFirstFrame) {
  for (bool drawn : {false, true})
    for (const char* way : {"SIGTERM", "SIGINT", "Escape", "q", "close button"}) {
      SCOPED_TRACE(std::string(way) + (drawn ? " after the first frame" : " at the map"));
      Program program(screen->name(), {"--geometry", "200x150", "--ghosting", "--fps"});
      const Window window = ownWindow(program);
      ASSERT_NE(window, 0u);
      if (drawn) { ASSERT_GT(countLit(waitPicture(window, 300), 0, 0, 200, 150).lit, 300); }
      if (way[0] == 'S')
        kill(program.pid(), way[3] == 'T' ? SIGTERM : SIGINT);
      else
        send(window, XStringToKeysym(way), way[0] == 'c' ? "WM_PROTOCOLS" : nullptr);
      ASSERT_TRUE(program.waitEnd(5000));
      EXPECT_EQ(program.exitCode(), 0);
      EXPECT_EQ(program.errors(), "");
    }
}

// Its own window (found by its process id): other input leaves it drawing, it draws nothing
// while unmapped (minimised), and it fills the window again when shown and resized.
TEST_F(OnDisplay, OwnWindowGoesWhereAskedAndFollowsInputMappingAndSize) {
  Program program(screen->name(), {"--geometry", "160x120-30+20", "--count", "20", "--min-radius",
                                   "150", "--max-radius", "200", "--seed", "11"});
  const Window window = ownWindow(program);
  ASSERT_NE(window, 0u);
  // X's minus offset: the right edge 30 pixels from the screen's, marked as the user's choice.
  int left = 0, top = 0;
  Window child = 0;
  XTranslateCoordinates(x(), window, DefaultRootWindow(x()), 0, 0, &left, &top, &child);
  EXPECT_EQ(left, DisplayWidth(x(), DefaultScreen(x())) - 160 - 30);
  EXPECT_EQ(top, 20);
  XSizeHints hints{};
  long supplied = 0;
  EXPECT_TRUE(XGetWMNormalHints(x(), window, &hints, &supplied) && (hints.flags & USPosition));
  const Picture first = waitPicture(window, 1000);
  send(window, XK_space);
  send(window, 0, "VORLIXSS_NOT_A_PROTOCOL");  // carries WM_DELETE_WINDOW, but is no request
  const Picture later = waitPicture(window, 0, &first);
  EXPECT_GT(changedPixels(later, waitPicture(window, 0, &later)), 100) << "it stopped drawing";

  XMoveResizeWindow(x(), window, 0, 0, 640, 480);  // bigger, and all on the screen
  XUnmapWindow(x(), window);
  XSync(x(), False);
  pause(200);
  const double before = cpuSeconds(program.pid());
  pause(1000);
  // Drawing on uses most of a core here; a tenth is a sleeping program's noise.
  EXPECT_LT(cpuSeconds(program.pid()) - before, 0.1);
  XMapWindow(x(), window);
  XSync(x(), False);
  // Outside the first 160x120 at the lower left: drawn only with viewport and projection resized.
  const Picture picture = waitPicture(window, 1000, nullptr, 160);
  EXPECT_GT(countLit(picture, 160, 0, 480, 480).lit, 1000);
  EXPECT_GT(countLit(picture, 0, 0, 160, 360).lit, 0);
  EXPECT_FALSE(program.waitEnd(0));
}

// A frame of a huge window takes seconds in software, yet a module must go at once. Two
// seconds (a second's promise, with room) tell "at once" from "after".
TEST_F(OnDisplay, SigtermEndsTheRunAtOnceWhateverAFrameCosts) {
  Program program(screen->name(), {"--geometry", "8192x8192"});
  ASSERT_NE(ownWindow(program), 0u);
  pause(1500);  // into the first frames, each of them seconds long
  kill(program.pid(), SIGTERM);
  EXPECT_TRUE(program.waitExiting(2000));
  ASSERT_TRUE(program.waitEnd(30000));
  EXPECT_EQ(program.exitCode(), 0);
}

// The frame timer seen from outside, its GLX swaps counted by the benchmark's preloaded shim.
// NOTE: a 10 ms period allows no machine more than 100 swaps a second (105: the clock's
// edges), --delay 50000 no more than 20; a busy loop shows as far more on a 64x64 window. The
// lower bounds only catch a timer that waits far too long, as a tight one would fail on a
// loaded two-core machine.
// The environment that makes the frame-count shim write the swap rate into counts.
std::vector<std::string> countingSwaps(const std::string& counts) {
  return {"LD_PRELOAD=" VORLIX_FRAME_COUNT_SHIM, "VORLIX_WARMUP_SWAPS=20",
          "VORLIX_FRAME_COUNT_FILE=" + counts};
}

// Lets program run for three seconds, ends it, and gives the shim's last swap rate; -1 when it
// wrote none (fewer than 21 swaps) or the program did not end.
double swapRateOf(ChildProcess& program, const std::string& counts) {
  pause(3000);
  kill(program.pid(), SIGTERM);
  if (!program.waitEnd(5000)) return -1;
  double rate = -1;
  std::ifstream in(counts);
  for (std::string line; std::getline(in, line);) sscanf(line.c_str(), "swap_fps=%lf", &rate);
  return rate;
}

TEST_F(OnDisplay, TheFrameTimerSwapsOncePerDelayAtMost) {
  const std::string counts = "/tmp/vorlixss-swaps-" + std::to_string(getpid());
  for (const char* option : {"--no-ghosting", "--ghosting", "--delay=50000"}) {
    const bool slow = option[2] == 'd';
    Program program(screen->name(), {"--geometry", "64x64", option}, countingSwaps(counts));
    const double rate = swapRateOf(program, counts);
    EXPECT_TRUE(rate >= (slow ? 15 : 20) && rate <= (slow ? 21 : 105))
        << option << ": " << rate << "; " << program.errors();
  }
  std::remove(counts.c_str());
}

// On battery frames come at most 30 a second, unless the user chose the delay or turned the
// saver off; on mains as before. The power-supply folder is one of the test's own, bound over
// the kernel's in a private mount namespace; the watch looks at it again every ten seconds.
TEST_F(OnDisplay, OnBatteryAtMostThirtyFramesASecondUnlessTheUserChose) {
  if (geteuid() != 0) GTEST_SKIP() << "binding a folder over the kernel's needs root";
  char folder[] = "/tmp/vorlixss-power-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string supplies = folder;
  // A battery that discharges, and a mains supply offline ("0") or online ("1").
  const auto power = [&](const char* mains) {
    output("cd " + supplies + " && mkdir -p BAT0 AC && echo Battery > BAT0/type && "
           "echo Discharging > BAT0/status && echo Mains > AC/type && echo " + mains + " > AC/online");
  };
  const std::string counts = supplies + "/swaps";
  const struct {
    const char* mains;
    const char* option;
    double low, high;
  } cases[] = {{"0", "--count=12", 20, 31}, {"0", "--delay=20000", 36, 52},
               {"0", "--no-battery-saver", 36, 105}, {"1", "--count=12", 36, 105}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.option) + " with mains " + c.mains);
    power(c.mains);
    std::vector<std::string> environment = countingSwaps(counts);
    environment.push_back("DISPLAY=" + screen->name());
    ChildProcess program(
        "/usr/bin/unshare",
        {"--mount", "sh", "-c", "mount --bind " + supplies + " /sys/class/power_supply && exec \"$@\"",
         "sh", VORLIX_PROGRAM, "--geometry", "64x64", c.option},
        environment);
    const double rate = swapRateOf(program, counts);
    EXPECT_TRUE(rate >= c.low && rate <= c.high) << rate << "; " << program.errors();
  }
  PowerWatch watch;
  startPowerWatch(watch, 1000, folder);
  EXPECT_FALSE(watch.onBattery);
  power("0");
  EXPECT_FALSE(powerChanged(watch, 1000 + powerLookMilliseconds - 1));
  EXPECT_TRUE(powerChanged(watch, 1000 + powerLookMilliseconds));
  EXPECT_TRUE(watch.onBattery);
  stopPowerWatch(watch);
  startPowerWatch(watch, 0, "/nonexistent");
  EXPECT_FALSE(watch.onBattery || powerChanged(watch, powerLookMilliseconds));
  output("rm -rf " + supplies);
}

// --fps: the line stands in white over its shadow in the lower-left corner, also over the
// ghosting blend, which leaves its own program and the ring's frames bound.
TEST_F(OnDisplay, TheFrameRateLineShowsWithAndWithoutGhosting) {
  for (const char* ghosting : {"--no-ghosting", "--ghosting"}) {
    SCOPED_TRACE(ghosting);
    Program program(screen->name(), {"--geometry", "240x60", "--fps", ghosting, "--count", "1",
                                     "--max-radius", "10", "--min-radius", "10"});
    const Window window = ownWindow(program);
    ASSERT_NE(window, 0u);
    const Picture p = waitPicture(window, 150);
    int white = 0;  // the glyphs stand from 8 to 22 pixels above the lower edge
    for (int y = p.height - 22; y < p.height - 8; ++y)
      for (int x = 8; x < p.width; ++x) {
        const unsigned char* rgb = &p.rgb[(static_cast<size_t>(y) * p.width + x) * 3];
        white += std::min({rgb[0], rgb[1], rgb[2]}) >= 250;
      }
    EXPECT_GT(white, 150);
    kill(program.pid(), SIGTERM);
    ASSERT_TRUE(program.waitEnd(5000));
    EXPECT_EQ(program.errors(), "");
  }
}

// A start that fails says one line, the reason, with exit code 1, and shows no window first;
// with the standard descriptors closed it must still end (the X connection then took
// descriptor 2, and a message written there blocked the program for ever).
TEST_F(OnDisplay, AStartThatFailsSaysOneLineAndShowsNoWindow) {
  PrivateDisplay noGlx({"-extension", "GLX"});
  ASSERT_NE(noGlx.display(), nullptr);
  const Window inputOnly = XCreateWindow(x(), DefaultRootWindow(x()), 0, 0, 100, 100, 0, 0,
                                         InputOnly, CopyFromParent, 0, nullptr);
  XMapWindow(x(), inputOnly);
  XEvent mapped;
  XSync(x(), False);
  while (XCheckTypedEvent(x(), MapNotify, &mapped)) continue;  // the test's own
  const std::string inputOnlyId = std::to_string(inputOnly);
  const std::string version14 = "MESA_GL_VERSION_OVERRIDE=1.4";
  const std::string displays[3] = {screen->name(), noGlx.name(), ""};  // "": DISPLAY unset
  const struct {
    int display;
    std::vector<std::string> args, environment;
    const char* reason;  // a part of the line
  } cases[] = {
      {0, {"--count", "0"}, {}, "--count"},
      {1, {}, {}, "GLX"},
      {1, {"--root"}, {}, "GLX"},
      {0, {}, {version14}, "OpenGL 2.0 shader functions"},
      {0, {}, {version14, "MESA_EXTENSION_OVERRIDE=-GL_ARB_vertex_program"}, "OpenGL 2.0"},
      {0, {"--root"}, {"LIBGL_ALWAYS_INDIRECT=1"}, "OpenGL context"},
      {0, {"--window-id", inputOnlyId}, {}, "InputOnly"},
      {2, {}, {}, "DISPLAY is not set, so there is no X display to draw on"},
  };
  XSelectInput(noGlx.display(), DefaultRootWindow(noGlx.display()), SubstructureNotifyMask);
  for (const auto& c : cases)
    for (bool closed : {false, true}) {
      SCOPED_TRACE(c.reason + std::string(closed ? ", standard descriptors closed" : ""));
      Program program(displays[c.display], c.args, c.environment, closed);
      ASSERT_TRUE(program.waitEnd(10000));
      EXPECT_EQ(program.exitCode(), 1);
      const std::string errors = program.errors();
      if (closed) continue;
      EXPECT_EQ(errors.rfind("vorlixss: ", 0), 0u) << errors;
      EXPECT_EQ(errors.find('\n'), errors.size() - 1) << errors;
      EXPECT_NE(errors.find(c.reason), std::string::npos) << errors;
    }
  for (Display* display : {x(), noGlx.display()}) {
    XSync(display, False);
    EXPECT_FALSE(XCheckTypedEvent(display, MapNotify, &mapped)) << "a window flashed up";
  }
  XDestroyWindow(x(), inputOnly);
}

// In-process: frames allocate nothing, the ghosting frames follow a resize, after the window
// was hidden the first tick only reads the clock, so the balls go on without a jump, and the
// balls move alike whatever the ticks' period.
TEST_F(OnDisplay, AFrameAllocatesNothingFollowsAResizeAndMovesTheBallsAlikeAtAnyPeriod) {
  ASSERT_NO_FATAL_FAILURE(openInProcess(160, 120));
  saverSettings = defaultSettings;
  saverSettings.motionBlur = saverSettings.feather = saverSettings.contour = true;
  initScene();
  ASSERT_TRUE(initFpsOverlay());
  showDrawTarget();
  for (uint32_t tick = 1; tick <= 120; ++tick) {
    counting = tick > 5;  // past the first ticks, whatever the GL sets up lazily
    const uint32_t now = 1000 + tick * 23;
    takeWindowEvents(saverScene.clock);
    if (tick == 60) resizeScene(200, 150);
    if (runFrameTick(now)) {
      drawFpsOverlay(now);
      swapWindowBuffers();
    }
    counting = false;
  }
  EXPECT_EQ(allocations, 0);
  for (GLuint frame : ringTextures) {
    GLint width = 0;
    glBindTexture(GL_TEXTURE_2D, frame);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 200);
  }
  XUnmapWindow(drawTarget.display, drawTarget.window);
  XMapWindow(drawTarget.display, drawTarget.window);
  XSync(drawTarget.display, False);
  takeWindowEvents(saverScene.clock);
  EXPECT_FALSE(runFrameTick(60000)) << "a minute hidden came as one jump";
  // --delay changes how often the balls are drawn, never where they go.
  Vec3 after[2][BALL_SLOTS];
  for (uint32_t period : {10u, 50u}) {
    seedRandom(9);
    initBalls();
    forgetTickReading();
    stepRemainder = 0.0f;
    for (uint32_t now = 70000; now <= 75000; now += period) runFrameTick(now);
    std::copy(ballPos, ballPos + BALL_SLOTS, after[period == 50]);
  }
  EXPECT_EQ(std::memcmp(after[0], after[1], sizeof after[0]), 0) << "ticks of 10 and 50 ms differ";
  releaseFpsOverlay();
  releaseScene();
  releaseGLContext();
  closeDrawTarget();
}

}  // namespace

// NOTE: g++ cannot see that these replace the global operators as a pair.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// Every C++ allocation of the process goes through here.
void* operator new(std::size_t size) {
  if (counting) ++allocations;
  if (void* memory = std::malloc(size ? size : 1)) return memory;
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

// The coarse field against the exact pass, one state each (same_frame's picture form at
// 640x480): every distance function, feather with contour, ghosting, the ends of blobbiness
// and of the radii. At most 1 % of the pixels may be off by more than 32/255; cos(D) draws
// exactly. In-process, auto picks fast on this software GL at 640x480 and its frames then
// allocate nothing.
TEST_F(OnDisplay, TheFastPathKeepsThePictureAndAutoPicksItOnSoftwareGl) {
  char scratch[] = "/tmp/vorlixss-paths-XXXXXX";
  ASSERT_NE(mkdtemp(scratch), nullptr);
  const std::string exact = std::string(scratch) + "/exact.ppm", fast = exact + ".fast";
  const struct {
    const char* settings;
    const char* path;
  } cases[] = {
      {"", "fast"}, {"--distance abs", "fast"}, {"--distance cos", "exact"},
      {"--count 20 --feather --contour", "fast"}, {"--ghosting", "fast"},
      {"--blobbiness 0", "fast"}, {"--blobbiness 300", "fast"},
      {"--min-radius 10 --max-radius 10", "fast"}, {"--min-radius 200 --max-radius 200", "fast"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.settings);
    const std::string draw = "DISPLAY=" + screen->name() + " " VORLIX_SAME_FRAME " --size 640x480 " +
                             c.settings + " --quality ";
    output(draw + "exact --ppm " + exact);
    const std::string drawn = output(draw + "fast --ppm " + fast);
    EXPECT_NE(drawn.find(std::string("drawn by the ") + c.path + " path"), std::string::npos) << drawn;
    const std::string verdict =
        output(VORLIX_SAME_FRAME " --compare-ppm " + exact + " " + fast + "; echo exit $?");
    std::printf("%s: %s", c.settings, verdict.c_str());
    EXPECT_NE(verdict.find("exit 0"), std::string::npos) << verdict;
  }
  output(std::string("rm -rf ") + scratch);

  ASSERT_NO_FATAL_FAILURE(openInProcess(640, 480));
  saverSettings = defaultSettings;
  drawQuality = DrawQuality::automatic;
  initScene();
  showDrawTarget();
  for (uint32_t tick = 1; tick <= 30; ++tick) {
    counting = tick > 15;  // the trial's switch builds the fast programs once, before that
    takeWindowEvents(saverScene.clock);
    if (runFrameTick(1000 + tick * 10)) swapWindowBuffers();
    counting = false;
  }
  EXPECT_EQ(currentDrawPath(), DrawPath::fast);
  EXPECT_EQ(allocations, 0);
  releaseScene();
  releaseGLContext();
  closeDrawTarget();
}
