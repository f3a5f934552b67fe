// The blend pass's inputs: each ring frame on the unit of its role.
#include "render/ghosting/ghost_blend.h"

#include "render/context/gl_api.h"
#include "render/shaders/shader_program.h"

namespace {

// Sampler of each texture unit in the blend, in unit order: ancient, last, cur, next.
// NOTE: every name fits the standard library's short-string buffer, so passing them to
// setUniform1i on every frame allocates nothing.
const char* const samplerNames[4] = {"ancientFrame", "lastFrame", "curFrame", "nextFrame"};

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
