// The simulation step as the frame clock runs it: move the balls, then hand their centres
// to the metaball program (which must be current before the upload).
#include "saver/ball_upload.h"

#include "render/shaders/shader_program.h"

void stepBalls(Renderer& renderer, Scene& scene, float dt) {
  moveBalls(scene, dt);
  renderer.metaballShader->enable(true);
  setMetaballUniform3fv(renderer.metaballShader, "ball", BALL_SLOTS, &scene.balls.pos[0].x);
}
