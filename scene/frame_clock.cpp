// Frame clock arithmetic, all in single precision with every intermediate rounded to float.
#include "scene/frame_clock.h"

ClientRect clientRect{};
uint32_t lastTickTime = 0;
float stepRemainder = 0.0f;

bool takeTickReading(uint32_t now, float& elapsed) {
  if (lastTickTime == 0) {
    lastTickTime = now;
    return false;
  }
  const uint32_t milliseconds = now - lastTickTime;  // unsigned: wraps with the clock
  elapsed = static_cast<float>(milliseconds) * timeScale;
  lastTickTime = now;
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

void forgetTickReading() { lastTickTime = 0; }

float runFixedSteps(float remainder, float elapsed, void (*step)(float)) {
  float acc = remainder + elapsed;
  while (acc > simulationStep) {
    step(simulationStep);
    acc = acc - simulationStep;
  }
  return acc;
}
