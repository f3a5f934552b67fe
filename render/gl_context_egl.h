// Linux Wayland: the OpenGL ES 3.0 context through EGL on a Wayland surface, and the swap.
// The renderer draws through its OpenGL ES variants, as on the page; no GLX, no GLEW.
#pragma once

#include <string>

struct wl_display;
struct wl_surface;

// Starts EGL on the Wayland display, makes an OpenGL ES 3.0 context with a window of width x
// height pixels on surface current, makes the quad's buffer and sets the drawing state from
// clientRect. False, with the reason in failure, when any step fails (all it made is gone).
bool initEGLContext(wl_display* display, wl_surface* surface, int width, int height,
                    std::string& failure);

// Gives the window's next buffers width x height pixels.
void resizeEGLWindow(int width, int height);

// Shows the back buffer. It never waits for the compositor: the host paces the frames.
void swapEGLBuffers();

// Releases the quad's buffer, the context, the window and EGL (the scene must have been
// released first). Safe to call twice.
void releaseEGLContext();
