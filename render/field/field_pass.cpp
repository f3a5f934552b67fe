// The two drawing paths of the metaball pass, and auto's switch from exact to fast. Shared by
// desktop GL 3.0 (or its framebuffer-object and float-texture extensions), OpenGL ES 3 and
// WebGL 2 (with a float colour-buffer extension): the calls below are common to all three.
#include "render/field/field_pass.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>

#include "render/context/gl_context.h"
#include "render/field/field_cull.h"
#include "render/field/field_grid.h"
#include "render/quad/fullscreen_quad.h"
#include "render/shaders/blob_shape.h"
#include "render/shaders/metaball_uniforms.h"
#include "render/shaders/shader_composer.h"
#include "render/shaders/shader_dialect.h"
#include "render/shaders/shader_program.h"

namespace {

constexpr GLint fieldUnit = 4;  // clear of the ghosting ring's units 0 to 3

// One frame's rectangles at a time, shared by every renderer of the thread.
PixelRect finishRects[cullRectCapacity];  // where the finish pass draws this frame
PixelRect fieldRects[cullRectCapacity];   // the grid points those pixels read
TileMask passTiles;  // the lit tiles of a pass that keeps none

// Grid rectangles in the window coordinates that the grid's viewport maps onto its points.
void toGridViewport(const FieldPass& field, const ClientRect& rect, PixelRect* rects, int count) {
  const float across = static_cast<float>(rect.right) / static_cast<float>(field.grid.width);
  const float up = static_cast<float>(rect.bottom) / static_cast<float>(field.grid.height);
  for (PixelRect* r = rects; r != rects + count; ++r)
    *r = {r->x0 * across, r->y0 * up, r->x1 * across, r->y1 * up};
}

// The bound's view of the scene: the balls' live centres, and what stays fixed from the start.
CullScene boundFor(const Renderer& r, const Scene& s, const SaverSettings& drawn) {
  const FieldPass& field = r.field;
  return {s.balls.pos, s.balls.color, r.ballFalloff, static_cast<int>(drawn.nBalls),
          blobHeightFor(r.blobExponent), drawn.func_type,
          lowestVisibleDensity(drawn.feather, drawn.contour), field.grid.spacing};
}

// Allocates the target at the grid's size; true when it is complete.
bool sizeFieldTarget(FieldPass& field) {
  glActiveTexture(GL_TEXTURE0 + fieldUnit);
  glBindTexture(GL_TEXTURE_2D, field.texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16F, field.grid.width, field.grid.height, 0, GL_RGBA,
               GL_FLOAT, nullptr);
  glActiveTexture(GL_TEXTURE0);
  GLint previous = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
  glBindFramebuffer(GL_FRAMEBUFFER, field.framebuffer);
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  // Points no frame has drawn yet are read with no weight; zeros, not whatever the memory held.
  if (complete) glClear(GL_COLOR_BUFFER_BIT);
  glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
  return complete;
}

// The float target, bound for good on its own unit, filtered between grid points.
bool makeFieldTarget(FieldPass& field) {
  if (!floatTargetsOffered()) return false;
  glGenTextures(1, &field.texture);
  glActiveTexture(GL_TEXTURE0 + fieldUnit);
  glBindTexture(GL_TEXTURE_2D, field.texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glActiveTexture(GL_TEXTURE0);
  glGenFramebuffers(1, &field.framebuffer);
  GLint previous = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
  glBindFramebuffer(GL_FRAMEBUFFER, field.framebuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, field.texture, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
  return sizeFieldTarget(field);
}

// Where the finish program finds a window point in the field.
void uploadGridUniforms(Renderer& r) {
  const FieldPass& field = r.field;
  if (field.finish) {
    field.finish->enable(true);
    field.finish->setUniform2f("fieldScale", field.grid.scale[0], field.grid.scale[1]);
    field.finish->setUniform2f("fieldOffset", field.grid.offset[0], field.grid.offset[1]);
  }
  r.metaballShader->enable(true);
}

// The metaball program replaced by the program of path; the old one stays if the new one fails.
void buildMetaballProgram(Renderer& r, const Scene& s, DrawPath path) {
  const SaverSettings drawn = drawableSettings(s.settings);
  const std::string text = fragmentPreamble + (path == DrawPath::fast
                                                   ? composeFieldShader(drawn)
                                                   : composeMetaballShader(drawn));
  zunoShader* built = new zunoShader(metaballVertexSource, text);
  delete r.metaballShader;
  r.metaballShader = built;
  r.field.path = path;
  r.metaballShader->enable(true);
  if (path == DrawPath::fast)
    r.metaballShader->setUniform1f("fieldSpacing", static_cast<float>(r.field.grid.spacing));
}

void buildFinishProgram(FieldPass& field, const Scene& s) {
  if (field.finish) return;
  const SaverSettings drawn = drawableSettings(s.settings);
  field.finish = new zunoShader(metaballVertexSource,
                                fragmentPreamble + composeFinishShader(drawn));
  field.finish->enable(true);
  field.finish->setUniform1i("field", fieldUnit);
  field.finish->setUniform1f("THRESHOLD", densityThreshold);
}

bool fastPossible(const FieldPass& field) { return field.spacing > 0 && field.targetWorks; }

// The metaball program becomes path's with the scene's uniforms; if the GL refuses a
// program (it has said why), the old one draws on and false is returned.
bool rebuildOrKeep(Renderer& r, const Scene& s, DrawPath path) {
  try {
    if (path == DrawPath::fast) buildFinishProgram(r.field, s);
    buildMetaballProgram(r, s, path);
  } catch (const ShaderBuildError&) {
    r.metaballShader->enable(true);
    return false;
  }
  uploadMetaballUniforms(r, s);
  return true;
}

void startTrial(Renderer& r) {
  r.field.trying = r.quality == DrawQuality::automatic && fastPossible(r.field);
  r.field.trial = PathTrial{};
}

// Only where colour can show: the sums at the grid points those pixels read; black, as the
// exact pass leaves it, everywhere; then those pixels finished from the sums. The tiles are
// left in lit.
void drawFromField(Renderer& r, const Scene& s, GLuint target, TileMask& lit) {
  const FieldPass& field = r.field;
  const ClientRect& rect = s.rect;
  const int count =
      colouredRects(field.bound, rect.right, rect.bottom, lit, finishRects, fieldRects);
  toGridViewport(field, rect, fieldRects, count);
  glBindFramebuffer(GL_FRAMEBUFFER, field.framebuffer);
  glViewport(0, 0, field.grid.width, field.grid.height);
  drawPixelRects(r.quad, rect, fieldRects, count);
  glBindFramebuffer(GL_FRAMEBUFFER, target);
  glViewport(0, 0, rect.right, rect.bottom);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  field.finish->enable(true);
  drawPixelRects(r.quad, rect, finishRects, count);
  r.metaballShader->enable(true);
}

}  // namespace

DrawPath currentDrawPath(const Renderer& renderer) { return renderer.field.path; }

void startDrawPath(Renderer& r, const Scene& s) {
  FieldPass& field = r.field;
  field = FieldPass{};
  if (r.quality != DrawQuality::exact) {
    const SaverSettings drawn = drawableSettings(s.settings);
    field.spacing = fieldSpacingFor(drawn);
    field.grid = fieldGridFor(field.spacing, s.rect.right, s.rect.bottom);
    field.targetWorks = field.spacing > 0 && makeFieldTarget(field);
    field.bound = boundFor(r, s, drawn);
  }
  const bool fast = r.quality == DrawQuality::fast && fastPossible(field);
  if (fast) buildFinishProgram(field, s);
  buildMetaballProgram(r, s, fast ? DrawPath::fast : DrawPath::exact);
  uploadGridUniforms(r);
  startTrial(r);
}

void resizeDrawPath(Renderer& r, const Scene& s) {
  FieldPass& field = r.field;
  if (!fastPossible(field)) return;
  field.grid = fieldGridFor(field.spacing, s.rect.right, s.rect.bottom);
  field.targetWorks = sizeFieldTarget(field);
  // auto decides again at the new size, from exact; a target the GL refuses leaves exact too.
  if (field.path == DrawPath::fast &&
      (r.quality == DrawQuality::automatic || !field.targetWorks))
    rebuildOrKeep(r, s, DrawPath::exact);
  uploadGridUniforms(r);
  startTrial(r);
}

void releaseDrawPath(Renderer& r) {
  FieldPass& field = r.field;
  delete field.finish;
  if (field.texture != 0) glDeleteTextures(1, &field.texture);
  if (field.framebuffer != 0) glDeleteFramebuffers(1, &field.framebuffer);
  field = FieldPass{};
}

void switchDrawQuality(Renderer& r, const Scene& s, DrawQuality quality) {
  if (r.quality == quality) return;
  releaseDrawPath(r);
  r.quality = quality;
  try {
    startDrawPath(r, s);
  } catch (const ShaderBuildError&) {
    // Exact's program built at the start, so it builds again.
    releaseDrawPath(r);
    r.quality = DrawQuality::exact;
    startDrawPath(r, s);
  }
  uploadMetaballUniforms(r, s);
}

void drawMetaballPass(Renderer& r, const Scene& s, GLuint target, TileMask* lit) {
  FieldPass& field = r.field;
  if (field.path == DrawPath::fast)
    return drawFromField(r, s, target, lit ? *lit : passTiles);
  if (lit) lit->tile = 0;  // every pixel drawn
  if (!field.trying) return drawFullScreenQuad(s.rect);
  // Timed to the GL's end of the pass, during the few frames of the trial only. A pixel read
  // back waits for the drawing everywhere; a browser's finish() need not.
  GLubyte pixel[4];
  glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  const auto start = std::chrono::steady_clock::now();
  drawFullScreenQuad(s.rect);
  glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  const double milliseconds =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  bool tooSlow = false;
  if (!notePathTrial(field.trial, milliseconds, tooSlow)) return;
  field.trying = false;
  if (tooSlow && rebuildOrKeep(r, s, DrawPath::fast)) uploadGridUniforms(r);
}
