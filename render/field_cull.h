// Where the fast path's finish pass can show anything but black: the density a tile can hold
// is bounded from the balls' centres, so tiles far enough from all of them are left to a
// clear instead of being finished pixel by pixel. Portable, so it is unit-tested natively.
#pragma once

#include "scene/balls.h"

// A rectangle of window pixels, origin bottom-left.
struct PixelRect {
  float x0, y0, x1, y1;
};

// Tiles are cullTile pixels wide, or wider on a window of more than cullTilesAcross of them.
constexpr int cullTile = 32;
constexpr int cullTilesAcross = 128;
// Runs of marked tiles, one row at a time; with more, the whole window is one rectangle.
constexpr int cullRectCapacity = cullTilesAcross * cullTilesAcross / 2;

// What the bound needs: the drawn balls' centres and fall-offs, the density peak, the
// distance function (0 or 1: exp(-D^2) or exp(-|D|)), the lowest total density that shows
// colour, and the grid spacing (a filtered pixel mixes grid points that far away).
struct CullScene {
  const Vec3* centres;
  const float* falloff;
  int count;
  float blobHeight;
  int funcType;
  float visibleFrom;
  int spacing;
};

// The lowest total density the finishing colours: 0.2 with contours (their band reaches down
// to THRESHOLD / 2 - 0.05), 0.45 with feather, else the threshold 0.5.
float lowestVisibleDensity(bool feather, bool contour);

// Writes the rectangles to finish into rects and returns their number: every pixel outside
// them has a total density below visibleFrom, so the finishing leaves it black.
int colouredRects(const CullScene& scene, int width, int height, PixelRect* rects);
