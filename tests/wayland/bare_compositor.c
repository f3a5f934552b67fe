// A Wayland compositor that offers wl_compositor and nothing else (no xdg_wm_base), for a
// start that must fail with its reason.   bare_compositor SOCKET_NAME   (in XDG_RUNTIME_DIR)
#include <stdio.h>
#include <wayland-server.h>

// Gives a client its wl_compositor; the client must give up before it asks anything of it.
static void bindCompositor(struct wl_client *client, void *data, uint32_t version, uint32_t id) {
  (void)data;
  wl_resource_create(client, &wl_compositor_interface, (int)version, id);
}

int main(int argc, char **argv) {
  struct wl_display *display = wl_display_create();
  if (argc != 2 || wl_display_add_socket(display, argv[1]) != 0) {
    fprintf(stderr, "usage: bare_compositor SOCKET_NAME (a free name in XDG_RUNTIME_DIR)\n");
    return 2;
  }
  // It runs until killed; its socket goes with the test's runtime folder.
  wl_global_create(display, &wl_compositor_interface, 4, NULL, bindCompositor);
  wl_display_run(display);
  return 0;
}
