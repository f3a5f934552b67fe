// A Wayland compositor that offers wl_compositor and nothing else (no xdg_wm_base), for a
// start that must fail with its reason.   bare_compositor SOCKET_NAME   (in XDG_RUNTIME_DIR)
#include <signal.h>
#include <stdio.h>
#include <wayland-server.h>

// Gives a client its wl_compositor; the client must give up before it asks anything of it.
static void bindCompositor(struct wl_client *client, void *data, uint32_t version, uint32_t id) {
  (void)data;
  wl_resource_create(client, &wl_compositor_interface, (int)version, id);
}

// Ends the loop on SIGTERM or SIGINT, so the socket is removed.
static int stop(int signal, void *display) {
  (void)signal;
  wl_display_terminate(display);
  return 0;
}

int main(int argc, char **argv) {
  struct wl_display *display = wl_display_create();
  if (argc != 2 || wl_display_add_socket(display, argv[1]) != 0) {
    fprintf(stderr, "usage: bare_compositor SOCKET_NAME (a free name in XDG_RUNTIME_DIR)\n");
    return 2;
  }
  wl_global_create(display, &wl_compositor_interface, 4, NULL, bindCompositor);
  struct wl_event_loop *loop = wl_display_get_event_loop(display);
  wl_event_loop_add_signal(loop, SIGTERM, stop, display);
  wl_event_loop_add_signal(loop, SIGINT, stop, display);
  wl_display_run(display);
  wl_display_destroy(display);
  return 0;
}
