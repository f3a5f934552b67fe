// The blend pass: its inputs, each ring frame on the unit of its role, and where it draws.
#include "render/ghosting/ghost_blend.h"

#include "render/context/gl_api.h"
#include "render/field/field_cull.h"
#include "render/ghosting/ghost_ring.h"
#include "render/quad/fullscreen_quad.h"
#include "render/shaders/shader_program.h"

namespace {

// Sampler of each texture unit in the blend, in unit order: ancient, last, cur, next.
// NOTE: every name fits the standard library's short-string buffer, so passing them to
// setUniform1i on every frame allocates nothing.
const char* const samplerNames[4] = {"ancientFrame", "lastFrame", "curFrame", "nextFrame"};

// One blend's tiles and rectangles at a time, shared by every renderer of the thread.
TileMask blendTiles;
PixelRect blendRects[cullRectCapacity];

// Sets the filter of the four frames, bound on units 0 to 3, when it changes; unit 3 stays
// active, as the binding leaves it.
void sampleRingFrames(GhostRing& ring, bool nearest) {
  if (ring.nearest == nearest) return;
  const GLint filter = nearest ? GL_NEAREST : GL_LINEAR;
  for (int unit = 0; unit < 4; ++unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
  }
  ring.nearest = nearest;
}

// The union of the four frames' lit tiles as window rectangles; the whole window when a
// frame's tiles are unknown (drawn by the exact path, primed, or of another size).
int ringLitRects(const GhostRing& ring, const ClientRect& rect) {
  blendTiles = ring.lit[0];
  bool known = true;
  for (int slot = 1; slot < 4 && known; ++slot) known = addLitTiles(blendTiles, ring.lit[slot]);
  if (!known) blendTiles.tile = 0;
  return litTileRects(blendTiles, rect.right, rect.bottom, 1, blendRects, nullptr);
}

}  // namespace

void bindRingFramesForBlend(const GhostRing& ring, zunoShader& ghost) {
  int slots[4];
  ringRoleSlots(ring.roles, slots);
  for (int unit = 0; unit < 4; ++unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, ring.textures[slots[unit]]);
    ghost.setUniform1i(samplerNames[unit], unit);  // set every frame, not once
  }
}

TileMask& ringPassTiles(GhostRing& ring) { return ring.lit[ring.roles.next]; }

void forgetLitTiles(GhostRing& ring) {
  for (TileMask& lit : ring.lit) lit.tile = 0;
}

void blendGhostFrames(Renderer& renderer, const Scene& scene) {
  GhostRing& ring = renderer.ring;
  const bool lit = renderer.field.path == DrawPath::fast;
  // Outside the lit tiles the clear is the picture: opaque black, as the blend leaves it.
  if (lit) glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  compositeGhostFrames(ring, *renderer.ghostShader, !lit);
  sampleRingFrames(ring, lit);
  if (!lit) return drawFullScreenQuad(scene.rect);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  drawPixelRects(renderer.quad, scene.rect, blendRects, ringLitRects(ring, scene.rect));
}
