// Linux Wayland: EGL on the compositor's display, an OpenGL ES 3.0 context per surface, the
// window surfaces and the swap.
#include "render/context/gl_context_egl.h"

#include <EGL/eglext.h>
#include <GLES3/gl3.h>
#include <wayland-egl.h>

#include <cstdio>
#include <cstring>

#include "render/context/gl_context.h"

namespace {

// The one display and target of initEGLContext's callers.
EglDisplay single;
EglTarget singleTarget;

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

bool startEGL(EglDisplay& egl, wl_display* display, std::string& failure) {
  egl.display = eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, display, nullptr);
  if (egl.display == EGL_NO_DISPLAY || !eglInitialize(egl.display, nullptr, nullptr)) {
    failure = eglFailure("EGL cannot start on this Wayland display");
    stopEGL(egl);
    return false;
  }
  egl.config = eglBindAPI(EGL_OPENGL_ES_API) ? chooseConfig(egl.display) : nullptr;
  if (!egl.config) {
    failure = eglFailure("this graphics driver offers no OpenGL ES 3.0 through EGL");
    stopEGL(egl);
    return false;
  }
  return true;
}

bool initEGLTarget(const EglDisplay& egl, EglTarget& target, wl_surface* surface, int width,
                   int height, std::string& failure) {
  const EGLint version[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 0, EGL_NONE};
  target.context = eglCreateContext(egl.display, egl.config, EGL_NO_CONTEXT, version);
  if (target.context == EGL_NO_CONTEXT) {
    failure = eglFailure("this graphics driver offers no OpenGL ES 3.0 through EGL");
    releaseEGLTarget(egl, target);
    return false;
  }
  target.window = wl_egl_window_create(surface, width, height);
  if (target.window)
    target.surface = eglCreatePlatformWindowSurface(egl.display, egl.config, target.window, nullptr);
  if (target.surface == EGL_NO_SURFACE) {
    failure = eglFailure("EGL cannot draw on the Wayland surface");
    releaseEGLTarget(egl, target);
    return false;
  }
  if (!makeEGLTargetCurrent(egl, target)) {
    failure = eglFailure("could not make the OpenGL ES context current");
    releaseEGLTarget(egl, target);
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
    releaseEGLTarget(egl, target);
    return false;
  }
  // Swaps never wait for the compositor's frame callback: a surface it does not show
  // would stop the loop, signals and input with it.
  eglSwapInterval(egl.display, 0);
  setDrawingState(width, height);
  return true;
}

bool makeEGLTargetCurrent(const EglDisplay& egl, const EglTarget& target) {
  return eglMakeCurrent(egl.display, target.surface, target.surface, target.context);
}

void resizeEGLTarget(EglTarget& target, int width, int height) {
  if (target.window) wl_egl_window_resize(target.window, width, height, 0, 0);
}

void swapEGLTarget(const EglDisplay& egl, const EglTarget& target) {
  eglSwapBuffers(egl.display, target.surface);
}

void releaseEGLTarget(const EglDisplay& egl, EglTarget& target) {
  if (egl.display != EGL_NO_DISPLAY) {
    if (eglGetCurrentContext() == target.context && target.context != EGL_NO_CONTEXT)
      eglMakeCurrent(egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (target.surface != EGL_NO_SURFACE) eglDestroySurface(egl.display, target.surface);
    if (target.context != EGL_NO_CONTEXT) eglDestroyContext(egl.display, target.context);
  }
  if (target.window) wl_egl_window_destroy(target.window);
  target = EglTarget{};
}

void stopEGL(EglDisplay& egl) {
  if (egl.display != EGL_NO_DISPLAY) {
    eglMakeCurrent(egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglTerminate(egl.display);
    eglReleaseThread();
  }
  egl = EglDisplay{};
}

bool initEGLContext(wl_display* display, wl_surface* surface, int width, int height,
                    std::string& failure) {
  return startEGL(single, display, failure) &&
         initEGLTarget(single, singleTarget, surface, width, height, failure);
}

void resizeEGLWindow(int width, int height) { resizeEGLTarget(singleTarget, width, height); }

void swapEGLBuffers() { swapEGLTarget(single, singleTarget); }

void releaseEGLContext() {
  releaseEGLTarget(single, singleTarget);
  stopEGL(single);
}
