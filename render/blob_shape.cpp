// Shape arithmetic of the metaballs, each intermediate rounded to float.
#include "render/blob_shape.h"

#include <algorithm>
#include <cmath>

#include "scene/balls.h"

float blobExponentFor(uint32_t blobbiness) {
  const float logValue = std::log(static_cast<float>(blobbiness + 1u));
  const float logBase = std::log(301.0f);
  const float ratio = logValue / logBase;
  return 3.01f - ratio * 3.0f;
}

float blobHeightFor(float exponent) {
  const float e = std::exp(exponent);
  return e * 0.5f;
}

float falloffScaleFor(float blobHeight) {
  const float ratio = densityThreshold / blobHeight;
  return -std::log(ratio);
}

SaverSettings drawableSettings(const SaverSettings& settings) {
  SaverSettings drawn = settings;
  drawn.nBalls = std::clamp<uint32_t>(settings.nBalls, 1, BALL_SLOTS);
  if (drawn.func_type < 0 || drawn.func_type > 2) drawn.func_type = 0;
  return drawn;
}
