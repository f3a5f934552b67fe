// Linux Wayland: EGL on the compositor's connection (one display a process), and per surface
// an OpenGL ES 3.0 context with its window surface, made current before that surface draws.
// The renderer draws through its OpenGL ES variants, as on the page; no GLX, no GLEW.
#pragma once

#include <EGL/egl.h>

#include <string>

struct wl_display;
struct wl_surface;
struct wl_egl_window;

// EGL started on one Wayland connection, with the config every surface's context uses.
struct EglDisplay {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLConfig config = nullptr;
};

// One surface's context, the EGL surface it draws on and the Wayland window under it.
struct EglTarget {
  wl_egl_window* window = nullptr;
  EGLSurface surface = EGL_NO_SURFACE;
  EGLContext context = EGL_NO_CONTEXT;
};

// Starts EGL on the Wayland display and picks the config. False, with the reason in failure
// (all it made is gone).
bool startEGL(EglDisplay& egl, wl_display* display, std::string& failure);

// Makes an OpenGL ES 3.0 context with a window of width x height pixels on surface, makes it
// current and sets the drawing state for that size. False, with the reason in failure, when
// any step fails (all it made is gone).
bool initEGLTarget(const EglDisplay& egl, EglTarget& target, wl_surface* surface, int width,
                   int height, std::string& failure);

// Makes the target's context current on its surface; false when EGL refuses.
bool makeEGLTargetCurrent(const EglDisplay& egl, const EglTarget& target);

// Gives the target's window its next buffers' size in pixels.
void resizeEGLTarget(EglTarget& target, int width, int height);

// Shows the target's back buffer. It never waits for the compositor: the host paces frames.
void swapEGLTarget(const EglDisplay& egl, const EglTarget& target);

// Releases the context, the EGL surface and the window (the scene drawn there must have
// been released first, with the context current). Safe to call twice.
void releaseEGLTarget(const EglDisplay& egl, EglTarget& target);

// Ends EGL on the display (every target released first). Safe to call twice.
void stopEGL(EglDisplay& egl);

// One surface in a process (the tests' and benchmarks' windows): EGL started and a target
// made, resized, swapped and released together.
bool initEGLContext(wl_display* display, wl_surface* surface, int width, int height,
                    std::string& failure);
void resizeEGLWindow(int width, int height);
void swapEGLBuffers();
void releaseEGLContext();
