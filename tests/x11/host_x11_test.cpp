// The real vorlixss on private X displays: a window handed over, its own window, the stop
// signals, a resized window, a bad command line, displays that cannot draw; and, in-process,
// that a frame allocates nothing.
// NOTE: GoogleTest first: X11's None macro would break its headers; GLEW before GLX.
#include <gtest/gtest.h>

#include "render/gl_context_glx.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <signal.h>

#include <cstdio>
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

  // A key press of keysym sent to window, as the keyboard would deliver it.
  void press(Window window, KeySym key) {
    XEvent event{};
    event.xkey.type = KeyPress;
    event.xkey.display = x();
    event.xkey.window = window;
    event.xkey.root = DefaultRootWindow(x());
    event.xkey.keycode = XKeysymToKeycode(x(), key);
    event.xkey.same_screen = True;
    XSendEvent(x(), window, True, KeyPressMask, &event);
    XSync(x(), False);
  }

  // The window manager's close request.
  void askToClose(Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(x(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(x(), "WM_DELETE_WINDOW", False));
    XSendEvent(x(), window, False, NoEventMask, &event);
    XSync(x(), False);
  }
};

TEST_F(OnDisplay, DrawsIntoTheWindowHandedOverAndEndsQuietlyWhenItIsDestroyed) {
  const XVisualInfo visual = otherGlVisual();
  ASSERT_NE(visual.visual, nullptr) << "the display offers no second double-buffered GL visual";
  const Window window = makeWindow(visual, 100, 100, 320, 240);
  char id[32];
  std::snprintf(id, sizeof id, "XSCREENSAVER_WINDOW=0x%lx", window);
  // XScreenSaver passes --root as well; the window in the environment wins.
  Program program(screen->name(), {"--root", "--seed", "3", "--count", "20"}, {id});
  const Picture first = litPicture(window, 0, 0, 320, 240, 2000);
  pause(300);
  const Picture second = grab(x(), window);
  const LitCount lit = countLit(first, 0, 0, first.width, first.height);
  EXPECT_GT(lit.lit, 2000);
  EXPECT_GE(lit.sectors, 2) << "the blobs should have several colours";
  EXPECT_GT(changedPixels(first, second), 100) << "the blobs should move";
  const Picture root = grab(x(), DefaultRootWindow(x()));
  EXPECT_EQ(countLit(root, 500, 400, 500, 350).lit, 0) << "nothing is drawn on the root window";

  XDestroyWindow(x(), window);
  XSync(x(), False);
  ASSERT_TRUE(program.waitEnd(5000));
  EXPECT_FALSE(program.endedBySignal());
  EXPECT_EQ(program.exitCode(), 0);
  EXPECT_EQ(program.errors(), "");
}

TEST_F(OnDisplay, OwnWindowEndsOnEscapeQAndCloseButtonAndKeepsDrawingOnOtherInput) {
  for (const char* closer : {"Escape", "q", "close button"}) {
    SCOPED_TRACE(closer);
    Program program(screen->name(), {"--geometry", "200x150"});
    const Window window = ownWindow();
    ASSERT_NE(window, 0u);
    XWindowAttributes attributes;
    XGetWindowAttributes(x(), window, &attributes);
    EXPECT_EQ(attributes.width, 200);
    EXPECT_EQ(attributes.height, 150);
    press(window, XK_space);
    EXPECT_FALSE(program.waitEnd(300)) << "other keys keep it drawing";
    if (std::string(closer) == "close button")
      askToClose(window);
    else
      press(window, XStringToKeysym(closer));
    ASSERT_TRUE(program.waitEnd(5000));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(program.errors(), "");
  }
}

TEST_F(OnDisplay, StopSignalsEndTheRunWithExitCodeZero) {
  for (int number : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(number);
    Program program(screen->name(), {"--geometry", "640x480", "--ghosting", "--fps"});
    ASSERT_NE(ownWindow(), 0u);
    pause(300);
    program.signal(number);
    ASSERT_TRUE(program.waitEnd(5000));
    EXPECT_FALSE(program.endedBySignal());
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(program.errors(), "");
  }
}

TEST_F(OnDisplay, PictureFillsAWindowThatGrows) {
  Program program(screen->name(), {"--geometry", "160x120", "--count", "20", "--min-radius",
                                   "150", "--max-radius", "200", "--seed", "11"});
  const Window window = ownWindow();
  ASSERT_NE(window, 0u);
  pause(300);
  XResizeWindow(x(), window, 640, 480);
  XSync(x(), False);
  pause(500);
  const Picture picture = litPicture(window, 160, 0, 480, 480, 1000);
  ASSERT_EQ(picture.width, 640);
  // Outside the first 160x120 at the lower left: drawn only with viewport and projection resized.
  EXPECT_GT(countLit(picture, 160, 0, 480, 480).lit, 1000);
  EXPECT_GT(countLit(picture, 0, 0, 160, 360).lit, 0);
  program.signal(SIGTERM);
  ASSERT_TRUE(program.waitEnd(5000));
  EXPECT_EQ(program.exitCode(), 0);
}

TEST_F(OnDisplay, ABadCommandLineSaysWhatTheOptionAcceptsAndOpensNoWindow) {
  // Any window made on the root, however briefly, leaves a CreateNotify behind.
  XSelectInput(x(), DefaultRootWindow(x()), SubstructureNotifyMask);
  XSync(x(), False);
  std::string errors;
  EXPECT_EQ(runToEnd(screen->name(), {"--count", "21"}, errors), 1);
  EXPECT_EQ(errors, "vorlixss: --count takes a whole number from 1 to 20, not \"21\"\n");
  XSync(x(), False);
  XEvent created;
  EXPECT_FALSE(XCheckTypedEvent(x(), CreateNotify, &created));
  XSelectInput(x(), DefaultRootWindow(x()), NoEventMask);
}

TEST_F(OnDisplay, WithoutTheOpenGl20ShaderFunctionsItSaysSoAndEndsWithOne) {
  std::string errors;
  EXPECT_EQ(runToEnd(screen->name(), {}, errors, {"MESA_GL_VERSION_OVERRIDE=1.5"}), 1);
  EXPECT_NE(errors.find("vorlixss: the saver could not start: This graphics driver does not "
                        "offer the OpenGL 2.0 shader functions"),
            std::string::npos)
      << errors;
}

TEST(WithoutGlx, TheProgramSaysSoAndEndsWithOne) {
  PrivateDisplay noGlx({"-extension", "GLX"});
  ASSERT_NE(noGlx.display(), nullptr);
  std::string errors;
  EXPECT_EQ(runToEnd(noGlx.name(), {"--root"}, errors), 1);
  EXPECT_EQ(errors, "vorlixss: this X display offers no OpenGL (it has no GLX extension)\n");
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
