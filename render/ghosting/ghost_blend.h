// The blend pass's inputs, shared by the desktop ring and its WebGL 2 variant: the four ring
// frames bound by role to units 0 to 3 and named to the ghost program's samplers.
#pragma once

#include "render/renderer.h"

// Binds ring's frames for the blend; ghost, the blend's program, must be current.
void bindRingFramesForBlend(const GhostRing& ring, zunoShader& ghost);
