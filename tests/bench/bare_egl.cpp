// The yardstick of vorlixss-wayland's first frame: the least a Wayland program does before its
// first picture over an output (connect, an overlay layer surface over the first output,
// its configure, an OpenGL ES 3 context through EGL, one clear, one swap). scripts/bench
// times it from exec to the return of that swap with the same preloaded shim as
// vorlixss-wayland, in turns with it, so that the ratio of the two says what the program adds
// on this machine. It then waits for the compositor's frame callback and prints, as
// shown_after_swap_ms=, how long after the swap the compositor showed the frame.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GLES3/gl3.h>
#include <wayland-client.h>
#include <wayland-egl.h>

#include <time.h>

#include <cstdio>
#include <cstring>

// NOTE: the layer shell's protocol names an argument "namespace", a keyword of C++.
#define namespace layerNamespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

namespace {

struct Globals {
  wl_compositor* compositor = nullptr;
  zwlr_layer_shell_v1* layerShell = nullptr;
  wl_output* output = nullptr;
  int width = 0, height = 0;
  bool configured = false, shown = false;
} globals;

int fail(const char* reason) {
  std::fprintf(stderr, "bare_egl: %s\n", reason);
  return 1;
}

double seconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec + now.tv_nsec / 1e9;
}

void onGlobal(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  if (std::strcmp(interface, wl_compositor_interface.name) == 0)
    globals.compositor = static_cast<wl_compositor*>(
        wl_registry_bind(registry, name, &wl_compositor_interface, 4));
  else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0)
    globals.layerShell = static_cast<zwlr_layer_shell_v1*>(
        wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, 1));
  else if (std::strcmp(interface, wl_output_interface.name) == 0 && !globals.output)
    globals.output =
        static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1));
}
void onGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener registryListener = {onGlobal, onGlobalRemove};

void onConfigure(void*, zwlr_layer_surface_v1* surface, uint32_t serial, uint32_t width,
                 uint32_t height) {
  zwlr_layer_surface_v1_ack_configure(surface, serial);
  globals.width = static_cast<int>(width);
  globals.height = static_cast<int>(height);
  globals.configured = true;
}
void onClosed(void*, zwlr_layer_surface_v1*) {}
const zwlr_layer_surface_v1_listener layerListener = {onConfigure, onClosed};

void onFrameDone(void*, wl_callback*, uint32_t) { globals.shown = true; }
const wl_callback_listener frameListener = {onFrameDone};

}  // namespace

int main() {
  wl_display* display = wl_display_connect(nullptr);
  if (!display) return fail("cannot reach the Wayland compositor");
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &registryListener, nullptr);
  wl_display_roundtrip(display);
  if (!globals.compositor || !globals.layerShell || !globals.output)
    return fail("the compositor lacks wl_compositor, the layer shell or an output");
  wl_surface* surface = wl_compositor_create_surface(globals.compositor);
  zwlr_layer_surface_v1* layer = zwlr_layer_shell_v1_get_layer_surface(
      globals.layerShell, surface, globals.output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "bare_egl");
  zwlr_layer_surface_v1_add_listener(layer, &layerListener, nullptr);
  zwlr_layer_surface_v1_set_anchor(
      layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                 ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
  zwlr_layer_surface_v1_set_exclusive_zone(layer, -1);
  wl_surface_commit(surface);
  while (!globals.configured)
    if (wl_display_dispatch(display) < 0) return fail("lost the compositor");
  if (globals.width <= 0 || globals.height <= 0) return fail("no size configured");

  EGLDisplay egl = eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, display, nullptr);
  if (egl == EGL_NO_DISPLAY || !eglInitialize(egl, nullptr, nullptr)) return fail("no EGL");
  eglBindAPI(EGL_OPENGL_ES_API);
  const EGLint attributes[] = {EGL_SURFACE_TYPE, EGL_WINDOW_BIT, EGL_RENDERABLE_TYPE,
                               EGL_OPENGL_ES3_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8,
                               EGL_BLUE_SIZE, 8, EGL_NONE};
  EGLConfig config = nullptr;
  EGLint count = 0;
  if (!eglChooseConfig(egl, attributes, &config, 1, &count) || count == 0)
    return fail("no EGL config");
  const EGLint version[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_NONE};
  EGLContext context = eglCreateContext(egl, config, EGL_NO_CONTEXT, version);
  wl_egl_window* window = wl_egl_window_create(surface, globals.width, globals.height);
  EGLSurface drawable = eglCreatePlatformWindowSurface(egl, config, window, nullptr);
  if (context == EGL_NO_CONTEXT || drawable == EGL_NO_SURFACE ||
      !eglMakeCurrent(egl, drawable, drawable, context))
    return fail("no OpenGL ES 3 context on the surface");
  eglSwapInterval(egl, 0);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  wl_callback* frame = wl_surface_frame(surface);
  wl_callback_add_listener(frame, &frameListener, nullptr);
  eglSwapBuffers(egl, drawable);
  const double swapped = seconds();
  while (!globals.shown)
    if (wl_display_dispatch(display) < 0) return fail("lost the compositor");
  std::printf("shown_after_swap_ms=%.1f\n", (seconds() - swapped) * 1000);

  wl_callback_destroy(frame);
  eglMakeCurrent(egl, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  eglDestroySurface(egl, drawable);
  eglDestroyContext(egl, context);
  eglTerminate(egl);
  wl_egl_window_destroy(window);
  zwlr_layer_surface_v1_destroy(layer);
  wl_surface_destroy(surface);
  wl_display_disconnect(display);
  return 0;
}
