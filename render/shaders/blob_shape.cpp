// Shape arithmetic of the metaballs, rounded to float where the saver's figures say so.
#include "render/shaders/blob_shape.h"

#include <algorithm>
#include <cmath>

#include "scene/balls.h"

namespace {

// NOTE: the float logf and expf need not be correctly rounded and may differ in the last
// place between C libraries; the double functions rounded once to float agree everywhere.

// ln(x) rounded to float.
float roundedLog(float x) { return static_cast<float>(std::log(static_cast<double>(x))); }

// e^x rounded to float.
float roundedExp(float x) { return static_cast<float>(std::exp(static_cast<double>(x))); }

}  // namespace

float blobExponentFor(uint32_t blobbiness) {
  // Only the two logarithms and the result are rounded to float; rounding the quotient and
  // the product as well moves most slider positions by a unit in the last place.
  const double logValue = roundedLog(static_cast<float>(blobbiness + 1u));
  const double logBase = roundedLog(301.0f);
  return static_cast<float>(3.01 - (logValue / logBase) * 3.0);
}

float blobHeightFor(float exponent) {
  const float e = roundedExp(exponent);
  return e * 0.5f;
}

float falloffScaleFor(float blobHeight) {
  const float ratio = densityThreshold / blobHeight;
  return -roundedLog(ratio);
}

SaverSettings drawableSettings(const SaverSettings& settings) {
  SaverSettings drawn = settings;
  drawn.nBalls = std::clamp<uint32_t>(settings.nBalls, 1, BALL_SLOTS);
  if (drawn.func_type < 0 || drawn.func_type > 2) drawn.func_type = 0;
  return drawn;
}
