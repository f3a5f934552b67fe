// The lock's password indicator, drawn over the picture in the middle of each lock surface:
// a ring of segments that light at random per key, so that it tells that a key was taken
// but neither the password nor its length, and a plain cross inside it after a wrong one.
// What it shows is decided by the lock (LockLook); this draws it with the renderer's quad.
#pragma once

#include "render/renderer.h"
#include "scene/frame_clock.h"

constexpr int lockRingSegments = 16;

// What the ring shows in one frame.
struct LockLook {
  bool shown = false;                    // nothing is drawn while false
  float lit[lockRingSegments] = {};      // per segment: 0 dark to 1 in colour
  float colour[3] = {0.0f, 0.0f, 0.0f};  // the lit segments' colour (and the cross's)
  bool cross = false;                    // the failure mark inside the ring
};

// Makes the ring's program once the scene is built; false when the GL refuses it (the lock
// then works without a ring). Leaves the metaball program current.
bool initLockRing(Renderer& renderer);

// Draws look in the middle of the bound window framebuffer (of size rect), after the frame
// tick and before the swap. Leaves the metaball program current, as the tick does.
void drawLockRing(Renderer& renderer, const ClientRect& rect, const LockLook& look);

// Deletes the program; safe without it.
void releaseLockRing(Renderer& renderer);
