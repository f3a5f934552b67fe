// The ten user settings: a record of raw control positions, and the operations that load the
// Windows saver's record from and save it to the per-user registry key.
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

// The Windows saver's record (its scene's, scene/saver_scene.cpp): all zero until the first load.
extern SaverSettings& saverSettings;

// Registry location, under HKEY_CURRENT_USER.
constexpr const char* settingsKeyPath = "Software\\Tamrune\\VorlixSS\\v1.0";

constexpr int settingCount = 10;

// Positions in store order, which is also the order of settingTable.
enum SettingIndex : int {
  nBallsSetting, motionBlurSetting, featherSetting, contourSetting, blobbinessSetting,
  maxRadiusSetting, minRadiusSetting, springKSetting, dampingSetting, funcTypeSetting,
};

// One setting as every host offers it. The dialog, the Linux options with their --help and
// the web page all take their names, ranges and defaults from here.
struct SettingInfo {
  const char* stored;  // value name in the settings key
  const char* option;  // Linux option and page parameter, without dashes
  const char* label;   // the configuration dialog's label
  uint32_t low, high;  // what the dialog and the options accept (a switch: 0 or 1)
  uint32_t fallback;   // what a fresh account gets
};

constexpr SettingInfo settingTable[settingCount] = {
    {"nBalls", "count", "How many balls:", 1, 20, 12},
    {"motionBlur", "ghosting", "Ghosting", 0, 1, 0},
    {"feather", "feather", "Feather", 0, 1, 0},
    {"contour", "contour", "Contours", 0, 1, 0},
    {"blobbiness", "blobbiness", "Blobbiness", 0, 300, 1},
    {"maxRadius", "max-radius", "Max Radius", 10, 200, 50},
    {"minRadius", "min-radius", "Min Radius", 10, 200, 30},
    {"springK", "spring", "Spring K (stiffness)", 0, 200, 20},
    {"damping", "damping", "Damping", 0, 100, 0},
    {"func_type", "distance", "Distance Func:", 0, 2, 0},
};

// The distance functions in func_type order: the option's values and the dialog's labels.
constexpr const char* distanceOptionNames[3] = {"exp", "abs", "cos"};
constexpr const char* distanceLabels[3] = {"exp( - D\u00b2 )", "exp( - |D| )", "cos( D )"};

// What a fresh account gets, field by field.
constexpr SaverSettings defaultSettings{
    settingTable[nBallsSetting].fallback,      settingTable[motionBlurSetting].fallback != 0,
    settingTable[featherSetting].fallback != 0, settingTable[contourSetting].fallback != 0,
    settingTable[blobbinessSetting].fallback,  settingTable[maxRadiusSetting].fallback,
    settingTable[minRadiusSetting].fallback,   settingTable[springKSetting].fallback,
    settingTable[dampingSetting].fallback,
    static_cast<int32_t>(settingTable[funcTypeSetting].fallback),
};

// The record as the ten stored numbers, in store order (switches as 0 or 1), and back
// (a switch is true for any non-zero number).
void settingsToNumbers(const SaverSettings& settings, uint32_t (&numbers)[settingCount]);
SaverSettings settingsFromNumbers(const uint32_t (&numbers)[settingCount]);

// Fills every field of saverSettings from the store, or from its default. Never fails.
void loadSettings();

// Writes all ten fields to the store; true when the key opened and every write succeeded.
bool saveSettings();
