// The yardstick of vorlixss's first frame: the least a GLX program does before its first
// picture (open the display, a context on the root window's visual, one clear, one swap).
// scripts/bench times it from exec to the swap, with the same preloaded shim, in turns with
// vorlixss, so that the ratio of the two says what the program adds on this machine.
#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>

namespace {

// One line on standard error and exit code 1.
int fail(const char* reason) {
  std::fprintf(stderr, "bare_glx: %s\n", reason);
  return 1;
}

}  // namespace

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return fail("cannot open the X display");
  const Window root = DefaultRootWindow(display);
  XWindowAttributes attributes;
  XGetWindowAttributes(display, root, &attributes);
  XVisualInfo request{};
  request.visualid = XVisualIDFromVisual(attributes.visual);
  int count = 0;
  XVisualInfo* visual = XGetVisualInfo(display, VisualIDMask, &request, &count);
  if (!visual) return fail("the root window's visual cannot be read");
  GLXContext context = glXCreateContext(display, visual, nullptr, True);
  XFree(visual);
  if (!context || !glXMakeCurrent(display, root, context)) return fail("no GL context");
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glXSwapBuffers(display, root);
  XSync(display, False);
  glXMakeCurrent(display, None, nullptr);
  glXDestroyContext(display, context);
  XCloseDisplay(display);
  return 0;
}
