// Linux Wayland: the lock's keys, the password's checks and the ring's look.
#include "host_wayland/lock_prompt.h"

#include <string.h>
#include <unistd.h>
#include <xkbcommon/xkbcommon.h>

#include <cerrno>
#include <cstdio>

#include "host_linux/frame_loop.h"
#include "host_linux/password_buffer.h"
#include "host_linux/password_check.h"

namespace {

// What the ring shows last.
enum class Mark {
  none,      // nothing happened yet: no ring
  typed,     // a character was taken: its random segments in blue
  removed,   // Backspace: random segments in amber
  cleared,   // Escape, or Enter on nothing: the ring dark
  checking,  // PAM checks: a violet arc goes round
  failed,    // wrong (or too long): red, with a cross
};

constexpr uint32_t shownForMs = 10000;   // the ring goes this long after the last key
constexpr uint32_t refusedForMs = 1000;  // a refused key's orange flash
constexpr uint32_t spinStepMs = 60;      // the checking arc's pace, per segment

struct Prompt {
  Mark mark = Mark::none;
  uint32_t markAt = 0;     // millisecond reading of the last key or outcome
  uint32_t refusedAt = 0;  // of the last key refused
  bool refused = false;    // a key was refused (shown until refusedForMs after)
  uint32_t pattern = 0;    // the segments the last key lit, one bit each
  uint32_t random = 0;     // the pattern's draws (xorshift)
  bool checking = false;   // PAM reads the buffer now
  bool accepted = false;
} prompt;

// A fresh arc of two to four segments at a random place: the same for every key, so it
// tells nothing of what was typed or how much.
void newPattern() {
  uint32_t& x = prompt.random;
  x ^= x << 13, x ^= x >> 17, x ^= x << 5;
  const uint32_t start = x % lockRingSegments, length = 2 + (x >> 8) % 3;
  prompt.pattern = 0;
  for (uint32_t i = 0; i < length; ++i) prompt.pattern |= 1u << ((start + i) % lockRingSegments);
}

void setMark(Mark mark, uint32_t now) {
  prompt.mark = mark;
  prompt.markAt = now;
  if (mark == Mark::typed || mark == Mark::removed) newPattern();
}

// A key not taken: the flash says so.
void refuseKey(uint32_t now) {
  prompt.refused = true;
  prompt.refusedAt = now;
  prompt.markAt = now;
}

// Enter: the buffer goes to PAM, unless it is empty or too long (refused whole).
void checkPassword(PasswordBuffer& buffer, uint32_t now) {
  if (buffer.overflowed || (buffer.length > 0 && !startPasswordCheck(buffer))) {
    clearPassword(buffer);
    setMark(Mark::failed, now);
  } else if (buffer.length == 0) {
    setMark(Mark::cleared, now);
  } else {
    prompt.checking = true;
    setMark(Mark::checking, now);
  }
}

// A key that gives text: its characters go straight into the buffer (xkbcommon writes them
// there), or the key is refused when they do not fit.
void typeKey(PasswordBuffer& buffer, xkb_state* keys, uint32_t keycode, uint32_t now) {
  const int bytes = xkb_state_key_get_utf8(keys, keycode, nullptr, 0);
  if (bytes <= 0) return;  // a modifier or another key without text
  char* room = passwordRoom(buffer, static_cast<size_t>(bytes));
  if (!room) return refuseKey(now);
  xkb_state_key_get_utf8(keys, keycode, room, static_cast<size_t>(bytes) + 1);
  if (takePasswordBytes(buffer, static_cast<size_t>(bytes))) setMark(Mark::typed, now);
}

}  // namespace

bool startLockPrompt(std::string& failure) {
  if (!preparePasswordChecks(failure)) return false;
  clearPassword(passwordBuffer());
  if (!protectPasswordBuffer())
    std::fprintf(stderr, "vorlixss-wayland: the password's memory cannot be kept out of swap "
                         "(mlock: %s); locking all the same\n", strerror(errno));
  prompt = Prompt{};
  prompt.random = ((monotonicMilliseconds() * 2654435761u) ^ static_cast<uint32_t>(getpid())) | 1u;
  return true;
}

void lockKey(xkb_state* keys, uint32_t keycode) {
  const uint32_t now = monotonicMilliseconds();
  if (!keys) return refuseKey(now);
  const xkb_keysym_t sym = xkb_state_key_get_one_sym(keys, keycode);
  const bool acts = sym == XKB_KEY_BackSpace || sym == XKB_KEY_Escape || sym == XKB_KEY_Return ||
                    sym == XKB_KEY_KP_Enter || xkb_state_key_get_utf8(keys, keycode, nullptr, 0) > 0;
  if (!acts) return;  // Shift and the like
  if (prompt.checking || prompt.accepted) return refuseKey(now);
  PasswordBuffer& buffer = passwordBuffer();
  switch (sym) {
    case XKB_KEY_BackSpace:
      if (removeLastCharacter(buffer)) setMark(Mark::removed, now);
      else setMark(Mark::cleared, now);
      break;
    case XKB_KEY_Escape:
      clearPassword(buffer);
      setMark(Mark::cleared, now);
      break;
    case XKB_KEY_Return:
    case XKB_KEY_KP_Enter:
      checkPassword(buffer, now);
      break;
    default:
      typeKey(buffer, keys, keycode, now);
  }
}

int lockPromptDescriptor() { return passwordCheckDescriptor(); }

bool followLockPrompt() {
  if (!prompt.checking) return prompt.accepted;
  const CheckOutcome outcome = readPasswordCheck();
  if (outcome == CheckOutcome::running) return false;
  prompt.checking = false;
  clearPassword(passwordBuffer());  // after every try
  prompt.accepted = outcome == CheckOutcome::accepted;
  if (!prompt.accepted) setMark(Mark::failed, monotonicMilliseconds());
  return prompt.accepted;
}

LockLook lockLook(uint32_t now) {
  LockLook look;
  look.shown = prompt.mark != Mark::none && (prompt.checking || now - prompt.markAt < shownForMs);
  if (!look.shown) return look;
  auto paint = [&](uint32_t segments, float r, float g, float b) {
    for (int i = 0; i < lockRingSegments; ++i) look.lit[i] = segments >> i & 1u ? 1.0f : 0.0f;
    look.colour[0] = r, look.colour[1] = g, look.colour[2] = b;
  };
  constexpr uint32_t all = (1u << lockRingSegments) - 1;
  if (prompt.refused && now - prompt.refusedAt < refusedForMs) {
    paint(all, 1.0f, 0.45f, 0.1f);
    return look;
  }
  switch (prompt.mark) {
    case Mark::typed: paint(prompt.pattern, 0.35f, 0.65f, 1.0f); break;
    case Mark::removed: paint(prompt.pattern, 1.0f, 0.75f, 0.2f); break;
    case Mark::checking: {
      const uint32_t at = (now - prompt.markAt) / spinStepMs % lockRingSegments;
      paint((0xfu << at | 0xfu >> (lockRingSegments - at)) & all, 0.7f, 0.5f, 1.0f);
      break;
    }
    case Mark::failed:
      paint(all, 0.9f, 0.15f, 0.15f);
      look.cross = true;
      break;
    default: paint(0, 0.0f, 0.0f, 0.0f);
  }
  return look;
}

void endLockPrompt() { endPasswordChecks(passwordBuffer()); }
