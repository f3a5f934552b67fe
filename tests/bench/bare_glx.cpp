// The yardstick of vorlixss's first frame: the least a GLX program does before its first
// picture (open the display, a context on the root window's visual, one clear, one swap).
// scripts/bench times it from exec to the swap, with the same preloaded shim, in turns with
// vorlixss, so that the ratio of the two says what the program adds on this machine.
// With --glsl it draws its picture the way vorlixss must, through a GLSL program: one
// trivial shader pair compiled and linked, one full-screen draw. That is what software GL
// charges any program that draws with a shader, and what is left above it is vorlixss's own.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

// One line on standard error and exit code 1.
int fail(const char* reason) {
  std::fprintf(stderr, "bare_glx: %s\n", reason);
  return 1;
}

// Compiles and links a pass-through vertex shader and a one-colour fragment shader, and makes
// the program current; false when the GL refuses.
bool useTrivialProgram() {
  const char* const vertex = "void main() { gl_Position = gl_Vertex; }";
  const char* const fragment = "void main() { gl_FragColor = vec4(0.8, 0.0, 0.6, 1.0); }";
  const GLuint program = glCreateProgram();
  for (GLenum type : {GL_VERTEX_SHADER, GL_FRAGMENT_SHADER}) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, type == GL_VERTEX_SHADER ? &vertex : &fragment, nullptr);
    glCompileShader(shader);
    glAttachShader(program, shader);
  }
  glLinkProgram(program);
  GLint linked = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &linked);
  glUseProgram(program);
  return linked;
}

}  // namespace

int main(int argc, char** argv) {
  const bool glsl = argc > 1 && std::strcmp(argv[1], "--glsl") == 0;
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
  if (glsl) {
    if (!useTrivialProgram()) return fail("the trivial GLSL program did not link");
    glRectf(-1.0f, -1.0f, 1.0f, 1.0f);
  }
  glXSwapBuffers(display, root);
  XSync(display, False);
  glXMakeCurrent(display, None, nullptr);
  glXDestroyContext(display, context);
  XCloseDisplay(display);
  return 0;
}
