// A keyboard for the Wayland tests that stays on the seat, as a user's does, made with the
// virtual keyboard protocol: it comes with a US keymap at once, then types what each line
// written to FIFO says ("key NAME" presses and releases the key of an XKB key name such as a,
// Escape or Return; "text WORD" types a word of lower-case letters, digits and '-'), each key
// handled by the compositor before the next. It goes when killed.
//   virtual_keyboard FIFO
#define _GNU_SOURCE
#include <fcntl.h>
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include "virtual-keyboard-unstable-v1-client-protocol.h"

static struct zwp_virtual_keyboard_manager_v1 *manager;
static struct wl_seat *seat;

// Binds the manager and the seat when the registry announces them.
static void announce(void *data, struct wl_registry *registry, uint32_t name,
                     const char *interface, uint32_t version) {
  (void)data, (void)version;
  if (strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
    manager = wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1);
  else if (strcmp(interface, wl_seat_interface.name) == 0 && !seat)
    seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
}
static void withdraw(void *data, struct wl_registry *registry, uint32_t name) {
  (void)data, (void)registry, (void)name;
}
static const struct wl_registry_listener registryListener = {announce, withdraw};

// The evdev code of the key that gives keysym without modifiers; 0 when none does.
static uint32_t codeOf(struct xkb_keymap *keymap, xkb_keysym_t keysym) {
  for (xkb_keycode_t code = xkb_keymap_min_keycode(keymap); code <= xkb_keymap_max_keycode(keymap);
       ++code) {
    const xkb_keysym_t *syms = NULL;
    if (xkb_keymap_key_get_syms_by_level(keymap, code, 0, 0, &syms) == 1 && syms[0] == keysym)
      return code - 8;  // XKB's codes are evdev's plus 8
  }
  return 0;
}

// Presses and releases one key; the compositor has handled both on return.
static void stroke(struct wl_display *display, struct zwp_virtual_keyboard_v1 *keyboard,
                   uint32_t code) {
  zwp_virtual_keyboard_v1_key(keyboard, 0, code, WL_KEYBOARD_KEY_STATE_PRESSED);
  wl_display_roundtrip(display);
  usleep(20000);
  zwp_virtual_keyboard_v1_key(keyboard, 0, code, WL_KEYBOARD_KEY_STATE_RELEASED);
  wl_display_roundtrip(display);
}

int main(int argc, char **argv) {
  struct wl_display *display = wl_display_connect(NULL);
  if (argc != 2 || !display) {
    fprintf(stderr, "usage: virtual_keyboard FIFO (on WAYLAND_DISPLAY)\n");
    return 2;
  }
  wl_registry_add_listener(wl_display_get_registry(display), &registryListener, NULL);
  wl_display_roundtrip(display);
  if (!manager || !seat) {
    fprintf(stderr, "virtual_keyboard: the compositor has no virtual keyboard manager or seat\n");
    return 1;
  }
  struct xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  const struct xkb_rule_names us = {NULL, NULL, "us", NULL, NULL};
  struct xkb_keymap *keymap = context ? xkb_keymap_new_from_names(context, &us, 0) : NULL;
  char *text = keymap ? xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1) : NULL;
  if (!text) {
    fprintf(stderr, "virtual_keyboard: no US keymap from xkbcommon\n");
    return 1;
  }
  // The keymap goes to the compositor as a file, with its closing NUL.
  const size_t size = strlen(text) + 1;
  const int file = memfd_create("keymap", MFD_CLOEXEC);
  if (file < 0 || write(file, text, size) != (ssize_t)size) return 1;
  struct zwp_virtual_keyboard_v1 *keyboard =
      zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager, seat);
  zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, file, size);
  wl_display_roundtrip(display);

  mkfifo(argv[1], 0600);
  // Read and write: the FIFO then never reaches its end between two writers.
  FILE *commands = fopen(argv[1], "r+");
  if (!commands) return 1;
  char line[256];
  while (fgets(line, sizeof line, commands)) {
    line[strcspn(line, "\n")] = '\0';
    if (strncmp(line, "key ", 4) == 0) {
      const uint32_t code = codeOf(keymap, xkb_keysym_from_name(line + 4, XKB_KEYSYM_NO_FLAGS));
      if (code) stroke(display, keyboard, code);
    } else if (strncmp(line, "text ", 5) == 0) {
      for (const char *c = line + 5; *c; ++c) {
        const uint32_t code = codeOf(keymap, xkb_utf32_to_keysym((uint32_t)(unsigned char)*c));
        if (code) stroke(display, keyboard, code);
      }
    }
  }
  return 0;
}
