// The ten user settings: one process-wide record of raw control positions, and the
// operations that load it from and save it to the per-user registry key.
// Load and save copy numbers unchanged; consumers derive physical values themselves.
#pragma once

#include <cstdint>

struct SaverSettings {
  uint32_t nBalls;      // balls in the metaball field (the shader's MAX_BALLS)
  bool motionBlur;      // ghosting through the frame ring
  bool feather;         // soft band just outside the blob edge
  bool contour;         // line where the density is near half the threshold
  uint32_t blobbiness;  // slider position from which the peak height is derived
  uint32_t maxRadius;   // upper bound of a ball's random radius, pixels
  uint32_t minRadius;   // lower bound of a ball's random radius, pixels
  uint32_t springK;     // spring stiffness slider position
  uint32_t damping;     // damping slider position
  int32_t func_type;    // distance function: 0 exp(-D^2), 1 exp(-|D|), 2 cos(D)
};

// What a fresh account gets, field by field.
constexpr SaverSettings defaultSettings{12, false, false, false, 1, 50, 30, 20, 0, 0};

// The process-wide record: all zero until the first load.
extern SaverSettings saverSettings;

// Registry location, under HKEY_CURRENT_USER.
constexpr const char* settingsKeyPath = "Software\\Tamrune\\VorlixSS\\v1.0";

// Value names in load and save order.
constexpr int settingCount = 10;
extern const char* const settingNames[settingCount];

// The record as the ten stored numbers, in store order (switches as 0 or 1), and back
// (a switch is true for any non-zero number).
void settingsToNumbers(const SaverSettings& settings, uint32_t (&numbers)[settingCount]);
SaverSettings settingsFromNumbers(const uint32_t (&numbers)[settingCount]);

// Fills every field of saverSettings from the store, or from its default. Never fails.
void loadSettings();

// Writes all ten fields to the store; true when the key opened and every write succeeded.
bool saveSettings();
