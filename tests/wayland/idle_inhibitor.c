// A program that keeps the desktop from going idle, as a video player does: a small window
// (an xdg toplevel showing a 64x64 shm buffer, so the compositor maps it) with an idle
// inhibitor on its surface, held until the program is killed. It says "inhibiting" on
// standard error once the compositor has the window and the inhibitor.
//   idle_inhibitor   (on WAYLAND_DISPLAY)
#define _GNU_SOURCE
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include "idle-inhibit-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

enum { side = 64 };

static struct wl_compositor *compositor;
static struct wl_shm *shm;
static struct xdg_wm_base *shell;
static struct zwp_idle_inhibit_manager_v1 *inhibitManager;
static int configured;

// Binds the globals the window and its inhibitor need when the registry announces them.
static void announce(void *data, struct wl_registry *registry, uint32_t name,
                     const char *interface, uint32_t version) {
  (void)data, (void)version;
  if (strcmp(interface, wl_compositor_interface.name) == 0)
    compositor = wl_registry_bind(registry, name, &wl_compositor_interface, 1);
  else if (strcmp(interface, wl_shm_interface.name) == 0)
    shm = wl_registry_bind(registry, name, &wl_shm_interface, 1);
  else if (strcmp(interface, xdg_wm_base_interface.name) == 0)
    shell = wl_registry_bind(registry, name, &xdg_wm_base_interface, 1);
  else if (strcmp(interface, zwp_idle_inhibit_manager_v1_interface.name) == 0)
    inhibitManager = wl_registry_bind(registry, name, &zwp_idle_inhibit_manager_v1_interface, 1);
}
static void withdraw(void *data, struct wl_registry *registry, uint32_t name) {
  (void)data, (void)registry, (void)name;
}
static const struct wl_registry_listener registryListener = {announce, withdraw};

// A client that does not answer pings is taken for hung.
static void ping(void *data, struct xdg_wm_base *base, uint32_t serial) {
  (void)data;
  xdg_wm_base_pong(base, serial);
}
static const struct xdg_wm_base_listener shellListener = {ping};

static void configure(void *data, struct xdg_surface *surface, uint32_t serial) {
  (void)data;
  xdg_surface_ack_configure(surface, serial);
  configured = 1;
}
static const struct xdg_surface_listener surfaceListener = {configure};

// A buffer of one grey, the window's content at any size the compositor asks.
static struct wl_buffer *greyBuffer(void) {
  const int stride = side * 4, size = stride * side;
  const int file = memfd_create("inhibitor", MFD_CLOEXEC);
  if (file < 0 || ftruncate(file, size) < 0) return NULL;
  void *pixels = mmap(NULL, size, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
  if (pixels == MAP_FAILED) return NULL;
  memset(pixels, 0x80, size);
  munmap(pixels, size);
  struct wl_shm_pool *pool = wl_shm_create_pool(shm, file, size);
  struct wl_buffer *buffer =
      wl_shm_pool_create_buffer(pool, 0, side, side, stride, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  close(file);
  return buffer;
}

int main(void) {
  struct wl_display *display = wl_display_connect(NULL);
  if (!display) {
    fprintf(stderr, "usage: idle_inhibitor (on WAYLAND_DISPLAY)\n");
    return 2;
  }
  wl_registry_add_listener(wl_display_get_registry(display), &registryListener, NULL);
  wl_display_roundtrip(display);
  if (!compositor || !shm || !shell || !inhibitManager) {
    fprintf(stderr, "idle_inhibitor: the compositor lacks xdg_wm_base, wl_shm or "
                    "zwp_idle_inhibit_manager_v1\n");
    return 1;
  }
  xdg_wm_base_add_listener(shell, &shellListener, NULL);
  struct wl_surface *surface = wl_compositor_create_surface(compositor);
  struct xdg_surface *xdgSurface = xdg_wm_base_get_xdg_surface(shell, surface);
  xdg_surface_add_listener(xdgSurface, &surfaceListener, NULL);
  struct xdg_toplevel *toplevel = xdg_surface_get_toplevel(xdgSurface);
  xdg_toplevel_set_title(toplevel, "idle inhibitor");
  xdg_toplevel_set_app_id(toplevel, "vorlix-idle-inhibitor");
  wl_surface_commit(surface);
  while (!configured && wl_display_dispatch(display) >= 0) {
  }
  struct wl_buffer *buffer = greyBuffer();
  if (!buffer) return 1;
  zwp_idle_inhibit_manager_v1_create_inhibitor(inhibitManager, surface);
  wl_surface_attach(surface, buffer, 0, 0);
  wl_surface_damage(surface, 0, 0, side, side);
  wl_surface_commit(surface);
  wl_display_roundtrip(display);
  fprintf(stderr, "inhibiting\n");
  while (wl_display_dispatch(display) >= 0) {
  }
  return 0;
}
