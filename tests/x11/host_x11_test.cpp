// The real vorlixss on private X displays: a window handed over, its own window and every way
// to end it, a hidden and a resized window, starts that fail; and, in-process, that a frame
// allocates nothing.
// NOTE: GoogleTest first: X11's None macro would break its headers; GLEW before GLX.
#include <gtest/gtest.h>

#include "render/gl_context_glx.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <cstdlib>
#include <new>

#include "host_x11/fps_overlay.h"
#include "host_x11/x11_window.h"
#include "render/ghost_ring.h"
#include "render/scene_setup.h"
#include "saver/frame_tick.h"
#include "scene/frame_clock.h"
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
  }
  static void TearDownTestSuite() { delete screen; screen = nullptr; }
  Display* x() { return screen->display(); }

  // A double-buffered GL visual that is neither the screen's default nor the one vorlixss
  // picks for a window of its own, so that a context of any other visual would not bind.
  XVisualInfo otherGlVisual() {
    XVisualInfo* own = chooseOwnWindowVisual(x(), DefaultScreen(x()));
    const VisualID avoid[2] = {XVisualIDFromVisual(DefaultVisual(x(), DefaultScreen(x()))),
                               own ? own->visualid : 0};
    XFree(own);
    XVisualInfo request{};
    request.screen = DefaultScreen(x());
    request.depth = 24;
    request.c_class = TrueColor;
    int count = 0;
    XVisualInfo* list =
        XGetVisualInfo(x(), VisualScreenMask | VisualDepthMask | VisualClassMask, &request, &count);
    XVisualInfo found{};
    for (int i = 0; i < count && !found.visual; ++i) {
      int gl = 0, doubled = 0;
      glXGetConfig(x(), &list[i], GLX_USE_GL, &gl);
      glXGetConfig(x(), &list[i], GLX_DOUBLEBUFFER, &doubled);
      if (gl && doubled && list[i].visualid != avoid[0] && list[i].visualid != avoid[1])
        found = list[i];
    }
    XFree(list);
    return found;
  }

  // A mapped window of the test's at (x, y) of the visual.
  Window makeWindow(const XVisualInfo& visual, int left, int top, int width, int height) {
    const Window root = DefaultRootWindow(x());
    XSetWindowAttributes attributes{};
    attributes.colormap = XCreateColormap(x(), root, visual.visual, AllocNone);
    attributes.border_pixel = 0;
    const Window window = XCreateWindow(x(), root, left, top, width, height, 0, visual.depth,
                                        InputOutput, visual.visual,
                                        CWColormap | CWBorderPixel, &attributes);
    XMapWindow(x(), window);
    XSync(x(), False);
    return window;
  }

  // The top-level window titled "VorlixSS", once it is mapped; 0 after fifteen seconds.
  Window ownWindow() {
    for (int tries = 0; tries < 1500; ++tries) {
      Window root, parent, *children = nullptr;
      unsigned count = 0;
      XQueryTree(x(), DefaultRootWindow(x()), &root, &parent, &children, &count);
      Window found = 0;
      for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        XWindowAttributes attributes;
        if (XFetchName(x(), children[i], &name) && std::string(name) == "VorlixSS" &&
            XGetWindowAttributes(x(), children[i], &attributes) &&
            attributes.map_state == IsViewable)
          found = children[i];
        if (name) XFree(name);
      }
      if (children) XFree(children);
      if (found) return found;
      pause(10);
    }
    return 0;
  }

  // A picture of window that differs from before in more than 100 pixels; before itself
  // after fifteen seconds.
  Picture changedPicture(Window window, const Picture& before) {
    Picture picture = grab(x(), window);
    for (int tries = 0; tries < 150 && changedPixels(before, picture) <= 100; ++tries) {
      pause(100);
      picture = grab(x(), window);
    }
    return picture;
  }

  // The window's picture once the region (x, y, w, h) has more than lit pixels lit, or after
  // fifteen seconds: a program starting on a busy machine takes its time to the first frame.
  Picture litPicture(Window window, int left, int top, int w, int h, int lit) {
    Picture picture = grab(x(), window);
    for (int tries = 0; tries < 150 && countLit(picture, left, top, w, h).lit <= lit; ++tries) {
      pause(100);
      picture = grab(x(), window);
    }
    return picture;
  }

  // A key press of key sent to window as the keyboard delivers it, or with close set the
  // window manager's close request (under another message type, one that only looks alike).
  void send(Window window, KeySym key, const char* close = nullptr) {
    XEvent event{};
    if (close) {
      event.xclient.type = ClientMessage;
      event.xclient.window = window;
      event.xclient.message_type = XInternAtom(x(), close, False);
      event.xclient.format = 32;
      event.xclient.data.l[0] = static_cast<long>(XInternAtom(x(), "WM_DELETE_WINDOW", False));
    } else {
      event.xkey.type = KeyPress;
      event.xkey.window = window;
      event.xkey.root = DefaultRootWindow(x());
      event.xkey.keycode = XKeysymToKeycode(x(), key);
      event.xkey.same_screen = True;
    }
    XSendEvent(x(), window, !close, close ? NoEventMask : KeyPressMask, &event);
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
  for (int delay : {0, 10, 25, 50, 100, -1}) {  // -1: once it draws
    SCOPED_TRACE(delay);
    const Window window = makeWindow(visual, 100, 100, 320, 240);
    char id[32];
    std::snprintf(id, sizeof id, "XSCREENSAVER_WINDOW=0x%lx", window);
    // XScreenSaver passes --root as well; the window in the environment wins.
    Program program(screen->name(), {"--root", "--seed", "3", "--count", "20"}, {id});
    XWindowAttributes attributes{};
    for (int tries = 0; tries < 5000 && !(attributes.all_event_masks & StructureNotifyMask);
         ++tries) {
      usleep(1000);
      XGetWindowAttributes(x(), window, &attributes);
    }
    pause(std::max(delay, 0));
    if (delay < 0) {
      const Picture first = litPicture(window, 0, 0, 320, 240, 2000);
      const LitCount lit = countLit(first, 0, 0, first.width, first.height);
      EXPECT_GT(lit.lit, 2000);
      EXPECT_GE(lit.sectors, 2) << "the blobs should have several colours";
      EXPECT_GT(changedPixels(first, changedPicture(window, first)), 100) << "they should move";
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
      const Window window = ownWindow();
      ASSERT_NE(window, 0u);
      if (drawn) {
        ASSERT_GT(countLit(litPicture(window, 0, 0, 200, 150, 300), 0, 0, 200, 150).lit, 300);
      }
      if (way[0] == 'S') program.signal(way[3] == 'T' ? SIGTERM : SIGINT);
      if (way[0] != 'S')
        send(window, XStringToKeysym(way), way[0] == 'c' ? "WM_PROTOCOLS" : nullptr);
      ASSERT_TRUE(program.waitEnd(5000));
      EXPECT_FALSE(program.endedBySignal());
      EXPECT_EQ(program.exitCode(), 0);
      EXPECT_EQ(program.errors(), "");
    }
}

// Its own window: other input leaves it drawing, tools find its process, it draws nothing
// while unmapped (minimised), and it fills the window again when shown and resized.
TEST_F(OnDisplay, OwnWindowFollowsInputMappingAndSize) {
  Program program(screen->name(), {"--geometry", "160x120", "--count", "20", "--min-radius",
                                   "150", "--max-radius", "200", "--seed", "11"});
  const Window window = ownWindow();
  ASSERT_NE(window, 0u);
  const Picture first = litPicture(window, 0, 0, 160, 120, 1000);
  send(window, XK_space);
  send(window, 0, "VORLIXSS_NOT_A_PROTOCOL");  // carries WM_DELETE_WINDOW, but is no request
  EXPECT_GT(changedPixels(first, changedPicture(window, changedPicture(window, first))), 100);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, left = 0;
  unsigned char* pid = nullptr;
  XGetWindowProperty(x(), window, XInternAtom(x(), "_NET_WM_PID", False), 0, 1, False,
                     XA_CARDINAL, &type, &format, &count, &left, &pid);
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(*reinterpret_cast<long*>(pid), program.pid());
  XFree(pid);

  XResizeWindow(x(), window, 640, 480);  // a bigger window makes drawing on plainer
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
  const Picture picture = litPicture(window, 160, 0, 480, 480, 1000);
  EXPECT_GT(countLit(picture, 160, 0, 480, 480).lit, 1000);
  EXPECT_GT(countLit(picture, 0, 0, 160, 360).lit, 0);
  EXPECT_FALSE(program.waitEnd(0));
}

// A frame of a huge window takes seconds in software, yet a module must go at once. Not a
// speed figure: two seconds (a second's promise, with room for a busy machine to tear down
// gigabytes) only tell "at once" from "after the frame".
TEST_F(OnDisplay, SigtermEndsTheRunAtOnceWhateverAFrameCosts) {
  Program program(screen->name(), {"--geometry", "8192x8192"});
  ASSERT_NE(ownWindow(), 0u);
  pause(1500);  // into the first frames, each of them seconds long
  program.signal(SIGTERM);
  EXPECT_TRUE(program.waitEnd(2000));
  EXPECT_EQ(program.exitCode(), 0);
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
  XSync(x(), False);
  char inputOnlyId[32];
  std::snprintf(inputOnlyId, sizeof inputOnlyId, "%lu", inputOnly);
  const std::string version14 = "MESA_GL_VERSION_OVERRIDE=1.4";
  const struct {
    bool onNoGlx;
    std::vector<std::string> args, environment;
    const char* reason;  // a word of the line
  } cases[] = {
      {false, {"--count", "0"}, {}, "--count"},
      {false, {"-x"}, {}, "\"-x\""},
      {true, {}, {}, "GLX"},
      {true, {"--root"}, {}, "GLX"},
      {false, {}, {version14}, "OpenGL 2.0 shader functions"},
      {false, {}, {version14, "MESA_EXTENSION_OVERRIDE=-GL_ARB_vertex_program"}, "OpenGL 2.0"},
      {false, {"--root"}, {"LIBGL_ALWAYS_INDIRECT=1"}, "OpenGL context"},
      {false, {"--window-id", inputOnlyId}, {}, "InputOnly"},
  };
  for (Display* display : {x(), noGlx.display()})
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  for (const auto& c : cases)
    for (bool closed : {false, true}) {
      SCOPED_TRACE(c.reason + std::string(closed ? ", standard descriptors closed" : ""));
      const std::string& name = c.onNoGlx ? noGlx.name() : screen->name();
      std::string errors;
      EXPECT_EQ(runToEnd(name, c.args, errors, c.environment, closed), 1);
      if (closed) continue;
      EXPECT_EQ(errors.rfind("vorlixss: ", 0), 0u) << errors;
      EXPECT_EQ(errors.find('\n'), errors.size() - 1) << errors;
      EXPECT_NE(errors.find(c.reason), std::string::npos) << errors;
    }
  std::string errors;
  EXPECT_EQ(runToEnd("", {}, errors), 1);
  EXPECT_EQ(errors, "vorlixss: DISPLAY is not set, so there is no X display to draw on\n");
  for (Display* display : {x(), noGlx.display()}) {
    XSync(display, False);
    XEvent mapped;
    EXPECT_FALSE(XCheckTypedEvent(display, MapNotify, &mapped)) << "a window flashed up";
    XSelectInput(display, DefaultRootWindow(display), NoEventMask);
  }
  XDestroyWindow(x(), inputOnly);
}

TEST_F(OnDisplay, AFrameAllocatesNothingAndTheGhostingFramesFollowAResize) {
  setenv("DISPLAY", screen->name().c_str(), 1);
  HostOptions options;
  options.width = 160;
  options.height = 120;
  std::string failure;
  ASSERT_TRUE(openDrawTarget(options, failure)) << failure;
  clientRect = {0, 0, 160, 120};
  ASSERT_TRUE(initGLContext(drawTarget.display, drawTarget.window, failure)) << failure;
  saverSettings = defaultSettings;
  saverSettings.motionBlur = saverSettings.feather = saverSettings.contour = true;
  initScene();
  ASSERT_TRUE(initFpsOverlay(drawTarget.display));
  for (uint32_t tick = 1; tick <= 120; ++tick) {
    counting = tick > 5;  // past the first ticks, whatever the GL sets up lazily
    const uint32_t now = 1000 + tick * 23;
    takeWindowEvents();
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
