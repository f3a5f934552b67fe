// The frame clock: the saver window's client rectangle and the arithmetic that turns
// measured milliseconds into fixed simulation steps and timer ticks. Portable: each host
// has its own timer and clock reading.
#pragma once

#include <cstdint>

// A client rectangle in pixels (left and top are 0, so right is the width, bottom the height).
struct ClientRect {
  int32_t left, top, right, bottom;
};

// One scene's clock: what the ticks have read and not yet stepped.
struct FrameClock {
  uint32_t lastTickTime = 0;  // millisecond reading of the previous tick; 0 = none yet
  float stepRemainder = 0.0f; // simulated time accumulated but not yet stepped
};

// The Windows saver's one scene, under its old names (scene/saver_scene.cpp). clientRect is
// the saver window's client rectangle, read once at window creation; it sizes the viewport,
// the projection, the ring textures, the ball area and the edge forces.
extern ClientRect& clientRect;
extern uint32_t& lastTickTime;
extern float& stepRemainder;

constexpr unsigned frameTimerId = 5001;
constexpr unsigned frameTimerPeriodMs = 10;
constexpr float timeScale = 0.0005f;      // simulated units per millisecond
constexpr float simulationStep = 0.01f;   // the fixed step of the ball simulation

// Takes the millisecond reading of a tick. The first reading only records the time and
// returns false; later ones set elapsed to the simulated time since the previous tick
// (the difference taken modulo 2^32, so a clock wrap still gives the true interval).
bool takeTickReading(FrameClock& clock, uint32_t now, float& elapsed);
bool takeTickReading(uint32_t now, float& elapsed);  // the saver's clock

// When the tick after one that was due at due and ended at now is due, in any unit of time:
// one period on, keeping the schedule's phase as a periodic timer does; periods that a late
// tick overran are skipped, not made up (the frame tick measures the elapsed time anyway).
// A period of 0 makes every tick due at once.
int64_t nextTickDue(int64_t due, int64_t now, int64_t period);

// Forgets the previous reading, so that the next tick only records its time: after a pause
// (a hidden window or page) the balls go on from where they were instead of jumping.
void forgetTickReading(FrameClock& clock);
void forgetTickReading();  // the saver's clock

// Adds elapsed to remainder and calls step(simulationStep) while more than one step is
// pending (exactly one step's worth is carried, not stepped). Returns the new remainder.
template <class Step>
float runFixedStepsWith(float remainder, float elapsed, Step step) {
  float acc = remainder + elapsed;
  while (acc > simulationStep) {
    step(simulationStep);
    acc = acc - simulationStep;
  }
  return acc;
}
float runFixedSteps(float remainder, float elapsed, void (*step)(float));
