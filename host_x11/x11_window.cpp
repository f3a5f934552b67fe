// Linux: finding or making the window to draw into, and reading its events.
#include "host_x11/x11_window.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdio>
#include <cstdlib>

#include "render/gl_context_glx.h"

DrawTarget drawTarget;

namespace {

const char* const windowTitle = "VorlixSS";

// X errors seen during the run.
struct XErrors {
  bool targetLost = false;  // a request on the window failed: it is gone
  bool reported = false;    // one other error has been written out
} xErrors;

// NOTE: Xlib's default handler prints and exits on any error, but a window handed over may be
// destroyed at any moment (XScreenSaver does so when it stops), and requests already sent on
// it then fail. Those end the run quietly; anything else is written once and ignored.
int onXError(Display* display, XErrorEvent* error) {
  if (error->error_code == BadWindow || error->error_code == BadDrawable) {
    xErrors.targetLost = true;
    return 0;
  }
  if (!xErrors.reported) {
    char text[160];
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "vorlixss: X error: %s (request %d)\n", text, error->request_code);
    xErrors.reported = true;
  }
  return 0;
}

// A lost connection to the X server cannot be carried on from.
int onXIOError(Display*) {
  std::fputs("vorlixss: lost the connection to the X display\n", stderr);
  std::_Exit(1);
}

// The window's size and whether it exists.
bool readSize(Display* display, Window window, int& width, int& height) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return false;
  width = attributes.width;
  height = attributes.height;
  return true;
}

// A top-level window of width x height with a GL visual, titled, closable, shown.
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
  attributes.event_mask = KeyPressMask | StructureNotifyMask;
  drawTarget.window = XCreateWindow(display, root, 0, 0, options.width, options.height, 0,
                                    visual->depth, InputOutput, visual->visual,
                                    CWColormap | CWBackPixel | CWBorderPixel | CWEventMask,
                                    &attributes);
  XFree(visual);
  drawTarget.ownWindow = true;
  XStoreName(display, drawTarget.window, windowTitle);
  const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  XChangeProperty(display, drawTarget.window, netName, utf8, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(windowTitle), 8);
  XClassHint classHint{const_cast<char*>("vorlixss"), const_cast<char*>("VorlixSS")};
  XSetClassHint(display, drawTarget.window, &classHint);
  drawTarget.deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, drawTarget.window, &drawTarget.deleteWindow, 1);
  XMapWindow(display, drawTarget.window);
  drawTarget.width = static_cast<int>(options.width);
  drawTarget.height = static_cast<int>(options.height);
  return true;
}

}  // namespace

bool openDrawTarget(const HostOptions& options, std::string& failure) {
  XSetErrorHandler(onXError);
  XSetIOErrorHandler(onXIOError);
  const char* name = XDisplayName(nullptr);
  drawTarget.display = XOpenDisplay(nullptr);
  if (!drawTarget.display) {
    failure = std::string("cannot open the X display \"") + name + "\"";
    return false;
  }
  Display* display = drawTarget.display;
  if (options.place == DrawPlace::ownWindow) return createOwnWindow(options, failure);

  drawTarget.window = options.place == DrawPlace::rootWindow
                          ? DefaultRootWindow(display)
                          : static_cast<Window>(options.windowId);
  if (!readSize(display, drawTarget.window, drawTarget.width, drawTarget.height)) {
    char text[80];
    std::snprintf(text, sizeof text, "there is no window 0x%lx to draw into",
                  static_cast<unsigned long>(drawTarget.window));
    failure = text;
    drawTarget.window = 0;
    return false;
  }
  // Only structure events: the caller owns the window's input.
  XSelectInput(display, drawTarget.window, StructureNotifyMask);
  return true;
}

WindowNews takeWindowEvents() {
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
      case DestroyNotify:
        if (event.xdestroywindow.window == drawTarget.window) return WindowNews::gone;
        break;
      case KeyPress: {
        const KeySym key = XLookupKeysym(&event.xkey, 0);
        if (drawTarget.ownWindow && (key == XK_Escape || key == XK_q)) news = WindowNews::close;
        break;
      }
      case ClientMessage:
        if (drawTarget.ownWindow &&
            static_cast<Atom>(event.xclient.data.l[0]) == drawTarget.deleteWindow)
          news = WindowNews::close;
        break;
      default:
        break;
    }
  }
  return xErrors.targetLost ? WindowNews::gone : news;
}

bool drawTargetLost() { return xErrors.targetLost; }

void closeDrawTarget() {
  if (!drawTarget.display) return;
  if (drawTarget.ownWindow && !xErrors.targetLost)
    XDestroyWindow(drawTarget.display, drawTarget.window);
  XCloseDisplay(drawTarget.display);
  drawTarget = DrawTarget{};
}
