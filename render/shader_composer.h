// The metaball fragment shader, put together from fixed pieces chosen by nBalls, func_type,
// feather and contour.
#pragma once

#include <string>

#include "scene/settings.h"

// The complete fragment shader text for the given settings (no bound applied to nBalls,
// no density line for a func_type outside 0 to 2).
std::string composeMetaballShader(const SaverSettings& settings);

// The same for the process-wide settings record.
inline std::string composeMetaballShader() { return composeMetaballShader(saverSettings); }
