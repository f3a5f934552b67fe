// Linux: finding or making the window to draw into, and reading its events.
#include "host_x11/x11_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "render/context/gl_context_glx.h"
#include "scene/frame_clock.h"

DrawTarget drawTarget;

namespace {

const char* const windowTitle = "VorlixSS";

// X errors seen during the run.
struct XErrors {
  bool targetLost = false;  // a request on the window failed: it is gone
  bool reported = false;    // one error has been written out; later ones are not
  char held[200] = "";      // an error not written yet: it may be the window's loss showing
  int glxErrorBase = -1;    // GLX's first error code; -1 without GLX
} xErrors;

// GLX's error numbers for a drawable that is gone, after its error base (the GLX protocol's
// GLXBadDrawable, GLXBadCurrentWindow and GLXBadWindow; glx.h does not carry them).
constexpr int glxBadDrawable = 2, glxBadCurrentWindow = 11, glxBadWindow = 12;

// True for the errors that say a window or drawable no longer exists.
bool isLostWindow(int code) {
  const int glx = xErrors.glxErrorBase;
  return code == BadWindow || code == BadDrawable ||
         (glx >= 0 && (code == glx + glxBadDrawable || code == glx + glxBadWindow ||
                       code == glx + glxBadCurrentWindow));
}

// NOTE: Xlib's default handler prints and exits on any error, but a window handed over may be
// destroyed at any moment (XScreenSaver does so when it stops), and requests already sent on
// it then fail, not only with BadWindow: a GC or GLX drawable made for it fails later with
// errors of its own. So the first other error is held until takeWindowEvents has seen
// whether the window still exists; a handler may send no requests to ask.
int onXError(Display* display, XErrorEvent* error) {
  if (xErrors.targetLost) return 0;
  if (isLostWindow(error->error_code)) {
    xErrors.targetLost = true;
    xErrors.held[0] = '\0';
    return 0;
  }
  if (xErrors.reported || xErrors.held[0]) return 0;
  char text[120];
  XGetErrorText(display, error->error_code, text, sizeof text);
  std::snprintf(xErrors.held, sizeof xErrors.held, "X error: %s (request %d)", text,
                error->request_code);
  return 0;
}

// Writes out a held error once the window is known to exist; a query on a window that is
// gone fails and marks it lost instead.
void reportHeldXError() {
  if (!xErrors.held[0]) return;
  XWindowAttributes attributes;
  XGetWindowAttributes(drawTarget.display, drawTarget.window, &attributes);
  if (!xErrors.targetLost) {
    std::fprintf(stderr, "vorlixss: %s\n", xErrors.held);
    xErrors.reported = true;
  }
  xErrors.held[0] = '\0';
}

// A lost connection to the X server cannot be carried on from.
int onXIOError(Display*) {
  std::fputs("vorlixss: lost the connection to the X display\n", stderr);
  std::_Exit(1);
}

// The window's process id and host, so that tools can find the process of the window.
void setProcessProperties(Display* display, Window window) {
  const long pid = static_cast<long>(getpid());
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
  char host[256] = "";
  if (gethostname(host, sizeof host - 1) != 0) return;
  XChangeProperty(display, window, XA_WM_CLIENT_MACHINE, XA_STRING, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(host), static_cast<int>(std::strlen(host)));
}

// A top-level window of width x height with a GL visual, titled and closable, not mapped yet.
bool createOwnWindow(const HostOptions& options, std::string& failure) {
  Display* display = drawTarget.display;
  const int screen = DefaultScreen(display);
  XVisualInfo* visual = chooseOwnWindowVisual(display, screen);
  if (!visual) {
    failure = "this X display offers no double-buffered OpenGL visual";
    return false;
  }
  const Window root = RootWindow(display, screen);
  XSetWindowAttributes attributes{};
  attributes.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
  attributes.background_pixel = BlackPixel(display, screen);
  attributes.border_pixel = 0;
  attributes.event_mask = KeyPressMask | StructureNotifyMask;  // StructureNotify: map state too
  // X's geometry rule: a minus offset places the window's far edge from the screen's far edge.
  const int x = options.fromRight
                    ? DisplayWidth(display, screen) - static_cast<int>(options.width) - options.x
                    : options.x;
  const int y = options.fromBottom
                    ? DisplayHeight(display, screen) - static_cast<int>(options.height) - options.y
                    : options.y;
  drawTarget.window = XCreateWindow(display, root, x, y, options.width, options.height, 0,
                                    visual->depth, InputOutput, visual->visual,
                                    CWColormap | CWBackPixel | CWBorderPixel | CWEventMask,
                                    &attributes);
  XFree(visual);
  drawTarget.ownWindow = true;
  if (options.placed) {
    // NOTE: window managers place new windows as they like unless the hints say the user
    // asked for this position (USPosition); the gravity keeps a minus offset's far edge there.
    XSizeHints hints{};
    hints.flags = USPosition | USSize | PWinGravity;
    hints.x = x;
    hints.y = y;
    hints.width = static_cast<int>(options.width);
    hints.height = static_cast<int>(options.height);
    hints.win_gravity = options.fromRight ? (options.fromBottom ? SouthEastGravity : NorthEastGravity)
                                          : (options.fromBottom ? SouthWestGravity : NorthWestGravity);
    XSetWMNormalHints(display, drawTarget.window, &hints);
  }
  XStoreName(display, drawTarget.window, windowTitle);
  const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  XChangeProperty(display, drawTarget.window, netName, utf8, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(windowTitle), 8);
  XClassHint classHint{const_cast<char*>("vorlixss"), const_cast<char*>("VorlixSS")};
  XSetClassHint(display, drawTarget.window, &classHint);
  setProcessProperties(display, drawTarget.window);
  drawTarget.protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  drawTarget.deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, drawTarget.window, &drawTarget.deleteWindow, 1);
  drawTarget.width = static_cast<int>(options.width);
  drawTarget.height = static_cast<int>(options.height);
  return true;
}

}  // namespace

bool openDrawTarget(const HostOptions& options, std::string& failure) {
  XSetErrorHandler(onXError);
  XSetIOErrorHandler(onXIOError);
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) {
    failure = "DISPLAY is not set, so there is no X display to draw on";
    return false;
  }
  drawTarget.display = XOpenDisplay(nullptr);
  if (!drawTarget.display) {
    failure = std::string("cannot open the X display \"") + name + "\"";
    return false;
  }
  Display* display = drawTarget.display;
  int opcode = 0, firstEvent = 0;
  if (!XQueryExtension(display, "GLX", &opcode, &firstEvent, &xErrors.glxErrorBase))
    xErrors.glxErrorBase = -1;
  if (options.place == DrawPlace::ownWindow) {
    if (xErrors.glxErrorBase < 0) {
      failure = "this X display offers no OpenGL (it has no GLX extension)";
      return false;
    }
    return createOwnWindow(options, failure);
  }

  drawTarget.window = options.place == DrawPlace::rootWindow
                          ? DefaultRootWindow(display)
                          : static_cast<Window>(options.windowId);
  XWindowAttributes attributes;
  const char* problem = !XGetWindowAttributes(display, drawTarget.window, &attributes)
                            ? "there is no window 0x%lx to draw into"
                        : attributes.c_class == InputOnly
                            ? "the window 0x%lx is an InputOnly window, which cannot be drawn into"
                            : nullptr;
  if (problem) {
    char text[100];
    std::snprintf(text, sizeof text, problem, static_cast<unsigned long>(drawTarget.window));
    failure = text;
    drawTarget.window = 0;
    xErrors = XErrors{};  // the failed query is the reason, not a loss
    return false;
  }
  drawTarget.width = attributes.width;
  drawTarget.height = attributes.height;
  drawTarget.mapped = attributes.map_state != IsUnmapped;
  // Only structure events: the caller owns the window's input.
  XSelectInput(display, drawTarget.window, StructureNotifyMask);
  return true;
}

void showDrawTarget() {
  if (drawTarget.ownWindow) XMapWindow(drawTarget.display, drawTarget.window);
}

WindowNews takeWindowEvents(FrameClock& clock) {
  Display* display = drawTarget.display;
  WindowNews news = WindowNews::nothing;
  while (XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    switch (event.type) {
      case ConfigureNotify:
        if (event.xconfigure.window == drawTarget.window &&
            (event.xconfigure.width != drawTarget.width ||
             event.xconfigure.height != drawTarget.height)) {
          drawTarget.width = event.xconfigure.width;
          drawTarget.height = event.xconfigure.height;
          if (news == WindowNews::nothing) news = WindowNews::resized;
        }
        break;
      case MapNotify:
      case UnmapNotify:
        if (event.xany.window != drawTarget.window) break;
        drawTarget.mapped = event.type == MapNotify;
        // Hidden, nothing is drawn; shown again, the first tick only reads the clock, and
        // the balls go on from where they were.
        if (!drawTarget.mapped) forgetTickReading(clock);
        break;
      case DestroyNotify:
        if (event.xdestroywindow.window == drawTarget.window) return WindowNews::gone;
        break;
      case KeyPress: {
        const KeySym key = XLookupKeysym(&event.xkey, 0);
        if (drawTarget.ownWindow && (key == XK_Escape || key == XK_q)) news = WindowNews::close;
        break;
      }
      case ClientMessage:
        if (drawTarget.ownWindow && event.xclient.message_type == drawTarget.protocols &&
            static_cast<Atom>(event.xclient.data.l[0]) == drawTarget.deleteWindow)
          news = WindowNews::close;
        break;
      default:
        break;
    }
  }
  reportHeldXError();
  return xErrors.targetLost ? WindowNews::gone : news;
}

bool drawTargetLost() { return xErrors.targetLost; }

void dropXError() { xErrors.held[0] = '\0'; }

void closeDrawTarget() {
  if (!drawTarget.display) return;
  if (drawTarget.ownWindow && !xErrors.targetLost)
    XDestroyWindow(drawTarget.display, drawTarget.window);
  XCloseDisplay(drawTarget.display);
  drawTarget = DrawTarget{};
  xErrors = XErrors{};
}
