// The simulation step as the frame clock runs it: move the balls, then hand their centres
// to the metaball program (which must be current before the upload).
#include "saver/ball_upload.h"

#include "render/scene_setup.h"
#include "render/shader_program.h"
#include "scene/balls.h"

void stepBalls(float dt) {
  moveBalls(dt);
  metaballShader->enable(true);
  setMetaballUniform3fv("ball", BALL_SLOTS, &ballPos[0].x);
}
