// Frame clock arithmetic, all in single precision with every intermediate rounded to float.
#include "scene/frame_clock.h"

bool takeTickReading(FrameClock& clock, uint32_t now, float& elapsed) {
  if (clock.lastTickTime == 0) {
    clock.lastTickTime = now;
    return false;
  }
  const uint32_t milliseconds = now - clock.lastTickTime;  // unsigned: wraps with the clock
  elapsed = static_cast<float>(milliseconds) * timeScale;
  clock.lastTickTime = now;
  return true;
}

// NOTE: restarting the period at a late tick's end would lose each overrun for good: frames
// of 9 to 10 ms with some jitter then came at about 96 a second instead of 100.
int64_t nextTickDue(int64_t due, int64_t now, int64_t period) {
  if (period <= 0) return now;  // no period: every tick is due at once
  due += period;
  if (due < now) due += (now - due) / period * period;
  return due;
}

void forgetTickReading(FrameClock& clock) { clock.lastTickTime = 0; }

float runFixedSteps(float remainder, float elapsed, void (*step)(float)) {
  return runFixedStepsWith(remainder, elapsed, step);
}
