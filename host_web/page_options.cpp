// The page's settings from text, table-driven like the Linux options: the option names,
// ranges and defaults are settingTable's, the texts of refusals the Linux program's.
#include "host_web/page_options.h"

#include <cstring>

#include "scene/setting_text.h"

namespace {

// "NAME takes WHAT, not "VALUE"".
std::string takes(const char* option, const std::string& what, const char* value) {
  return std::string(option) + " takes " + what + ", not \"" + value + "\"";
}

// Reads value as the setting of row index into number; the accepted forms on failure.
bool readSettingText(int index, const char* value, uint32_t& number, std::string& accepted) {
  const SettingInfo& row = settingTable[index];
  switch (settingKind(index)) {
    case SettingKind::choice:
      for (uint32_t choice = 0; choice < 3; ++choice) {
        if (std::strcmp(value, distanceOptionNames[choice]) != 0) continue;
        number = choice;
        return true;
      }
      accepted = "exp, abs or cos";
      return false;
    case SettingKind::toggle: {
      bool on = false;
      if (readSwitchWord(value, on)) {
        number = on ? 1 : 0;
        return true;
      }
      accepted = switchWordsText;
      return false;
    }
    case SettingKind::number:
      break;
  }
  if (readWholeNumber(value, number) && number >= row.low && number <= row.high) return true;
  accepted = "a whole number from " + std::to_string(row.low) + " to " + std::to_string(row.high);
  return false;
}

// Appends text as a JSON string (the table's texts need only quotes and backslashes escaped).
void appendJsonString(std::string& json, const char* text) {
  json += '"';
  for (const char* c = text; *c; ++c) {
    if (*c == '"' || *c == '\\') json += '\\';
    json += *c;
  }
  json += '"';
}

}  // namespace

SettingKind settingKind(int index) {
  if (index == funcTypeSetting) return SettingKind::choice;
  const SettingInfo& row = settingTable[index];
  return row.low == 0 && row.high == 1 ? SettingKind::toggle : SettingKind::number;
}

int findPageOption(const char* option) {
  for (int i = 0; i < settingCount; ++i)
    if (std::strcmp(option, settingTable[i].option) == 0) return i;
  return -1;
}

std::string applyPageOption(SaverSettings& settings, const char* option, const char* value) {
  const int index = findPageOption(option);
  if (index < 0) return std::string("there is no setting \"") + option + "\"";
  uint32_t number = 0;
  std::string accepted;
  if (!readSettingText(index, value, number, accepted)) return takes(option, accepted, value);
  uint32_t numbers[settingCount];
  settingsToNumbers(settings, numbers);
  numbers[index] = number;
  settings = settingsFromNumbers(numbers);
  return std::string();
}

std::string panelRadiusRule(const SaverSettings& settings) {
  return settings.minRadius > settings.maxRadius ? radiusRuleText : "";
}

std::string readPageSeed(const char* value, uint32_t& seed) {
  if (readWholeNumber(value, seed)) return std::string();
  return takes("seed", "a whole number from 0 to 4294967295", value);
}

int64_t pageOptionValue(const SaverSettings& settings, const char* option) {
  const int index = findPageOption(option);
  if (index < 0) return -1;
  uint32_t numbers[settingCount];
  settingsToNumbers(settings, numbers);
  return numbers[index];
}

std::string settingsTableJson() {
  static const char* const kindNames[] = {"number", "toggle", "choice"};
  std::string json = "[";
  for (int i = 0; i < settingCount; ++i) {
    const SettingInfo& row = settingTable[i];
    json += i ? ",{\"option\":" : "{\"option\":";
    appendJsonString(json, row.option);
    json += ",\"label\":";
    appendJsonString(json, row.label);
    json += ",\"low\":" + std::to_string(row.low) + ",\"high\":" + std::to_string(row.high) +
            ",\"default\":" + std::to_string(row.fallback) + ",\"kind\":\"" +
            kindNames[static_cast<int>(settingKind(i))] + "\"";
    if (settingKind(i) == SettingKind::choice) {
      json += ",\"choices\":[";
      for (int c = 0; c < 3; ++c) {
        if (c) json += ',';
        appendJsonString(json, distanceOptionNames[c]);
      }
      json += "],\"choiceLabels\":[";
      for (int c = 0; c < 3; ++c) {
        if (c) json += ',';
        appendJsonString(json, distanceLabels[c]);
      }
      json += ']';
    }
    json += '}';
  }
  return json + "]";
}
