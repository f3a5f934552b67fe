// The frame-rate line: the bitmap of fps_text.cpp in a small texture, drawn by the full-screen
// quad squeezed into the text's rectangle with the viewport, through a program of the ghost
// composite vertex stage and a fragment stage that drops the transparent texels.
#include "render/overlay/fps_overlay.h"

#include <cstdio>
#include <exception>
#include <string>

#include "render/context/gl_context.h"
#include "render/field/field_pass.h"
#include "render/overlay/fps_text.h"
#include "render/quad/fullscreen_quad.h"
#include "render/shaders/shader_dialect.h"
#include "render/shaders/shader_program.h"
#include "render/shaders/shader_resources.h"

namespace {

constexpr int margin = 8;     // pixels from the left and bottom edges to the glyphs
constexpr int textScale = 2;  // pixels per texel side: the 5x7 font at a readable size
constexpr GLenum glyphUnit = GL_TEXTURE0;
const char* const ghostVertexResource = "#127";  // the ghost composite vertex stage

// NOTE: one text for GLSL 1.10 and GLSL ES 1.00 (fragmentPreamble in front): the two vertex
// stages of #127 hand the texture coordinates over differently. No blending is needed, as a
// transparent texel is discarded.
const char* const glyphFragmentText =
    "#ifdef GL_ES\n"
    "varying vec2 st;\n"
    "#define GLYPH_COORD st\n"
    "#else\n"
    "#define GLYPH_COORD gl_TexCoord[0].st\n"
    "#endif\n"
    "uniform sampler2D glyphs;\n"
    "void main(){\n"
    "  vec4 texel = texture2D(glyphs, GLYPH_COORD);\n"
    "  if (texel.a < 0.5) discard;\n"
    "  gl_FragColor = vec4(texel.rgb, 1.0);\n"
    "}\n";

// The line's texels, redrawn only when a line changes; shared by every renderer of the thread.
FpsBitmap bitmap;

// Redraws the line, the drawing path after the rate ("FPS: 58.3 FAST"), into the texture
// bound on glyphUnit: auto's choice is seen there.
void uploadLine(Renderer& renderer) {
  FpsOverlay& overlay = renderer.fps;
  overlay.shownPath = currentDrawPath(renderer);
  char text[sizeof overlay.counter.line + 8];  // rasteriseFpsLine cuts what does not fit
  std::snprintf(text, sizeof text, "%s %s", overlay.counter.line,
                overlay.shownPath == DrawPath::fast ? "FAST" : "EXACT");
  rasteriseFpsLine(text, bitmap);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, fpsBitmapWidth, fpsBitmapHeight, GL_RGBA,
                  GL_UNSIGNED_BYTE, bitmap.rgba);
}

}  // namespace

bool initFpsOverlay(Renderer& renderer) {
  FpsOverlay& overlay = renderer.fps;
  try {
    overlay.program = new zunoShader(loadShaderResource(ghostVertexResource),
                                     std::string(fragmentPreamble) + glyphFragmentText);
  } catch (const std::exception&) {
    return false;  // the compiler's reason is in the shader log
  }
  overlay.program->enable(true);
  overlay.program->setUniform1i("glyphs", glyphUnit - GL_TEXTURE0);
  glActiveTexture(glyphUnit);
  glGenTextures(1, &overlay.texture);
  glBindTexture(GL_TEXTURE_2D, overlay.texture);
  // Nearest texels keep the glyphs sharp at any scale; no mipmaps.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, fpsBitmapWidth, fpsBitmapHeight, 0, GL_RGBA,
               GL_UNSIGNED_BYTE, nullptr);
  uploadLine(renderer);
  if (renderer.metaballShader) renderer.metaballShader->enable(true);
  return true;
}

void drawFpsOverlay(Renderer& renderer, const ClientRect& rect, uint32_t nowMs) {
  FpsOverlay& overlay = renderer.fps;
  const bool changed = countFpsFrame(overlay.counter, nowMs);
  if (!overlay.program) return;
  // NOTE: with ghosting the tick leaves the ring's frames bound on units 0 to 3 and the
  // ghost program current; the glyph program samples only its own unit.
  glActiveTexture(glyphUnit);
  glBindTexture(GL_TEXTURE_2D, overlay.texture);
  if (changed || overlay.shownPath != currentDrawPath(renderer)) uploadLine(renderer);
  overlay.program->enable(true);
  // The shadow row lies below the glyphs, so the glyphs stand margin pixels above the edge.
  glViewport(margin, margin - textScale, fpsBitmapWidth * textScale, fpsBitmapHeight * textScale);
  drawFullScreenQuad(rect);
  setPixelProjection(rect.right, rect.bottom);
  renderer.metaballShader->enable(true);
}

void restartFpsCount(Renderer& renderer) {
  renderer.fps.counter.started = false;
  renderer.fps.counter.framesCounted = 0;
}

void releaseFpsOverlay(Renderer& renderer) {
  FpsOverlay& overlay = renderer.fps;
  delete overlay.program;
  if (overlay.texture != 0) glDeleteTextures(1, &overlay.texture);
  overlay = FpsOverlay{};
}
