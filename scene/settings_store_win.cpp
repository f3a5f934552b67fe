// Registry store of the settings: ten REG_DWORD values under one key of the current user.
// The key is opened afresh by every load and save; nothing is cached.
#include "scene/settings.h"

#include <windows.h>

namespace {

// Opens (creating when absent) the settings key; null when it cannot be opened.
HKEY openSettingsKey() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, settingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

// Reads one value as a little-endian 32-bit number, whatever its registry type. Data of
// any size but four bytes counts as absent: longer data does not fit the buffer, and
// shorter data is no number the saver ever wrote.
bool readNumber(HKEY key, const char* name, uint32_t& number) {
  BYTE data[4];
  DWORD size = sizeof data;
  if (RegQueryValueExA(key, name, nullptr, nullptr, data, &size) != ERROR_SUCCESS || size != 4)
    return false;
  number = uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 |
           uint32_t(data[3]) << 24;
  return true;
}

}  // namespace

void loadSettings() {
  uint32_t numbers[settingCount];
  settingsToNumbers(defaultSettings, numbers);
  if (HKEY key = openSettingsKey()) {
    for (int i = 0; i < settingCount; ++i) readNumber(key, settingTable[i].stored, numbers[i]);
    RegCloseKey(key);
  }
  saverSettings = settingsFromNumbers(numbers);
}

bool saveSettings() {
  HKEY key = openSettingsKey();
  if (!key) return false;
  uint32_t numbers[settingCount];
  settingsToNumbers(saverSettings, numbers);
  bool allWritten = true;
  for (int i = 0; i < settingCount; ++i) {
    const BYTE data[4] = {BYTE(numbers[i]), BYTE(numbers[i] >> 8), BYTE(numbers[i] >> 16),
                          BYTE(numbers[i] >> 24)};
    if (RegSetValueExA(key, settingTable[i].stored, 0, REG_DWORD, data, sizeof data) != ERROR_SUCCESS)
      allWritten = false;  // a failed write does not stop the others
  }
  RegCloseKey(key);
  return allWritten;
}
