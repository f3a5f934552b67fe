// The ball count that the configuration dialog stores from the text of its count field.
#pragma once

#include <cstdint>

#include "scene/settings.h"

constexpr uint32_t fewestBalls = settingTable[nBallsSetting].low;
constexpr uint32_t mostBalls = settingTable[nBallsSetting].high;

// A whole number (blanks around it allowed) gives itself, moved to the nearest of 1 and 20
// when outside; any other text gives lastValidPosition, the up-down control's own position.
uint32_t ballCountFromText(const char* text, uint32_t lastValidPosition);
