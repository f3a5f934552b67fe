// The shape of the metaballs as numbers: peak height and fall-off derived from the
// blobbiness setting and the radii, and the settings as the scene draws them.
#pragma once

#include <cstdint>

#include "scene/settings.h"

// blobExponent: 3.01 - 3 * log301(blobbiness + 1), from 3.01 (0) down to 0.01 (300).
float blobExponentFor(uint32_t blobbiness);

// blobHeight: the density peak, 0.5 * e^exponent.
float blobHeightFor(float exponent);

// The fall-off scale k = -ln(THRESHOLD / blobHeight); falloff[i] = k / radius^2.
float falloffScaleFor(float blobHeight);

// A lone ball's density threshold, the shader's THRESHOLD.
constexpr float densityThreshold = 0.5f;

// The settings as the scene draws them: between 1 and 20 balls (the shader arrays need at
// least one element, and only 20 are uploaded), and an unknown distance function drawn as
// exp(-D^2) so that the density is always written. The record itself stays as loaded.
SaverSettings drawableSettings(const SaverSettings& settings);
