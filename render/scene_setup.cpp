// Scene set-up and uniform upload: the two programs, the ring, the balls and the constant
// uniforms of the metaball program, built once per saver window.
#include "render/scene_setup.h"

#include <cstdio>

#include "render/blob_shape.h"
#include "render/field_pass.h"
#include "render/gl_context.h"
#include "render/ghost_ring.h"
#include "render/shader_program.h"
#include "scene/balls.h"
#include "scene/frame_clock.h"
#include "scene/settings.h"

zunoShader* metaballShader = nullptr;
zunoShader* ghostShader = nullptr;
float blobExponent = 0.0f;

namespace {

const char* const ghostFragmentResource = "#126";
const char* const ghostVertexResource = "#127";

}  // namespace

void initScene() {
  blobExponent = blobExponentFor(saverSettings.blobbiness);
  dampingFactor = dampingFactorFor(saverSettings.damping);
  springConstant = springConstantFor(saverSettings.springK);

  const std::string ghostFragment = loadShaderResource(ghostFragmentResource);
  const std::string ghostVertex = loadShaderResource(ghostVertexResource);
  startDrawPath();  // the metaball program of the first path
  ghostShader = new zunoShader(ghostVertex, ghostFragment);

  if (saverSettings.motionBlur) {
    const std::string unavailable = ghostingUnavailableLine();
    if (unavailable.empty())
      createGhostRing();
    else
      std::fputs(unavailable.c_str(), stderr);  // the plain frame path then runs
  }

  initBalls();
  uploadMetaballUniforms();
}

void uploadMetaballUniforms() {
  metaballShader->enable(true);
  setMetaballUniform3fv("color", BALL_SLOTS, &ballColor[0].x);
  // The centres too: a first tick shorter than one step draws before any step has uploaded
  // them, and would show every ball merged in the bottom-left corner.
  setMetaballUniform3fv("ball", BALL_SLOTS, &ballPos[0].x);
  uploadBlobUniforms();
}

float ballFalloff[BALL_SLOTS];

void uploadBlobUniforms() {
  const float blobHeight = blobHeightFor(blobExponent);
  const float scale = falloffScaleFor(blobHeight);
  for (int i = 0; i < BALL_SLOTS; ++i) ballFalloff[i] = scale / (ballRadius[i] * ballRadius[i]);
  metaballShader->enable(true);
  setMetaballUniform1fv("falloff", BALL_SLOTS, ballFalloff);
  metaballShader->setUniform1f("blobHeight", blobHeight);
  metaballShader->setUniform1f("THRESHOLD", densityThreshold);
}

void releaseScene() {
  delete metaballShader;
  metaballShader = nullptr;
  delete ghostShader;
  ghostShader = nullptr;
  releaseGhostRing();
  releaseDrawPath();
}

void resizeScene(int32_t width, int32_t height) {
  clientRect = {0, 0, width, height};
  setPixelProjection(width, height);
  resizeGhostRing();
  resizeDrawPath();
}
