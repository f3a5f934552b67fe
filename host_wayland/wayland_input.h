// Linux Wayland: the seat's keyboard, pointer and touch, and what their input means: in
// saver mode the dismiss rules (any key, button or touch, or pointer travel of more than
// four pixels), in the own window Escape and q.
#pragma once

// Where the keyboard is, for the saver's rule that losing it to another program ends it.
enum class KeyboardFocus {
  none,  // no keyboard on the seat, or it never came to the surface
  held,  // the surface has the keyboard
  lost,  // the keyboard left the surface
};

// What input has decided so far.
struct InputState {
  bool saverRules = false;  // saver mode (else the own window's keys)
  bool ended = false;       // input ended the run
  KeyboardFocus focus = KeyboardFocus::none;
  bool focusChanged = false;  // focus changed since the flag was cleared
};
extern InputState input;

// Takes the seat's devices, those it had when bound and then each change (nothing without a
// seat), and reads their input with the rules of the mode.
void startInput(bool saverRules);

// Releases the devices and the keymap. Safe to call twice.
void stopInput();
