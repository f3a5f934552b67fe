// Scene set-up: the two programs, the ring, the balls and the constant uniforms of the
// metaball program, built once per surface.
#include "render/scene_setup.h"

#include <cstdio>

#include "render/context/gl_context.h"
#include "render/field/field_pass.h"
#include "render/ghosting/ghost_ring.h"
#include "render/quad/fullscreen_quad.h"
#include "render/shaders/blob_shape.h"
#include "render/shaders/shader_program.h"

namespace {

const char* const ghostFragmentResource = "#126";
const char* const ghostVertexResource = "#127";

}  // namespace

void initScene(Renderer& renderer, Scene& scene, DrawQuality quality) {
  const SaverSettings& settings = scene.settings;
  renderer.quality = quality;
  renderer.blobExponent = blobExponentFor(settings.blobbiness);
  scene.balls.dampingFactor = dampingFactorFor(settings.damping);
  scene.balls.springConstant = springConstantFor(settings.springK);

  const std::string ghostFragment = loadShaderResource(ghostFragmentResource);
  const std::string ghostVertex = loadShaderResource(ghostVertexResource);
  createQuadBuffer(renderer.quad);
  startDrawPath(renderer, scene);  // the metaball program of the first path
  renderer.ghostShader = new zunoShader(ghostVertex, ghostFragment);

  if (settings.motionBlur) {
    const std::string unavailable = ghostingUnavailableLine();
    if (unavailable.empty())
      buildGhostRing(renderer.ring, scene.rect, *renderer.metaballShader);
    else
      std::fputs(unavailable.c_str(), stderr);  // the plain frame path then runs
  }

  initBalls(scene);
  uploadMetaballUniforms(renderer, scene);
}

void releaseScene(Renderer& renderer) {
  delete renderer.metaballShader;
  renderer.metaballShader = nullptr;
  delete renderer.ghostShader;
  renderer.ghostShader = nullptr;
  releaseGhostRing(renderer.ring);
  releaseDrawPath(renderer);
  releaseQuadBuffer(renderer.quad);
}

void resizeScene(Renderer& renderer, Scene& scene, int32_t width, int32_t height) {
  scene.rect = {0, 0, width, height};
  setPixelProjection(width, height);
  resizeGhostRing(renderer.ring, scene.rect);
  resizeDrawPath(renderer, scene);
}
