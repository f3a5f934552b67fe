// Linux Wayland: seat capabilities, the devices' events and the dismiss rules.
#include "host_wayland/wayland_input.h"

#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>

#include "host_linux/frame_loop.h"
#include "host_wayland/lock_prompt.h"
#include "host_wayland/wayland_display.h"
#include "host_wayland/wayland_surface.h"

InputState input;

namespace {

// The largest pointer travel, |dx| + |dy| in surface units, that leaves the saver running.
constexpr double mouseThreshold = 4.0;

// The devices and the own window's keymap; null while not there.
struct Devices {
  wl_keyboard* keyboard = nullptr;
  wl_pointer* pointer = nullptr;
  wl_touch* touch = nullptr;
  xkb_context* xkb = nullptr;
  xkb_keymap* keymap = nullptr;
  xkb_state* keys = nullptr;
  DrawSurface* pointerOver = nullptr;  // the surface the pointer is over; null: none
} devices;

void setFocus(KeyboardFocus focus) {
  if (input.focus == focus) return;
  input.focus = focus;
  if (focus == KeyboardFocus::lost) input.focusLostAt = monotonicMilliseconds();
}

// The own window and the lock read keys through the compositor's keymap, so that q is q
// (and a password's letters are its letters) on any layout.
void onKeymap(void*, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
  if (!input.saverRules && format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) {
    void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (text != MAP_FAILED) {
      if (!devices.xkb) devices.xkb = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
      xkb_state_unref(devices.keys);
      xkb_keymap_unref(devices.keymap);
      devices.keymap = devices.xkb ? xkb_keymap_new_from_string(devices.xkb,
                                                                static_cast<const char*>(text),
                                                                XKB_KEYMAP_FORMAT_TEXT_V1,
                                                                XKB_KEYMAP_COMPILE_NO_FLAGS)
                                   : nullptr;
      devices.keys = devices.keymap ? xkb_state_new(devices.keymap) : nullptr;
      munmap(text, size);
    }
  }
  close(fd);
}

// Keys held while the surface gains the keyboard were pressed for something else.
void onKeyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {
  setFocus(KeyboardFocus::held);
}
void onKeyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {
  setFocus(KeyboardFocus::lost);
}

void onKey(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state) {
  if (state != WL_KEYBOARD_KEY_STATE_PRESSED) return;
  if (input.saverRules) {
    input.ended = true;
    return;
  }
  // Evdev key codes are 8 below XKB's.
  if (input.lockRules) return lockKey(devices.keys, key + 8);
  const xkb_keysym_t sym = devices.keys ? xkb_state_key_get_one_sym(devices.keys, key + 8)
                           : key == KEY_ESC ? XKB_KEY_Escape
                                            : XKB_KEY_NoSymbol;
  if (sym == XKB_KEY_Escape || sym == XKB_KEY_q) input.ended = true;
}

void onModifiers(void*, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched,
                 uint32_t locked, uint32_t group) {
  if (devices.keys) xkb_state_update_mask(devices.keys, depressed, latched, locked, 0, 0, group);
}
void onRepeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}
const wl_keyboard_listener keyboardListener = {onKeymap, onKeyboardEnter, onKeyboardLeave,
                                               onKey,    onModifiers,     onRepeatInfo};

// Travel is measured from where the pointer was first seen over the surface it is over, in
// that surface's units (each output's surface has its own).
void notePointer(wl_fixed_t x, wl_fixed_t y) {
  DrawSurface* over = devices.pointerOver;
  if (!over) return;
  const double px = wl_fixed_to_double(x), py = wl_fixed_to_double(y);
  if (!over->pointerSeen) {
    over->pointerSeen = true;
    over->referenceX = px;
    over->referenceY = py;
    return;
  }
  const double travel = std::abs(px - over->referenceX) + std::abs(py - over->referenceY);
  if (input.saverRules && travel > mouseThreshold) input.ended = true;
}

// Over the saver the pointer is hidden, as the Windows saver hides the cursor.
void onPointerEnter(void*, wl_pointer* pointer, uint32_t serial, wl_surface* surface,
                    wl_fixed_t x, wl_fixed_t y) {
  if (input.saverRules || input.lockRules) wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
  devices.pointerOver = drawSurfaceOf(surface);
  notePointer(x, y);
}
void onPointerLeave(void*, wl_pointer*, uint32_t, wl_surface*) { devices.pointerOver = nullptr; }
void onMotion(void*, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) { notePointer(x, y); }
void onButton(void*, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state) {
  if (input.saverRules && state == WL_POINTER_BUTTON_STATE_PRESSED) input.ended = true;
}
// Wheel turns end nothing, as on Windows.
void onAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
void onPointerFrame(void*, wl_pointer*) {}
void onAxisSource(void*, wl_pointer*, uint32_t) {}
void onAxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void onAxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}
void onAxisValue120(void*, wl_pointer*, uint32_t, int32_t) {}
const wl_pointer_listener pointerListener = {onPointerEnter, onPointerLeave, onMotion,
                                             onButton,       onAxis,         onPointerFrame,
                                             onAxisSource,   onAxisStop,     onAxisDiscrete,
                                             onAxisValue120};

void onTouchDown(void*, wl_touch*, uint32_t, uint32_t, wl_surface*, int32_t, wl_fixed_t,
                 wl_fixed_t) {
  if (input.saverRules) input.ended = true;
}
void onTouchUp(void*, wl_touch*, uint32_t, uint32_t, int32_t) {}
void onTouchMotion(void*, wl_touch*, uint32_t, int32_t, wl_fixed_t, wl_fixed_t) {}
void onTouchFrame(void*, wl_touch*) {}
void onTouchCancel(void*, wl_touch*) {}
void onTouchShape(void*, wl_touch*, int32_t, wl_fixed_t, wl_fixed_t) {}
void onTouchOrientation(void*, wl_touch*, int32_t, wl_fixed_t) {}
const wl_touch_listener touchListener = {onTouchDown,  onTouchUp,     onTouchMotion,
                                         onTouchFrame, onTouchCancel, onTouchShape,
                                         onTouchOrientation};

// Takes or gives back a device as the seat gains or loses it.
template <typename Device, typename Listener>
void follow(bool present, Device*& device, Device* (*get)(wl_seat*),
            int (*listen)(Device*, const Listener*, void*), const Listener* listener,
            void (*release)(Device*)) {
  if (present && !device) {
    device = get(wayland.seat);
    listen(device, listener, nullptr);
  } else if (!present && device) {
    release(device);
    device = nullptr;
  }
}

// Takes the devices the seat has and gives back those it lost.
void followDevices(uint32_t capabilities) {
  follow(capabilities & WL_SEAT_CAPABILITY_KEYBOARD, devices.keyboard, wl_seat_get_keyboard,
         wl_keyboard_add_listener, &keyboardListener, wl_keyboard_release);
  follow(capabilities & WL_SEAT_CAPABILITY_POINTER, devices.pointer, wl_seat_get_pointer,
         wl_pointer_add_listener, &pointerListener, wl_pointer_release);
  follow(capabilities & WL_SEAT_CAPABILITY_TOUCH, devices.touch, wl_seat_get_touch,
         wl_touch_add_listener, &touchListener, wl_touch_release);
  // A keyboard unplugged went to no other program.
  if (!devices.keyboard) setFocus(KeyboardFocus::none);
}
}  // namespace

bool keyboardTakenAway(uint32_t now, int64_t& waitNanoseconds) {
  if (!input.saverRules || input.focus != KeyboardFocus::lost) return false;
  const uint32_t away = now - input.focusLostAt;
  if (away >= keyboardGoneMs) return true;
  waitNanoseconds = int64_t{keyboardGoneMs - away} * 1000000;
  return false;
}

// The pointer's surface goes away: its events end with it.
void forgetSurfaceInput(const DrawSurface& surface) {
  if (devices.pointerOver == &surface) devices.pointerOver = nullptr;
}

void startInput(bool saverRules, bool lockRules) {
  input = InputState{};
  input.saverRules = saverRules;
  input.lockRules = lockRules;
  // The devices there already, then each change the seat tells.
  wayland.followSeat = followDevices;
  followDevices(wayland.seatCapabilities);
}

void stopInput() {
  wayland.followSeat = nullptr;
  if (devices.keyboard) wl_keyboard_release(devices.keyboard);
  if (devices.pointer) wl_pointer_release(devices.pointer);
  if (devices.touch) wl_touch_release(devices.touch);
  xkb_state_unref(devices.keys);
  xkb_keymap_unref(devices.keymap);
  xkb_context_unref(devices.xkb);
  devices = Devices{};
}
