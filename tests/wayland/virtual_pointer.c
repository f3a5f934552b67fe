// A mouse for the Wayland tests, made with wlroots' virtual pointer protocol: it moves the
// compositor's cursor and presses the left button as its arguments say, each step handled by
// the compositor before the next, then goes; "wait MS" keeps it on the seat meanwhile.
//   virtual_pointer WAIT_MS [move DX DY | button | wait MS]...
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
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

// Events carry time 0: the compositor passes on whatever time a virtual device gives.
int main(int argc, char **argv) {
  struct wl_display *display = wl_display_connect(NULL);
  if (argc < 2 || !display) {
    fprintf(stderr, "usage: virtual_pointer WAIT_MS [move DX DY | button | wait MS]... (on WAYLAND_DISPLAY)\n");
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
  zwlr_virtual_pointer_v1_motion(pointer, 0, 0, 0);
  zwlr_virtual_pointer_v1_frame(pointer);
  wl_display_roundtrip(display);
  for (int i = 2; i < argc; ++i) {
    if (i + 2 < argc && strcmp(argv[i], "move") == 0) {
      zwlr_virtual_pointer_v1_motion(pointer, 0, wl_fixed_from_int(atoi(argv[i + 1])),
                                     wl_fixed_from_int(atoi(argv[i + 2])));
      i += 2;
    } else if (strcmp(argv[i], "button") == 0) {
      zwlr_virtual_pointer_v1_button(pointer, 0, BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
      zwlr_virtual_pointer_v1_frame(pointer);
      zwlr_virtual_pointer_v1_button(pointer, 0, BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
    } else if (i + 1 < argc && strcmp(argv[i], "wait") == 0) {
      usleep((useconds_t)atoi(argv[++i]) * 1000);
    }
    zwlr_virtual_pointer_v1_frame(pointer);
    wl_display_roundtrip(display);  // the compositor has handled it and told its clients
  }
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return 0;
}
