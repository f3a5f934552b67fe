// A mouse for the Wayland tests, made with wlroots' virtual pointer protocol: it moves the
// compositor's cursor and presses the left button on commands read from standard input.
//   virtual_pointer WAIT_MS   then lines "move DX DY" or "button", each answered "done"
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

static struct zwlr_virtual_pointer_manager_v1 *manager;

// Binds the virtual pointer manager when the registry announces it.
static void announce(void *data, struct wl_registry *registry, uint32_t name,
                     const char *interface, uint32_t version) {
  (void)data, (void)version;
  if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
    manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
}
static void withdraw(void *data, struct wl_registry *registry, uint32_t name) {
  (void)data, (void)registry, (void)name;
}
static const struct wl_registry_listener registryListener = {announce, withdraw};

// Milliseconds of the monotonic clock, as input events carry them.
static uint32_t now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (uint32_t)(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

int main(int argc, char **argv) {
  struct wl_display *display = wl_display_connect(NULL);
  if (argc != 2 || !display) {
    fprintf(stderr, "usage: virtual_pointer WAIT_MS (on WAYLAND_DISPLAY)\n");
    return 2;
  }
  wl_registry_add_listener(wl_display_get_registry(display), &registryListener, NULL);
  wl_display_roundtrip(display);
  if (!manager) {
    fprintf(stderr, "virtual_pointer: the compositor has no zwlr_virtual_pointer_manager_v1\n");
    return 1;
  }
  struct zwlr_virtual_pointer_v1 *pointer =
      zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, NULL);
  wl_display_roundtrip(display);
  usleep((useconds_t)atoi(argv[1]) * 1000);  // clients bind wl_pointer on the new capability
  // NOTE: a motion of nothing still makes the compositor send enter to the surface under the
  // cursor; a client's travel is then counted from there.
  zwlr_virtual_pointer_v1_motion(pointer, now(), 0, 0);
  zwlr_virtual_pointer_v1_frame(pointer);
  wl_display_roundtrip(display);
  char line[64];
  int dx, dy;
  while (fgets(line, sizeof line, stdin)) {
    if (sscanf(line, "move %d %d", &dx, &dy) == 2) {
      zwlr_virtual_pointer_v1_motion(pointer, now(), wl_fixed_from_int(dx), wl_fixed_from_int(dy));
    } else if (strncmp(line, "button", 6) == 0) {
      zwlr_virtual_pointer_v1_button(pointer, now(), BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
      zwlr_virtual_pointer_v1_frame(pointer);
      zwlr_virtual_pointer_v1_button(pointer, now(), BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
    }
    zwlr_virtual_pointer_v1_frame(pointer);
    wl_display_roundtrip(display);  // the compositor has handled it and told its clients
    printf("done\n");
    fflush(stdout);
  }
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return 0;
}
