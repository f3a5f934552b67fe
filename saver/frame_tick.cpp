// The frame tick: simulation steps first, then the one frame, each pass a full-screen quad.
#include "saver/frame_tick.h"

#include "render/field_pass.h"
#include "render/fullscreen_quad.h"
#include "render/ghost_ring.h"
#include "render/scene_setup.h"
#include "render/shader_program.h"
#include "saver/ball_upload.h"
#include "scene/balls.h"
#include "scene/frame_clock.h"

void advanceSimulation(float elapsed) {
  stepRemainder = runFixedSteps(stepRemainder, elapsed, stepBalls);
}

bool runFrameTick(uint32_t now) {
  float elapsed;
  if (!takeTickReading(now, elapsed)) return false;  // the first tick only records
  advanceSimulation(elapsed);
  if (ghostRingActive()) {
    drawMetaballPass(beginGhostFrame());  // into the ring
    compositeGhostFrames();
    drawFullScreenQuad();  // the blend
  } else {
    drawMetaballPass(0);  // straight into the back buffer
  }
  metaballShader->enable(true);
  return true;
}
