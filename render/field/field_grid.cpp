// The grid spacing from the shape of a lone ball's field at its edge: bilinear filtering
// misses the field by about spacing^2 / 8 times its second derivative, which moves the edge
// by that over the slope, so the spacing is kept where the slope-relative curvature q gives
// spacing^2 * q / 8 <= 1/2.
#include "render/field/field_grid.h"

#include <algorithm>
#include <cmath>

#include "render/shaders/blob_shape.h"

int fieldSpacingFor(const SaverSettings& settings) {
  if (settings.func_type == 2) return 0;  // cos(D^2): rings ever closer, finer than any grid
  // The falloff scale is the blob exponent itself: every ball's edge lies at its radius.
  const double k = blobExponentFor(settings.blobbiness);
  const double radius = std::max(1u, std::min(settings.minRadius, settings.maxRadius));
  // exp(-D^2): q = |2k - 1| / r at the edge, at least 1 / r where the field flattens out;
  // exp(-|D|): q = 100 k / r^2.
  const double q = settings.func_type == 1 ? 100.0 * k / (radius * radius)
                                           : std::max(std::fabs(2.0 * k - 1.0), 1.0) / radius;
  const int spacing = static_cast<int>(std::floor(2.0 / std::sqrt(q)));
  return spacing < 2 ? 0 : std::min(spacing, widestFieldSpacing);
}

FieldGrid fieldGridFor(int spacing, int windowWidth, int windowHeight) {
  FieldGrid grid;
  if (spacing <= 0) return grid;
  grid.spacing = spacing;
  // Point j stands for window x = j * spacing; the last one at or past the right edge.
  grid.width = (std::max(windowWidth, 1) + spacing - 1) / spacing + 1;
  grid.height = (std::max(windowHeight, 1) + spacing - 1) / spacing + 1;
  // Texel j's centre is (j + 1/2) / width: x / spacing points in, plus half a texel.
  grid.scale[0] = 1.0f / static_cast<float>(spacing * grid.width);
  grid.scale[1] = 1.0f / static_cast<float>(spacing * grid.height);
  grid.offset[0] = 0.5f / static_cast<float>(grid.width);
  grid.offset[1] = 0.5f / static_cast<float>(grid.height);
  return grid;
}
