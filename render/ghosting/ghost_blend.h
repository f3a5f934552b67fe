// The blend pass, shared by the desktop ring and its WebGL 2 variant: the four ring frames
// bound by role to units 0 to 3 and named to the ghost program's samplers, and the blend into
// the window. Behind the fast path every frame is black outside the tiles its pass lit, so
// the blend draws only the union of the four frames' lit tiles, texel for texel.
#pragma once

#include "render/renderer.h"
#include "scene/scene.h"

// Binds ring's frames for the blend; ghost, the blend's program, must be current.
void bindRingFramesForBlend(const GhostRing& ring, zunoShader& ghost);

// Where the pass about to be drawn into the ring (after beginGhostFrame) leaves its lit tiles.
TileMask& ringPassTiles(GhostRing& ring);

// Every frame's lit tiles unknown, as after priming or a resize: the blend covers the window.
void forgetLitTiles(GhostRing& ring);

// Blends the ring's four frames into the window's back buffer, the blend program current
// after: over every pixel behind the exact path, as the Windows saver does; behind the fast
// path over the frames' lit tiles only, sampled with GL_NEAREST (the frames have the
// window's size, so each pixel reads its own texel either way), the window's colour alone
// cleared.
void blendGhostFrames(Renderer& renderer, const Scene& scene);
