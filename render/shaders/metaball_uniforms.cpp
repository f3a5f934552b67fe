// The metaball program's uniforms from the scene.
#include "render/shaders/metaball_uniforms.h"

#include "render/shaders/blob_shape.h"
#include "render/shaders/shader_program.h"

void uploadMetaballUniforms(Renderer& renderer, const Scene& scene) {
  renderer.metaballShader->enable(true);
  setMetaballUniform3fv(renderer.metaballShader, "color", BALL_SLOTS, &scene.balls.color[0].x);
  // The centres too: a first tick shorter than one step draws before any step has uploaded
  // them, and would show every ball merged in the bottom-left corner.
  setMetaballUniform3fv(renderer.metaballShader, "ball", BALL_SLOTS, &scene.balls.pos[0].x);
  uploadBlobUniforms(renderer, scene);
}

void uploadBlobUniforms(Renderer& renderer, const Scene& scene) {
  const float blobHeight = blobHeightFor(renderer.blobExponent);
  const float scale = falloffScaleFor(blobHeight);
  for (int i = 0; i < BALL_SLOTS; ++i)
    renderer.ballFalloff[i] = scale / (scene.balls.radius[i] * scene.balls.radius[i]);
  zunoShader& metaball = *renderer.metaballShader;
  metaball.enable(true);
  setMetaballUniform1fv(&metaball, "falloff", BALL_SLOTS, renderer.ballFalloff);
  metaball.setUniform1f("blobHeight", blobHeight);
  metaball.setUniform1f("THRESHOLD", densityThreshold);
}
