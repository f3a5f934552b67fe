// The metaball fragment shader, put together from fixed pieces chosen by nBalls, func_type,
// feather and contour.
#pragma once

#include <string>

#include "scene/settings.h"

// The complete fragment shader text for the given settings (no bound applied to nBalls,
// no density line for a func_type outside 0 to 2).
std::string composeMetaballShader(const SaverSettings& settings);

// The coarse-field drawing, in two passes over one smooth field: the field pass writes the
// density-weighted colour and the total density of grid points (uniform fieldSpacing, in
// pixels) as RGB and A; the finish pass reads them back filtered at every pixel (uniforms
// field, fieldScale, fieldOffset) and colours it with the very text of the exact shader's end.
std::string composeFieldShader(const SaverSettings& settings);
std::string composeFinishShader(const SaverSettings& settings);

// The same for the process-wide settings record.
inline std::string composeMetaballShader() { return composeMetaballShader(saverSettings); }
