// Linux Wayland: what keys mean at the lock. Text goes into the password buffer, Backspace
// removes a character, Escape clears, Enter has PAM check it; the ring shows each key at
// random, the check in progress and a failure. Keys typed while PAM checks are refused,
// each with a visible mark (an orange ring): the one buffer is being read then, and a key
// must not be lost silently.
#pragma once

#include <cstdint>
#include <string>

#include "render/overlay/lock_indicator.h"

struct xkb_state;

// Readies the password buffer and PAM; false, with the reason in failure, when no password
// could unlock (no PAM service, no user). Says in one line when the buffer cannot be kept
// out of swap, and goes on.
bool startLockPrompt(std::string& failure);

// A key pressed at a lock surface (an XKB key code), read through the keymap's state.
void lockKey(xkb_state* keys, uint32_t keycode);

// A descriptor that becomes readable when a check has its outcome, for the program's wait;
// -1 when none can.
int lockPromptDescriptor();

// Takes the outcome of a check that has one. True once the password was accepted.
bool followLockPrompt();

// The ring as it looks at millisecond reading now.
LockLook lockLook(uint32_t now);

// Zeroes the password at the end of the program.
void endLockPrompt();
