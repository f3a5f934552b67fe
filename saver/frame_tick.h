// One tick of the frame clock as both hosts run it: the millisecond reading turned into fixed
// simulation steps, then exactly one frame drawn into the back buffer. The timer that calls it
// and the buffer swap after it belong to each host.
#pragma once

#include <cstdint>

// Runs the fixed simulation steps that elapsed (simulated time) and the carried remainder cover.
void advanceSimulation(float elapsed);

// Takes the millisecond reading now. The first reading only records the time and returns
// false; later ones step the simulation, draw one frame (through the ghosting ring when it
// is built), leave the metaball program current and return true: the host then swaps.
bool runFrameTick(uint32_t now);
