// Linux Wayland: the session lock's request, its events and its end.
#include "host_wayland/session_lock.h"

SessionLock session;

const char* const sessionLockHeldLine =
    "another program holds the session lock already, so --lock did not lock";

namespace {

void onLocked(void*, ext_session_lock_v1*) { session.locked = true; }
void onFinished(void*, ext_session_lock_v1*) { session.finished = true; }
const ext_session_lock_v1_listener lockListener = {onLocked, onFinished};

}  // namespace

bool sessionLockOffered(std::string& failure) {
  if (wayland.lockManager) return true;
  failure = "the Wayland compositor offers no session lock (ext-session-lock-v1), so --lock "
            "cannot lock it (an overlay would not be a lock): use the desktop's own locker";
  return false;
}

bool requestSessionLock(std::string& failure) {
  if (!sessionLockOffered(failure)) return false;
  session = SessionLock{};
  session.lock = ext_session_lock_manager_v1_lock(wayland.lockManager);
  ext_session_lock_v1_add_listener(session.lock, &lockListener, nullptr);
  // The compositor answers a refusal at once; the lock itself may wait for the surfaces.
  if (wl_display_roundtrip(wayland.display) < 0) {
    failure = "lost the connection to the Wayland compositor";
    return false;
  }
  if (session.finished && !session.locked) {
    abandonSessionLock();
    failure = sessionLockHeldLine;
    return false;
  }
  return true;
}

void unlockSession() {
  if (!session.lock) return;
  if (session.locked) {
    ext_session_lock_v1_unlock_and_destroy(session.lock);
    wl_display_roundtrip(wayland.display);
  } else {
    ext_session_lock_v1_destroy(session.lock);
  }
  session = SessionLock{};
}

void abandonSessionLock() {
  // NOTE: a destroy after "locked" is a protocol error; the proxy alone goes then, and
  // the compositor sees the client leave with the session locked.
  if (session.lock && !session.locked) ext_session_lock_v1_destroy(session.lock);
  else if (session.lock) wl_proxy_destroy(reinterpret_cast<wl_proxy*>(session.lock));
  session = SessionLock{};
}
