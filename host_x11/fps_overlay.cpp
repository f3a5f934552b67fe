// Linux: the frame-rate line, one display list per glyph of an X font.
#include "host_x11/fps_overlay.h"

#include <GL/glew.h>
#include <GL/glx.h>

#include <cstdio>

#include "render/scene_setup.h"
#include "render/shader_program.h"

namespace {

constexpr const char* fontName = "fixed";
constexpr int firstGlyph = 32;  // printable ASCII: space to tilde
constexpr int glyphCount = 95;
constexpr int margin = 8;       // pixels from the left and bottom edges
constexpr uint32_t rateWindowMs = 1000;

// Fixed state of the overlay.
struct FpsOverlay {
  GLuint glyphLists = 0;      // first of glyphCount display lists, 0 without glyphs
  uint32_t windowStart = 0;   // millisecond reading where the current count began
  unsigned framesCounted = 0; // frames since windowStart
  bool started = false;       // windowStart is set
  char line[32] = "FPS: --";  // what is drawn, updated once a second
  int lineLength = 7;
} overlay;

// Draws line with its lower-left corner at (x, y) in the current colour.
void drawLine(int x, int y) {
  glRasterPos2i(x, y);
  glCallLists(overlay.lineLength, GL_UNSIGNED_BYTE, overlay.line);
}

}  // namespace

bool initFpsOverlay(Display* display) {
  XFontStruct* font = XLoadQueryFont(display, fontName);
  if (!font) return false;
  overlay.glyphLists = glGenLists(glyphCount);
  glXUseXFont(font->fid, firstGlyph, glyphCount, overlay.glyphLists);
  XFreeFont(display, font);
  return overlay.glyphLists != 0;
}

void drawFpsOverlay(uint32_t now) {
  if (!overlay.started) {
    overlay.windowStart = now;
    overlay.started = true;
  }
  ++overlay.framesCounted;
  const uint32_t span = now - overlay.windowStart;  // wraps with the clock
  if (span >= rateWindowMs) {
    const double rate = overlay.framesCounted * 1000.0 / span;
    overlay.lineLength = std::snprintf(overlay.line, sizeof overlay.line, "FPS: %.1f", rate);
    overlay.windowStart = now;
    overlay.framesCounted = 0;
  }
  if (overlay.glyphLists == 0) return;
  // Bitmaps are drawn by the fixed function: no program, colour from the raster position.
  metaballShader->enable(false);
  glListBase(overlay.glyphLists - firstGlyph);
  glColor3f(0.0f, 0.0f, 0.0f);  // a shadow keeps the text readable on bright blobs
  drawLine(margin + 1, margin - 1);
  glColor3f(1.0f, 1.0f, 1.0f);
  drawLine(margin, margin);
  metaballShader->enable(true);
}

void releaseFpsOverlay() {
  if (overlay.glyphLists != 0) glDeleteLists(overlay.glyphLists, glyphCount);
  overlay = FpsOverlay{};
}
