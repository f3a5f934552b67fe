// Prints the desktop's metaball fragment text for settings given as OPTION=NUMBER words
// (the page's option names; distance as 0 to 2), so that the page's text can be held to it.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "render/shaders/shader_composer.h"
#include "scene/settings.h"

int main(int argc, char** argv) {
  uint32_t numbers[settingCount];
  settingsToNumbers(defaultSettings, numbers);
  for (int i = 1; i < argc; ++i) {
    const char* equals = std::strchr(argv[i], '=');
    int found = -1;
    for (int s = 0; s < settingCount && equals; ++s)
      if (std::strncmp(argv[i], settingTable[s].option, equals - argv[i]) == 0 &&
          settingTable[s].option[equals - argv[i]] == '\0')
        found = s;
    if (found < 0) {
      std::fprintf(stderr, "composed_shader: not OPTION=NUMBER: %s\n", argv[i]);
      return 2;
    }
    numbers[found] = static_cast<uint32_t>(std::strtoul(equals + 1, nullptr, 10));
  }
  std::fputs(composeMetaballShader(settingsFromNumbers(numbers)).c_str(), stdout);
  return 0;
}
