// The frame-rate line: the rate rule and a 5x7 font of the few characters the line uses.
#include "render/overlay/fps_text.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t rateWindowMs = 1000;

// One character: its rows from the top, bit 4 the leftmost texel.
struct Glyph {
  char character;
  uint8_t rows[fpsGlyphHeight];
};

constexpr Glyph font[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'-', {0x00, 0x00, 0x00, 0x0E, 0x00, 0x00, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
};

// The rows of character c; null for a blank (a space, or one the font lacks).
const uint8_t* glyphRows(char c) {
  for (const Glyph& glyph : font)
    if (glyph.character == c) return glyph.rows;
  return nullptr;
}

// Sets the texel at column x, row y (from the bottom) to grey level with full alpha.
void setTexel(FpsBitmap& bitmap, int x, int y, uint8_t level) {
  uint8_t* texel = bitmap.rgba[y][x];
  texel[0] = texel[1] = texel[2] = level;
  texel[3] = 255;
}

// Draws every set texel of the line's glyphs at offset (dx, dy) from the glyph origin.
void stampLine(const char* line, FpsBitmap& bitmap, int dx, int dy, uint8_t level) {
  for (int i = 0; i < fpsLineCapacity && line[i] != '\0'; ++i) {
    const uint8_t* rows = glyphRows(line[i]);
    if (!rows) continue;
    for (int row = 0; row < fpsGlyphHeight; ++row)
      for (int column = 0; column < fpsGlyphWidth; ++column)
        if (rows[row] & (0x10 >> column))
          setTexel(bitmap, i * fpsCellWidth + column + dx, fpsGlyphHeight - row + dy, level);
  }
}

}  // namespace

bool countFpsFrame(FpsCounter& counter, uint32_t now) {
  // The first frame only begins the count: the frames of a span are those after its start.
  if (!counter.started) {
    counter.windowStart = now;
    counter.started = true;
    return false;
  }
  ++counter.framesCounted;
  const uint32_t span = now - counter.windowStart;  // unsigned: wraps with the clock
  if (span < rateWindowMs) return false;
  std::snprintf(counter.line, sizeof counter.line, "FPS: %.1f",
                counter.framesCounted * 1000.0 / span);
  counter.windowStart = now;
  counter.framesCounted = 0;
  return true;
}

void rasteriseFpsLine(const char* line, FpsBitmap& bitmap) {
  std::memset(bitmap.rgba, 0, sizeof bitmap.rgba);
  // The shadow first, so that the white glyphs cover it where the two meet.
  stampLine(line, bitmap, 1, -1, 0);
  stampLine(line, bitmap, 0, 0, 255);
}
