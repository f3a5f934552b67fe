// Judging the saver's picture from screenshots of the desktop: lit pixels, their hues and
// how much moved between two shots.
#pragma once

#include "test_window.h"

// Rows at the bottom of the screen where the floor glow lights dim pixels of its own.
constexpr int floorRows = 80;

// A pixel inside a blob has a fully saturated colour whose brightest channel is far above
// this; the black outside is 0.
constexpr int litLow = 38;

// Hue sectors of 60 degrees: red, yellow, green, cyan, blue, magenta.
constexpr int hueSectors = 6;

// What the tests read from the picture above the floor rows.
struct PictureCounts {
  int lit = 0;                      // pixels whose brightest channel is litLow or more
  int perSector[hueSectors] = {};   // lit pixels in each hue sector
  double referenceHue = -1.0;       // hue of the first coloured lit pixel
  double widestHueGap = 0.0;        // largest hue distance of a lit pixel from it, 0..180
};

// Hue in degrees 0..360 of a pixel's red, green and blue; -1 for a grey.
double hueOf(int r, int g, int b);

// Lit pixels and their hues above the floor rows.
PictureCounts countPicture(const Screen& screen);

// The counts of the shot with more lit pixels: a lone ball may be passing the floor's rows,
// left out, in one of them.
PictureCounts countFullerPicture(const Screen& first, const Screen& second);

// Pixels whose colour differs between two screenshots of the same size.
int changedPixels(const Screen& a, const Screen& b);

// Hue sectors holding at least minimum lit pixels.
int sectorsWithAtLeast(const PictureCounts& counts, int minimum);

// Runs the real saver full-screen and takes two screenshots a second apart, once its first
// frames are past. False (with the reason in failure) when it showed no window or ended early.
bool screenshotsOfSaver(Screen& first, Screen& second, std::string& failure);

// Writes the part of a screenshot inside area as a 24-bit BMP file.
bool writeBitmap(const std::string& path, const Screen& screen, const RECT& area);
