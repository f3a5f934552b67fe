// One tick of the frame clock as every host runs it: the millisecond reading turned into fixed
// simulation steps, then exactly one frame drawn into the back buffer. The timer that calls it
// and the buffer swap after it belong to each host.
#pragma once

#include <cstdint>

#include "render/renderer.h"
#include "scene/scene.h"

// Runs the fixed simulation steps that elapsed (simulated time) and the carried remainder cover.
void advanceSimulation(Renderer& renderer, Scene& scene, float elapsed);
void advanceSimulation(float elapsed);  // the Windows saver's

// Takes the millisecond reading now. The first reading only records the time and returns
// false; later ones step the simulation, draw one frame (through the ghosting ring when it
// is built), leave the metaball program current and return true: the host then swaps.
bool runFrameTick(Renderer& renderer, Scene& scene, uint32_t now);
bool runFrameTick(uint32_t now);  // the Windows saver's
