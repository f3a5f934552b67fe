// The frame tick: simulation steps first, then the one frame: the metaball pass, and with
// ghosting the blend of the ring.
#include "saver/frame_tick.h"

#include "render/field/field_pass.h"
#include "render/ghosting/ghost_blend.h"
#include "render/ghosting/ghost_ring.h"
#include "render/quad/fullscreen_quad.h"
#include "render/shaders/shader_program.h"
#include "saver/ball_upload.h"

void advanceSimulation(Renderer& renderer, Scene& scene, float elapsed) {
  float& remainder = scene.clock.stepRemainder;
  remainder = runFixedStepsWith(remainder, elapsed,
                                [&](float dt) { stepBalls(renderer, scene, dt); });
}

bool runFrameTick(Renderer& renderer, Scene& scene, uint32_t now) {
  float elapsed;
  if (!takeTickReading(scene.clock, now, elapsed)) return false;  // the first tick only records
  advanceSimulation(renderer, scene, elapsed);
  if (ghostRingActive(renderer.ring)) {
    GhostRing& ring = renderer.ring;
    const GLuint target = beginGhostFrame(ring, *renderer.metaballShader);
    drawMetaballPass(renderer, scene, target, &ringPassTiles(ring));
    blendGhostFrames(renderer, scene);
  } else {
    drawMetaballPass(renderer, scene, 0);  // straight into the back buffer
  }
  renderer.metaballShader->enable(true);
  return true;
}
