// Where the fast path's finish pass can show anything but black: the density and the colour
// a tile can hold are bounded from the balls' centres, so tiles far enough from all of them
// are left to a clear instead of being finished pixel by pixel. Portable, so it is
// unit-tested natively.
#pragma once

#include <cstdint>

#include "scene/balls.h"

// A rectangle of window pixels, origin bottom-left.
struct PixelRect {
  float x0, y0, x1, y1;
};

// Tiles are a whole number of grid spacings near cullTile pixels wide, or wider on a window of
// more than cullTilesAcross of them, so that each tile's grid points are its own but for the
// row and column on its far edges.
constexpr int cullTile = 8;
constexpr int cullTilesAcross = 256;
// Runs of marked tiles, one row at a time; with more, the whole window is one rectangle
// (a picture that broken up gains nothing from the bound).
constexpr int cullRectCapacity = cullTilesAcross * cullTilesAcross / 8;

// The tiles whose pixels may show colour, one bit each, with the tiling they belong to. The
// ghosting ring keeps one per frame, so that its blend draws only where a frame is lit.
struct TileMask {
  int tile = 0;              // tile side in pixels; 0: unknown, any pixel may be lit
  int points = 0;            // grid spacings a tile side
  int columns = 0, rows = 0;
  uint64_t bits[cullTilesAcross][cullTilesAcross / 64] = {};  // [row][column / 64]
};

// Below this density-weighted colour sum no channel reaches half a level of an 8-bit
// target: the brightest finishing scales the normalised sums by 1.1, and normalising never
// raises a channel since the fourth component is 1.
constexpr float invisibleColour = 0.45f / 255.0f / 1.1f;

// What the bound needs: the drawn balls' centres, colours and fall-offs, the density peak,
// the distance function (0 or 1: exp(-D^2) or exp(-|D|)), the lowest total density that
// shows colour, and the grid spacing.
struct CullScene {
  const Vec3* centres;
  const Vec3* colours;
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

// Marks in lit the tiles of a width x height window where the finishing can show colour: every
// pixel outside them has, at both grid points it is filtered from along each axis, a total
// density below visibleFrom or a colour sum below invisibleColour, so the finishing leaves it
// black.
void markLitTiles(const CullScene& scene, int width, int height, TileMask& lit);

// Writes the rectangles of window pixels of lit's tiles into finish and, when field is given,
// those of the grid points (spacing pixels apart) that the finish reads there into field (in
// points, origin the lower-left point), and returns their number (the same for both). One
// rectangle over the whole window when lit is unknown or breaks into more than fit.
int litTileRects(const TileMask& lit, int width, int height, int spacing, PixelRect* finish,
                 PixelRect* field);

// Both: the tiles of the scene marked in lit, and their rectangles.
int colouredRects(const CullScene& scene, int width, int height, TileMask& lit,
                  PixelRect* finish, PixelRect* field);

// Adds the tiles of from to into; false when either is unknown or they tile the window apart
// (another size or grid), and into is then left as it was.
bool addLitTiles(TileMask& into, const TileMask& from);
