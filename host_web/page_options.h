// The page's settings as text: one named setting applied from a URL parameter, the panel or
// the browser's storage, against settingTable's option names and ranges, and the table as
// JSON for the panel. Portable, so it is unit-tested natively.
#pragma once

#include <cstdint>
#include <string>

#include "scene/settings.h"

// How a setting is offered on the page.
enum class SettingKind { number, toggle, choice };

// The kind of settingTable[index]: the distance is a choice, a 0..1 range a toggle.
SettingKind settingKind(int index);

// The settingTable row of an option name ("count", "max-radius"); -1 for none.
int findPageOption(const char* option);

// Applies value to the named setting of settings. Empty when good; otherwise the notice
// ("count takes a whole number from 1 to 20, not "99"") and settings unchanged. Numbers are
// whole decimals in the row's range; toggles take 1/0, on/off, true/false, yes/no; the
// distance takes exp, abs or cos. Radii may end up the wrong way round (see panelRadiusRule).
std::string applyPageOption(SaverSettings& settings, const char* option, const char* value);

// The panel's rule, the configuration dialog's: empty when the radii are in order, else
// "Cannot have min radius bigger than max".
std::string panelRadiusRule(const SaverSettings& settings);

// The seed parameter: a whole number from 0 to 4294967295. Empty when good, else the notice.
std::string readPageSeed(const char* value, uint32_t& seed);

// The setting's current value as a number (toggle 0/1, distance 0..2); -1 for no such option.
int64_t pageOptionValue(const SaverSettings& settings, const char* option);

// settingTable for the panel: [{"option","label","low","high","default","kind", and for the
// distance "choices" and "choiceLabels"}...], in table order.
std::string settingsTableJson();
