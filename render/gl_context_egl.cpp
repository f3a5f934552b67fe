// Linux Wayland: EGL on the compositor's display, an OpenGL ES 3.0 context, the window
// surface and the swap.
#include "render/gl_context_egl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GLES3/gl3.h>
#include <wayland-egl.h>

#include <cstdio>
#include <cstring>

#include "render/fullscreen_quad.h"
#include "render/gl_context.h"
#include "scene/frame_clock.h"

namespace {

// The context and where it draws; empty while there is none.
struct EglState {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
  EGLSurface surface = EGL_NO_SURFACE;
  wl_egl_window* window = nullptr;
  bool quadMade = false;  // the quad's buffer exists in the context
} egl;

// "what (EGL error 0x3001)", the line of a failed EGL call.
std::string eglFailure(const char* what) {
  char code[32];
  std::snprintf(code, sizeof code, " (EGL error 0x%x)", static_cast<unsigned>(eglGetError()));
  return what + std::string(code);
}

// An opaque config of 8 bits a channel, the form compositors show most directly; another
// one that the driver lists first where it has none. No alpha: the clear colour's alpha of 0
// would let the desktop show through an ARGB buffer.
// NOTE: Mesa 22's llvmpipe was seen to write flat-coloured 64x64 tiles of 8-bit Wayland
// buffers as packed 24-bit pixels. None of the saver's passes is flat-coloured, and the
// tests compare several frames, with ghosting and the frame-rate line, with the X11 build's.
EGLConfig chooseConfig(EGLDisplay display) {
  const EGLint attributes[] = {EGL_SURFACE_TYPE, EGL_WINDOW_BIT, EGL_RENDERABLE_TYPE,
                               EGL_OPENGL_ES3_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8,
                               EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 0, EGL_NONE};
  EGLConfig configs[256];  // deeper colour comes first, each depth in many variants
  EGLint count = 0;
  if (!eglChooseConfig(display, attributes, configs, 256, &count) || count == 0) return nullptr;
  for (EGLint i = 0; i < count; ++i) {
    EGLint red = 0, alpha = 0;
    eglGetConfigAttrib(display, configs[i], EGL_RED_SIZE, &red);
    eglGetConfigAttrib(display, configs[i], EGL_ALPHA_SIZE, &alpha);
    if (red == 8 && alpha == 0) return configs[i];
  }
  return configs[0];
}

}  // namespace

bool initEGLContext(wl_display* display, wl_surface* surface, int width, int height,
                    std::string& failure) {
  egl.display = eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, display, nullptr);
  if (egl.display == EGL_NO_DISPLAY || !eglInitialize(egl.display, nullptr, nullptr)) {
    failure = eglFailure("EGL cannot start on this Wayland display");
    releaseEGLContext();
    return false;
  }
  const EGLConfig config = eglBindAPI(EGL_OPENGL_ES_API) ? chooseConfig(egl.display) : nullptr;
  const EGLint version[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 0, EGL_NONE};
  if (config) egl.context = eglCreateContext(egl.display, config, EGL_NO_CONTEXT, version);
  if (egl.context == EGL_NO_CONTEXT) {
    failure = eglFailure("this graphics driver offers no OpenGL ES 3.0 through EGL");
    releaseEGLContext();
    return false;
  }
  egl.window = wl_egl_window_create(surface, width, height);
  if (egl.window)
    egl.surface = eglCreatePlatformWindowSurface(egl.display, config, egl.window, nullptr);
  if (egl.surface == EGL_NO_SURFACE) {
    failure = eglFailure("EGL cannot draw on the Wayland surface");
    releaseEGLContext();
    return false;
  }
  if (!eglMakeCurrent(egl.display, egl.surface, egl.surface, egl.context)) {
    failure = eglFailure("could not make the OpenGL ES context current");
    releaseEGLContext();
    return false;
  }
  // NOTE: a driver may hand out a context of a lower version than asked for; the shared
  // renderer calls OpenGL ES 3.0 functions, so it must really be 3.0 or later.
  GLint major = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  if (major < 3) {
    const char* given = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    failure = std::string("this graphics driver offers no OpenGL ES 3.0 (it gives \"") +
              (given ? given : "?") + "\")";
    releaseEGLContext();
    return false;
  }
  // Swaps never wait for the compositor's frame callback: a surface it does not show
  // would stop the loop, signals and input with it.
  eglSwapInterval(egl.display, 0);
  createQuadBuffer();
  egl.quadMade = true;
  setDrawingState(clientRect.right, clientRect.bottom);
  return true;
}

void resizeEGLWindow(int width, int height) {
  if (egl.window) wl_egl_window_resize(egl.window, width, height, 0, 0);
}

void swapEGLBuffers() { eglSwapBuffers(egl.display, egl.surface); }

void releaseEGLContext() {
  if (egl.quadMade) releaseQuadBuffer();
  if (egl.display != EGL_NO_DISPLAY) {
    eglMakeCurrent(egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (egl.surface != EGL_NO_SURFACE) eglDestroySurface(egl.display, egl.surface);
    if (egl.context != EGL_NO_CONTEXT) eglDestroyContext(egl.display, egl.context);
    eglTerminate(egl.display);
    eglReleaseThread();
  }
  if (egl.window) wl_egl_window_destroy(egl.window);
  egl = EglState{};
}
