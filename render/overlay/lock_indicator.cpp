// The lock's ring: the full-screen quad squeezed into a square in the middle with the
// viewport, through the ghost composite vertex stage and a fragment stage that draws the
// segments and the cross and drops every other texel (no blending is needed).
#include "render/overlay/lock_indicator.h"

#include <algorithm>
#include <exception>
#include <string>

#include "render/context/gl_context.h"
#include "render/quad/fullscreen_quad.h"
#include "render/shaders/shader_dialect.h"
#include "render/shaders/shader_program.h"
#include "render/shaders/shader_resources.h"

namespace {

const char* const ghostVertexResource = "#127";  // the ghost composite vertex stage
constexpr int smallestSide = 96, largestSide = 256;  // the ring's square, in pixels

// NOTE: GLSL ES 1.00 indexes a uniform array in a fragment stage only with a constant
// expression, hence the loop over the segments.
const char* const ringFragmentText =
    "#ifdef GL_ES\n"
    "varying vec2 st;\n"
    "#define RING_COORD st\n"
    "#else\n"
    "#define RING_COORD gl_TexCoord[0].st\n"
    "#endif\n"
    "uniform float lit[16];\n"
    "uniform vec3 colour;\n"
    "uniform float cross;\n"
    "void main(){\n"
    "  vec2 p = RING_COORD * 2.0 - 1.0;\n"
    "  float r = length(p);\n"
    "  if (r > 0.7 && r < 1.0) {\n"
    "    float place = (atan(p.x, p.y) / 6.2831853 + 0.5) * 16.0;\n"
    "    if (fract(place) < 0.1) discard;\n"
    "    float on = 0.0;\n"
    "    for (int i = 0; i < 16; ++i) if (float(i) == floor(place)) on = lit[i];\n"
    "    gl_FragColor = vec4(mix(vec3(0.1, 0.1, 0.12), colour, on), 1.0);\n"
    "  } else if (cross > 0.5 && r < 0.45 && min(abs(p.x - p.y), abs(p.x + p.y)) < 0.1) {\n"
    "    gl_FragColor = vec4(colour, 1.0);\n"
    "  } else {\n"
    "    discard;\n"
    "  }\n"
    "}\n";

}  // namespace

bool initLockRing(Renderer& renderer) {
  LockRing& ring = renderer.lockRing;
  try {
    ring.program = new zunoShader(loadShaderResource(ghostVertexResource),
                                  std::string(fragmentPreamble) + ringFragmentText);
  } catch (const std::exception&) {
    return false;  // the compiler's reason is in the shader log
  }
  ring.lit = glGetUniformLocation(ring.program->program, "lit");
  ring.colour = glGetUniformLocation(ring.program->program, "colour");
  ring.cross = glGetUniformLocation(ring.program->program, "cross");
  if (renderer.metaballShader) renderer.metaballShader->enable(true);
  return true;
}

void drawLockRing(Renderer& renderer, const ClientRect& rect, const LockLook& look) {
  LockRing& ring = renderer.lockRing;
  if (!ring.program || !look.shown) return;
  ring.program->enable(true);
  glUniform1fv(ring.lit, lockRingSegments, look.lit);
  glUniform3f(ring.colour, look.colour[0], look.colour[1], look.colour[2]);
  glUniform1f(ring.cross, look.cross ? 1.0f : 0.0f);
  const int side = std::clamp(std::min(rect.right, rect.bottom) / 4, smallestSide, largestSide);
  glViewport((rect.right - side) / 2, (rect.bottom - side) / 2, side, side);
  drawFullScreenQuad(rect);
  setPixelProjection(rect.right, rect.bottom);
  if (renderer.metaballShader) renderer.metaballShader->enable(true);
}

void releaseLockRing(Renderer& renderer) {
  delete renderer.lockRing.program;
  renderer.lockRing = LockRing{};
}
