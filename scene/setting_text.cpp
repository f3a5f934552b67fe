// Settings as people type them.
#include "scene/setting_text.h"

#include <cstring>

bool readWholeNumber(const char* text, uint32_t& value) {
  if (!*text) return false;
  uint64_t number = 0;
  for (const char* c = text; *c; ++c) {
    if (*c < '0' || *c > '9') return false;
    number = number * 10 + static_cast<uint64_t>(*c - '0');
    if (number > UINT32_MAX) return false;
  }
  value = static_cast<uint32_t>(number);
  return true;
}

bool readSwitchWord(const char* text, bool& on) {
  static const char* const words[][2] = {{"1", "0"}, {"on", "off"}, {"true", "false"}, {"yes", "no"}};
  for (const auto& pair : words) {
    for (int off = 0; off < 2; ++off) {
      if (std::strcmp(text, pair[off]) != 0) continue;
      on = off == 0;
      return true;
    }
  }
  return false;
}
