// Linux Wayland: the session lock of --lock (ext-session-lock-v1): asked for once, held while
// the lock surfaces show the picture, given back only after the password was checked. A
// lock that is not given back stays: the compositor keeps the session locked when the
// program ends any other way (a signal, a crash), until another locker takes over.
#pragma once

#include "host_wayland/wayland_display.h"

// Where the lock stands, as the compositor told it.
struct SessionLock {
  ext_session_lock_v1* lock = nullptr;  // asked for and not yet given back
  bool locked = false;    // the compositor locked the session for this program
  bool finished = false;  // the compositor ended the lock (or refused it: another holds one)
};
extern SessionLock session;

// The line of a lock refused because another locker holds the session.
extern const char* const sessionLockHeldLine;

// True when the compositor offers the session lock; else false, with the reason in failure.
bool sessionLockOffered(std::string& failure);

// Asks the compositor to lock the session and waits for its first answer (one round trip).
// False, with the reason in failure, when it has no session lock, refuses it (another
// locker holds the session) or the connection is lost; nothing is shown then.
bool requestSessionLock(std::string& failure);

// Unlocks the session and makes sure the compositor has taken it before the program ends
// (the protocol asks for a round trip). Call once the password was checked; safe without
// a lock.
void unlockSession();

// Forgets the lock without unlocking: before the compositor locked, it withdraws the
// request; after, it leaves the session locked, as the protocol wants of a locker that ends
// without the password (the connection's end then keeps it locked).
void abandonSessionLock();
