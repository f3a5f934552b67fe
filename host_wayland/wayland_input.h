// Linux Wayland: the seat's keyboard, pointer and touch, and what their input means: in
// saver mode the dismiss rules (any key, button or touch, or pointer travel of more than
// four pixels), in the own window Escape and q, at the lock the password's keys.
#pragma once

#include <cstdint>

// Where the keyboard is, for the saver's rule that losing it to another program ends it.
enum class KeyboardFocus {
  none,  // no keyboard on the seat, or it never came to one of the program's surfaces
  held,  // one of the program's surfaces has the keyboard
  lost,  // the keyboard left the program's surfaces
};

// What input has decided so far, over all of the program's surfaces (one seat).
struct InputState {
  bool saverRules = false;  // saver mode (else the own window's keys)
  bool lockRules = false;   // keys go to the lock's prompt (lock_prompt.h)
  bool ended = false;       // input ended the run
  KeyboardFocus focus = KeyboardFocus::none;
  uint32_t focusLostAt = 0; // millisecond reading of the loss, while focus is lost
};
extern InputState input;

// How long the keyboard may be away from every surface before the saver takes it as gone
// to another program: moving from one output's surface to another's leaves it in between.
constexpr uint32_t keyboardGoneMs = 500;

// True when, in saver mode, another program has held the keyboard for keyboardGoneMs by
// now (a millisecond reading); the nanoseconds until that would be so go to waitNanoseconds.
bool keyboardTakenAway(uint32_t now, int64_t& waitNanoseconds);

// Takes the seat's devices, those it had when bound and then each change (nothing without a
// seat), and reads their input with the rules of the mode.
void startInput(bool saverRules, bool lockRules = false);

// Forgets what input knew of surface, before it is destroyed.
struct DrawSurface;
void forgetSurfaceInput(const DrawSurface& surface);

// Releases the devices and the keymap. Safe to call twice.
void stopInput();
