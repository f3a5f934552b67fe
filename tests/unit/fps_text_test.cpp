// The frame-rate line: the rate over each full second of millisecond readings, and the
// bitmap of its glyphs and shadow that the overlay uploads.
#include "render/overlay/fps_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Row y (from the bottom) of bitmap's first width columns: '#' white, 'o' black, '.' clear.
std::string row(const FpsBitmap& bitmap, int y, int width) {
  std::string text;
  for (int x = 0; x < width; ++x) {
    const uint8_t* t = bitmap.rgba[y][x];
    const bool grey = t[3] == 255 && t[0] == t[1] && t[1] == t[2];
    text += t[3] == 0 ? '.' : grey && t[0] == 255 ? '#' : grey && t[0] == 0 ? 'o' : '?';
  }
  return text;
}

TEST(FpsText, TheLineGivesEachFullSecondsRateAndIsDrawnAsItReads) {
  FpsCounter counter;
  for (uint32_t now = 5000; now < 6000; now += 40) EXPECT_FALSE(countFpsFrame(counter, now));
  EXPECT_STREQ(counter.line, "FPS: --");
  EXPECT_TRUE(countFpsFrame(counter, 6000));  // 25 frames after the one at 5000
  EXPECT_STREQ(counter.line, "FPS: 25.0");
  EXPECT_FALSE(countFpsFrame(counter, 6500));
  EXPECT_TRUE(countFpsFrame(counter, 7500));  // a late frame: 2 over 1.5 s
  EXPECT_STREQ(counter.line, "FPS: 1.3");

  FpsCounter wrapping;
  for (uint32_t now = 0xFFFFFE00u, n = 0; n < 4; ++n, now += 250) countFpsFrame(wrapping, now);
  EXPECT_TRUE(countFpsFrame(wrapping, 0xFFFFFE00u + 1000u));  // the reading wrapped to 488
  EXPECT_STREQ(wrapping.line, "FPS: 4.0");

  FpsBitmap bitmap;
  rasteriseFpsLine("F8", bitmap);
  const char* const drawn[fpsBitmapHeight] = {  // from the top
      "#####..###...", "#ooooo#.oo#..", "#o....#o..#o.", "####...###.o.",
      "#oooo.#.oo#..", "#o....#o..#o.", "#o.....###.o.", ".o......ooo..",
  };
  for (int y = 0; y < fpsBitmapHeight; ++y)
    EXPECT_EQ(row(bitmap, y, 13), drawn[fpsBitmapHeight - 1 - y]) << "row " << y;
  rasteriseFpsLine("FPS: 8888888888888888.8", bitmap);  // cut at the bitmap's edge
  EXPECT_EQ(row(bitmap, 7, fpsBitmapWidth).substr(84), ".###...###...");  // its 16th "8"
}

}  // namespace
