// Linux Wayland: the surface's roles, their configure events and the frame callbacks.
#include "host_wayland/wayland_surface.h"

#include "host_linux/frame_loop.h"
#include "host_wayland/session_lock.h"

namespace {

const char* const windowTitle = "VorlixSS";
const char* const appId = "vorlixss";
constexpr uint32_t hiddenAfterMs = 500;  // a frame shown later than this was not on screen
constexpr int64_t configureWaitNs = 5000000000;  // how long the start waits to be configured

// Notes a new size in surface units; 0 keeps the current one (the client chooses).
void takeSize(DrawSurface& drawSurface, int width, int height) {
  if (width <= 0 || height <= 0) return;
  if (width == drawSurface.width && height == drawSurface.height) return;
  drawSurface.width = width;
  drawSurface.height = height;
  drawSurface.resized = true;
}

// The xdg surface's configure closes a sequence of toplevel events: acknowledge it.
void onXdgConfigure(void* data, xdg_surface* surface, uint32_t serial) {
  xdg_surface_ack_configure(surface, serial);
  static_cast<DrawSurface*>(data)->configured = true;
}
const xdg_surface_listener xdgSurfaceListener = {onXdgConfigure};

void onToplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
  takeSize(*static_cast<DrawSurface*>(data), width, height);
}
void onToplevelClose(void* data, xdg_toplevel*) {
  static_cast<DrawSurface*>(data)->closed = true;
}
// Later versions' events; the shell is bound at version 1, which has none of them.
void onToplevelBounds(void*, xdg_toplevel*, int32_t, int32_t) {}
void onToplevelCapabilities(void*, xdg_toplevel*, wl_array*) {}
const xdg_toplevel_listener toplevelListener = {onToplevelConfigure, onToplevelClose,
                                                onToplevelBounds, onToplevelCapabilities};

void onLayerConfigure(void* data, zwlr_layer_surface_v1* surface, uint32_t serial,
                      uint32_t width, uint32_t height) {
  zwlr_layer_surface_v1_ack_configure(surface, serial);
  auto* drawSurface = static_cast<DrawSurface*>(data);
  takeSize(*drawSurface, static_cast<int>(width), static_cast<int>(height));
  drawSurface->configured = true;
}
void onLayerClosed(void* data, zwlr_layer_surface_v1*) {
  static_cast<DrawSurface*>(data)->closed = true;
}
const zwlr_layer_surface_v1_listener layerListener = {onLayerConfigure, onLayerClosed};

// A lock surface's size is exact: the next buffer must have it.
void onLockConfigure(void* data, ext_session_lock_surface_v1* surface, uint32_t serial,
                     uint32_t width, uint32_t height) {
  ext_session_lock_surface_v1_ack_configure(surface, serial);
  auto* drawSurface = static_cast<DrawSurface*>(data);
  takeSize(*drawSurface, static_cast<int>(width), static_cast<int>(height));
  drawSurface->configured = true;
}
const ext_session_lock_surface_v1_listener lockSurfaceListener = {onLockConfigure};

// The compositor has shown the frame; one that took long was not shown at all meanwhile.
void onFrameDone(void* data, wl_callback* callback, uint32_t) {
  wl_callback_destroy(callback);
  auto* drawSurface = static_cast<DrawSurface*>(data);
  drawSurface->frameCallback = nullptr;
  if (monotonicMilliseconds() - drawSurface->frameAskedAt > hiddenAfterMs)
    drawSurface->wasHidden = true;
}
const wl_callback_listener frameListener = {onFrameDone};

}  // namespace

bool createDrawSurface(DrawSurface& drawSurface, SurfaceRole role, const WaylandOutput* output,
                       int width, int height, std::string& failure) {
  drawSurface = DrawSurface{};
  drawSurface.role = role;
  drawSurface.surface = wl_compositor_create_surface(wayland.compositor);
  wl_surface_set_user_data(drawSurface.surface, &drawSurface);
  if (role == SurfaceRole::lock) {
    drawSurface.lockSurface = ext_session_lock_v1_get_lock_surface(
        session.lock, drawSurface.surface, output->output);
    ext_session_lock_surface_v1_add_listener(drawSurface.lockSurface, &lockSurfaceListener,
                                             &drawSurface);
  } else if (role == SurfaceRole::layer) {
    drawSurface.layerSurface = zwlr_layer_shell_v1_get_layer_surface(
        wayland.layerShell, drawSurface.surface, output->output,
        ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, appId);
    zwlr_layer_surface_v1_add_listener(drawSurface.layerSurface, &layerListener, &drawSurface);
    zwlr_layer_surface_v1_set_anchor(drawSurface.layerSurface,
                                     ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(drawSurface.layerSurface, -1);  // over panels too
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        drawSurface.layerSurface, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
  } else {
    drawSurface.xdgSurface = xdg_wm_base_get_xdg_surface(wayland.wmBase, drawSurface.surface);
    xdg_surface_add_listener(drawSurface.xdgSurface, &xdgSurfaceListener, &drawSurface);
    drawSurface.toplevel = xdg_surface_get_toplevel(drawSurface.xdgSurface);
    xdg_toplevel_add_listener(drawSurface.toplevel, &toplevelListener, &drawSurface);
    xdg_toplevel_set_title(drawSurface.toplevel, windowTitle);
    xdg_toplevel_set_app_id(drawSurface.toplevel, appId);
    if (role == SurfaceRole::fullscreen)
      xdg_toplevel_set_fullscreen(drawSurface.toplevel, output->output);
  }
  // The saver covers its output at the output's own pixels; sway 1.7 tells a fullscreen
  // toplevel its size only after a first buffer, so that buffer takes the output's size.
  drawSurface.scale = output ? output->scale : 1;
  drawSurface.width = output ? output->width / drawSurface.scale : width;
  drawSurface.height = output ? output->height / drawSurface.scale : height;
  wl_surface_set_buffer_scale(drawSurface.surface, drawSurface.scale);
  // NOTE: a lock surface is configured without a commit, and one without a buffer is an
  // error there.
  if (role != SurfaceRole::lock) wl_surface_commit(drawSurface.surface);
  const uint32_t started = monotonicMilliseconds();
  while (!drawSurface.configured && !drawSurface.closed && !stopRequested()) {
    if (!waitForWayland(100000000)) {
      failure = "lost the connection to the Wayland compositor";
      return false;
    }
    if (monotonicMilliseconds() - started > configureWaitNs / 1000000) {
      failure = "the Wayland compositor did not configure the saver's surface within 5 seconds";
      return false;
    }
  }
  if (drawSurface.closed) {
    failure = "the Wayland compositor closed the saver's surface at once";
    return false;
  }
  if (drawSurface.width <= 0 || drawSurface.height <= 0) {
    failure = "the Wayland compositor gave the saver's surface no size";
    return false;
  }
  drawSurface.resized = false;
  return true;
}

DrawSurface* drawSurfaceOf(wl_surface* surface) {
  return surface ? static_cast<DrawSurface*>(wl_surface_get_user_data(surface)) : nullptr;
}

void askForFrame(DrawSurface& drawSurface, uint32_t now) {
  drawSurface.frameCallback = wl_surface_frame(drawSurface.surface);
  wl_callback_add_listener(drawSurface.frameCallback, &frameListener, &drawSurface);
  drawSurface.frameAskedAt = now;
}

void markOpaque(const DrawSurface& drawSurface) {
  wl_region* opaque = wl_compositor_create_region(wayland.compositor);
  wl_region_add(opaque, 0, 0, drawSurface.width, drawSurface.height);
  wl_surface_set_opaque_region(drawSurface.surface, opaque);
  wl_region_destroy(opaque);
}

void destroyDrawSurface(DrawSurface& drawSurface) {
  if (drawSurface.frameCallback) wl_callback_destroy(drawSurface.frameCallback);
  if (drawSurface.layerSurface) zwlr_layer_surface_v1_destroy(drawSurface.layerSurface);
  if (drawSurface.lockSurface) ext_session_lock_surface_v1_destroy(drawSurface.lockSurface);
  if (drawSurface.toplevel) xdg_toplevel_destroy(drawSurface.toplevel);
  if (drawSurface.xdgSurface) xdg_surface_destroy(drawSurface.xdgSurface);
  if (drawSurface.surface) wl_surface_destroy(drawSurface.surface);
  drawSurface = DrawSurface{};
}
