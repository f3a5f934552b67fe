// Linux: the window's OpenGL context through GLX, GLEW's start and the swap.
#include "render/context/gl_context_glx.h"

#include <cstdio>

#include "render/context/gl_context.h"
#include "scene/frame_clock.h"

namespace {

// The context and where it draws; null and 0 while there is none.
struct GlxState {
  Display* display = nullptr;
  Window window = 0;
  GLXContext context = nullptr;
} glx;

// The visual of a window, as GLX describes visuals; null when the window cannot be read.
XVisualInfo* windowVisual(Display* display, Window window) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return nullptr;
  XVisualInfo request{};
  request.visualid = XVisualIDFromVisual(attributes.visual);
  request.screen = XScreenNumberOfScreen(attributes.screen);
  int count = 0;
  return XGetVisualInfo(display, VisualIDMask | VisualScreenMask, &request, &count);
}

// The GLX attribute attribute of visual; 0 when GLX cannot tell.
int visualAttribute(Display* display, XVisualInfo* visual, int attribute) {
  int value = 0;
  return glXGetConfig(display, visual, attribute, &value) == 0 ? value : 0;
}

}  // namespace

XVisualInfo* chooseOwnWindowVisual(Display* display, int screen) {
  int attributes[] = {GLX_RGBA,        GLX_DOUBLEBUFFER, GLX_RED_SIZE,   8, GLX_GREEN_SIZE, 8,
                      GLX_BLUE_SIZE,   8,                GLX_DEPTH_SIZE, 16, None};
  return glXChooseVisual(display, screen, attributes);
}

bool initGLContext(Display* display, Window window, const ClientRect& rect,
                   std::string& failure) {
  int errorBase = 0, eventBase = 0;
  if (!glXQueryExtension(display, &errorBase, &eventBase)) {
    failure = "this X display offers no OpenGL (it has no GLX extension)";
    return false;
  }
  XVisualInfo* visual = windowVisual(display, window);
  if (!visual) {
    failure = "the window to draw into cannot be read (it may be gone)";
    return false;
  }
  char visualName[64];
  std::snprintf(visualName, sizeof visualName, "the window's visual 0x%lx",
                static_cast<unsigned long>(visual->visualid));
  if (!visualAttribute(display, visual, GLX_USE_GL) ||
      !visualAttribute(display, visual, GLX_RGBA) ||
      !visualAttribute(display, visual, GLX_DOUBLEBUFFER)) {
    failure = std::string(visualName) + " offers no double-buffered RGBA OpenGL";
    XFree(visual);
    return false;
  }
  glx.context = glXCreateContext(display, visual, nullptr, True);
  XFree(visual);
  if (!glx.context) {
    failure = "could not create an OpenGL context for " + std::string(visualName);
    return false;
  }
  glx.display = display;
  glx.window = window;
  if (!glXMakeCurrent(display, window, glx.context)) {
    failure = "could not make the OpenGL context current on the window";
    releaseGLContext();
    return false;
  }
  // NOTE: glewExperimental is left as it is, as on Windows: GLEW then loads exactly the
  // entry points of what the driver reports, and the shader check sees what is missing.
  if (glewInit() != GLEW_OK) {
    failure = glewFailureLine;
    failure.pop_back();  // the line end is the reporter's
    releaseGLContext();
    return false;
  }
  setDrawingState(rect.right, rect.bottom);
  return true;
}

void swapWindowBuffers() { glXSwapBuffers(glx.display, glx.window); }

void releaseGLContext() {
  if (!glx.context) return;
  glXMakeCurrent(glx.display, None, nullptr);
  glXDestroyContext(glx.display, glx.context);
  glx = GlxState{};
}
