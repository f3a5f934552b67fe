// The bound, tile by tile. A tile's pixels are filtered from the grid points on the tile and
// its edges, and none of those holds more density than the floor at the tile's lower edge
// plus every ball's density at the tile's nearest point to it, nor more colour than those
// densities times each ball's brightest channel. Where the density stays below visibleFrom,
// or the colour below invisibleColour, the tile is black.
// A ball's density at the nearest point factors into a column part and a row part, so the
// exponentials are taken once per column and row, not once per tile.
#include "render/field/field_cull.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "render/field/field_grid.h"

namespace {

// Each ball's factor per column and per row. exp(-D^2) factors exactly; exp(-|D|) is bounded
// by both min(along x, along y), as |D| >= max(dx, dy), and (diagonal x) * (diagonal y), as
// |D| >= (dx + dy) / sqrt(2).
float alongX[BALL_SLOTS][cullTilesAcross], alongY[BALL_SLOTS][cullTilesAcross];
float diagonalX[BALL_SLOTS][cullTilesAcross], diagonalY[BALL_SLOTS][cullTilesAcross];

// Distance from v to the interval [low, high]: 0 inside it.
float outside(float v, float low, float high) {
  return v < low ? low - v : v > high ? v - high : 0.0f;
}

// One axis's factors of every ball for tiles of the given size.
void axisFactors(const CullScene& scene, int axis, int tiles, int tile,
                 float (&along)[BALL_SLOTS][cullTilesAcross],
                 float (&diagonal)[BALL_SLOTS][cullTilesAcross]) {
  for (int i = 0; i < scene.count; ++i) {
    const float centre = axis == 0 ? scene.centres[i].x : scene.centres[i].y;
    for (int t = 0; t < tiles; ++t) {
      const float d =
          outside(centre, static_cast<float>(t * tile), static_cast<float>((t + 1) * tile));
      if (scene.funcType == 1) {
        along[i][t] = std::exp(-100.0f * scene.falloff[i] * d);
        diagonal[i][t] = std::exp(-100.0f * scene.falloff[i] * d * 0.70710677f);
      } else {
        along[i][t] = std::exp(-scene.falloff[i] * d * d);
      }
    }
  }
}

bool marked(const TileMask& mask, int row, int column) {
  return (mask.bits[row][column / 64] >> (column % 64)) & 1u;
}

// Writes the runs of marked tiles, one row at a time, as window pixels into finish and, when
// field is given, as the grid points they read into field; -1 when more than fit.
int tileRuns(const TileMask& mask, int width, int height, int pointsAcross, int pointsUp,
             PixelRect* finish, PixelRect* field) {
  const int tile = mask.tile, points = mask.points;
  int count = 0;
  for (int row = 0; row < mask.rows; ++row) {
    for (int column = 0; column < mask.columns;) {
      if (!marked(mask, row, column)) {
        ++column;
        continue;
      }
      const int first = column;
      while (column < mask.columns && marked(mask, row, column)) ++column;
      if (count == cullRectCapacity) return -1;
      finish[count] = {static_cast<float>(first * tile), static_cast<float>(row * tile),
                       static_cast<float>(std::min(column * tile, width)),
                       static_cast<float>(std::min((row + 1) * tile, height))};
      if (field)
        field[count] = {static_cast<float>(first * points), static_cast<float>(row * points),
                        static_cast<float>(std::min(column * points + 1, pointsAcross)),
                        static_cast<float>(std::min((row + 1) * points + 1, pointsUp))};
      ++count;
    }
  }
  return count;
}

}  // namespace

float lowestVisibleDensity(bool feather, bool contour) {
  return contour ? 0.2f : feather ? 0.45f : 0.5f;
}

void markLitTiles(const CullScene& scene, int width, int height, TileMask& lit) {
  const int spacing = std::max(scene.spacing, 1);
  const int fewest = (std::max(width, height) + cullTilesAcross - 1) / cullTilesAcross;
  // Grid spacings a tile side: near cullTile pixels, and no more tiles than the mask holds.
  const int points =
      std::max({1, (cullTile + spacing / 2) / spacing, (fewest + spacing - 1) / spacing});
  const int tile = points * spacing;
  const int columns = (width + tile - 1) / tile, rows = (height + tile - 1) / tile;
  axisFactors(scene, 0, columns, tile, alongX, diagonalX);
  axisFactors(scene, 1, rows, tile, alongY, diagonalY);
  float peak[BALL_SLOTS];
  for (int i = 0; i < scene.count; ++i)
    peak[i] = scene.blobHeight *
              std::max({scene.colours[i].x, scene.colours[i].y, scene.colours[i].z});
  lit.tile = tile;
  lit.points = points;
  lit.columns = columns;
  lit.rows = rows;
  for (int row = 0; row < rows; ++row) {
    const float floorY = static_cast<float>(row * tile);
    const float floorDensity = std::exp(-0.002f * floorY * floorY);
    uint64_t* bits = lit.bits[row];
    for (int word = 0; word < cullTilesAcross / 64; ++word) bits[word] = 0;
    for (int column = 0; column < columns; ++column) {
      float density = 0.0f, colour = 0.0f;
      for (int i = 0; i < scene.count; ++i) {
        const float near = scene.funcType == 1
                               ? std::min({alongX[i][column], alongY[i][row],
                                           diagonalX[i][column] * diagonalY[i][row]})
                               : alongX[i][column] * alongY[i][row];
        density += near;
        colour += near * peak[i];
      }
      if (floorDensity + scene.blobHeight * density >= scene.visibleFrom &&
          colour >= invisibleColour)
        bits[column / 64] |= uint64_t{1} << (column % 64);
    }
  }
}

int litTileRects(const TileMask& lit, int width, int height, int spacing, PixelRect* finish,
                 PixelRect* field) {
  const FieldGrid grid = fieldGridFor(std::max(spacing, 1), width, height);
  const int count =
      lit.tile == 0 ? -1 : tileRuns(lit, width, height, grid.width, grid.height, finish, field);
  if (count >= 0) return count;
  // Unknown, or a chequerboard of lone tiles: the whole window (broken up that far, the bound
  // gains nothing).
  finish[0] = {0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height)};
  if (field) field[0] = {0.0f, 0.0f, static_cast<float>(grid.width), static_cast<float>(grid.height)};
  return 1;
}

int colouredRects(const CullScene& scene, int width, int height, TileMask& lit,
                  PixelRect* finish, PixelRect* field) {
  markLitTiles(scene, width, height, lit);
  return litTileRects(lit, width, height, scene.spacing, finish, field);
}

bool addLitTiles(TileMask& into, const TileMask& from) {
  if (into.tile == 0 || from.tile != into.tile || from.columns != into.columns ||
      from.rows != into.rows)
    return false;
  for (int row = 0; row < into.rows; ++row)
    for (int word = 0; word < cullTilesAcross / 64; ++word)
      into.bits[row][word] |= from.bits[row][word];
  return true;
}
