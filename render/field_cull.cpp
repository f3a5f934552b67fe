// The bound, tile by tile: no pixel of a tile can hold more density than the floor at the
// tile's lower edge plus every ball's density at the tile's nearest point to it, the tile
// widened by a grid spacing and a pixel, since a filtered pixel mixes grid points that far
// away. Where that sum stays below visibleFrom, the tile is black.
#include "render/field_cull.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

uint8_t marked[cullTilesAcross][cullTilesAcross];  // [row][column], reset per call

// Distance from v to the interval [low, high]: 0 inside it.
float outside(float v, float low, float high) { return v < low ? low - v : v > high ? v - high : 0.0f; }

}  // namespace

float lowestVisibleDensity(bool feather, bool contour) {
  return contour ? 0.2f : feather ? 0.45f : 0.5f;
}

int colouredRects(const CullScene& scene, int width, int height, PixelRect* rects) {
  const int tile = std::max(cullTile, (std::max(width, height) + cullTilesAcross - 1) / cullTilesAcross);
  const int columns = (width + tile - 1) / tile, rows = (height + tile - 1) / tile;
  const float widen = static_cast<float>(scene.spacing) + 1.0f;
  for (int row = 0; row < rows; ++row) {
    const float low = static_cast<float>(row * tile) - widen;
    const float high = static_cast<float>((row + 1) * tile) + widen;
    const float floorY = std::max(0.0f, low);
    const float floorDensity = std::exp(-0.002f * floorY * floorY);
    for (int column = 0; column < columns; ++column) {
      const float left = static_cast<float>(column * tile) - widen;
      const float right = static_cast<float>((column + 1) * tile) + widen;
      float sum = floorDensity;
      for (int i = 0; i < scene.count && sum < scene.visibleFrom; ++i) {
        const float dx = outside(scene.centres[i].x, left, right);
        const float dy = outside(scene.centres[i].y, low, high);
        const float exponent = scene.funcType == 1
                                   ? 100.0f * scene.falloff[i] * std::sqrt(dx * dx + dy * dy)
                                   : scene.falloff[i] * (dx * dx + dy * dy);
        sum += scene.blobHeight * std::exp(-exponent);
      }
      marked[row][column] = sum >= scene.visibleFrom;
    }
  }
  int count = 0;
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns;) {
      if (!marked[row][column]) {
        ++column;
        continue;
      }
      const int first = column;
      while (column < columns && marked[row][column]) ++column;
      rects[count++] = {static_cast<float>(first * tile), static_cast<float>(row * tile),
                        static_cast<float>(std::min(column * tile, width)),
                        static_cast<float>(std::min((row + 1) * tile, height))};
      if (count == cullRectCapacity) {  // a chequerboard of lone tiles: the whole window
        rects[0] = {0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height)};
        return 1;
      }
    }
  }
  return count;
}
