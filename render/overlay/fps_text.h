// The frame-rate line without GL: the rate over each full second of the host's millisecond
// readings, and the line drawn with a small built-in font into a fixed bitmap that the
// overlay uploads as a texture. Portable, so it is unit-tested natively.
#pragma once

#include <cstdint>

// The count behind the line; zero-initialised it is a counter that has seen no frame.
struct FpsCounter {
  uint32_t windowStart = 0;    // millisecond reading where the current count began
  unsigned framesCounted = 0;  // frames since windowStart
  bool started = false;        // windowStart is set
  char line[32] = "FPS: --";   // what is shown: "FPS: --" until the first full second
};

// Counts one frame at millisecond reading now (the first one only begins the count); once a
// full second has passed since the count began, the line becomes "FPS: %.1f" of the frames
// over that span and true is returned.
bool countFpsFrame(FpsCounter& counter, uint32_t now);

constexpr int fpsGlyphWidth = 5;   // texels of a character, without its spacing column
constexpr int fpsGlyphHeight = 7;
constexpr int fpsCellWidth = fpsGlyphWidth + 1;
constexpr int fpsLineCapacity = 16;  // characters drawn; a longer line is cut
constexpr int fpsBitmapWidth = fpsLineCapacity * fpsCellWidth + 1;  // + the shadow's column
constexpr int fpsBitmapHeight = fpsGlyphHeight + 1;                 // + the shadow's row

// The line as RGBA texels, bottom row first as GL takes an image: white glyphs with their
// origin at texel (0, 1), each with a black shadow one texel right and one down; every
// other texel is transparent (alpha 0).
struct FpsBitmap {
  uint8_t rgba[fpsBitmapHeight][fpsBitmapWidth][4];
};

// Draws line into bitmap, over whatever it held. Characters outside "0123456789FPS:-. " and
// the path's "ACEXT" are left blank.
void rasteriseFpsLine(const char* line, FpsBitmap& bitmap);
