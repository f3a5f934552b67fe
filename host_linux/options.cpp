// The command line of the Linux programs, table-driven: each setting once, with its range.
#include "host_linux/options.h"

#include <algorithm>
#include <cstring>

#include "scene/setting_text.h"

namespace {

// A setting given as a whole number in its range (name, range and default: settingTable).
struct NumberOption {
  SettingIndex index;
  uint32_t SaverSettings::*field;
};
const NumberOption numberOptions[] = {
    {nBallsSetting, &SaverSettings::nBalls},
    {maxRadiusSetting, &SaverSettings::maxRadius},
    {minRadiusSetting, &SaverSettings::minRadius},
    {blobbinessSetting, &SaverSettings::blobbiness},
    {springKSetting, &SaverSettings::springK},
    {dampingSetting, &SaverSettings::damping},
};

// A switch, with its --no- form.
struct SwitchOption {
  SettingIndex index;
  bool SaverSettings::*field;
};
const SwitchOption switchOptions[] = {
    {motionBlurSetting, &SaverSettings::motionBlur},
    {featherSetting, &SaverSettings::feather},
    {contourSetting, &SaverSettings::contour},
};

constexpr uint32_t largestWindowSide = 16384;
constexpr size_t longestQuotedText = 40;  // a value is cut after this many characters

// A window id: hexadecimal after 0x (or 0X), otherwise decimal; never 0.
bool readWindowId(const char* text, uint32_t& id) {
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    const char* digits = text + 2;
    if (!*digits || std::strlen(digits) > 8) return false;
    uint32_t number = 0;
    for (const char* c = digits; *c; ++c) {
      const char d = *c;
      const int nibble = d >= '0' && d <= '9'   ? d - '0'
                         : d >= 'a' && d <= 'f' ? d - 'a' + 10
                         : d >= 'A' && d <= 'F' ? d - 'A' + 10
                                                : -1;
      if (nibble < 0) return false;
      number = number << 4 | static_cast<uint32_t>(nibble);
    }
    id = number;
  } else if (!readWholeNumber(text, id)) {
    return false;
  }
  return id != 0;
}

constexpr uint32_t largestOffset = 32767;  // X's coordinates are 16-bit

// One offset of X's geometry form: '+' (from the left or top) or '-' (from the right or
// bottom), then a whole number, which X lets carry a sign of its own ("+-10"); text moves past it.
bool readOffset(const char*& text, int32_t& offset, bool& fromFar) {
  if (*text != '+' && *text != '-') return false;
  fromFar = *text++ == '-';
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  const size_t length = std::strcspn(text, "+-");
  uint32_t number = 0;
  if (!readWholeNumber(std::string(text, length).c_str(), number) || number > largestOffset)
    return false;
  offset = negative ? -static_cast<int32_t>(number) : static_cast<int32_t>(number);
  text += length;
  return true;
}

// X's WIDTHxHEIGHT[{+-}X{+-}Y] (a leading '=' allowed, as X allows it), each side from 1 to
// largestWindowSide; options change only when all of it is good.
bool readGeometry(const char* text, HostOptions& options) {
  if (*text == '=') ++text;
  const char* cross = std::strchr(text, 'x');
  if (!cross) return false;
  const char* offsets = cross + 1 + std::strcspn(cross + 1, "+-");
  uint32_t width = 0, height = 0;
  if (!readWholeNumber(std::string(text, cross).c_str(), width) ||
      !readWholeNumber(std::string(cross + 1, offsets).c_str(), height) || width < 1 ||
      height < 1 || width > largestWindowSide || height > largestWindowSide)
    return false;
  HostOptions read = options;
  read.width = width;
  read.height = height;
  read.placed = *offsets != '\0';
  if (read.placed && !(readOffset(offsets, read.x, read.fromRight) &&
                       readOffset(offsets, read.y, read.fromBottom) && *offsets == '\0'))
    return false;
  options = read;
  return true;
}

// text in quotes, cut short so that a huge argument still gives a readable line.
std::string quoted(const std::string& text) {
  if (text.size() <= longestQuotedText) return "\"" + text + "\"";
  return "\"" + text.substr(0, longestQuotedText) + "\"... (" + std::to_string(text.size()) +
         " characters)";
}

// "OPTION takes WHAT, not "VALUE"", or without the value when none was given.
std::string takes(const std::string& option, const std::string& what, const char* value) {
  std::string line = option + " takes " + what;
  if (value) line += ", not " + quoted(value);
  return line;
}

std::string rangeText(uint32_t low, uint32_t high) {
  return "a whole number from " + std::to_string(low) + " to " + std::to_string(high);
}

// "(PROGRAM --help lists the options)", the end of the lines about unknown words.
std::string helpHint(LinuxProgram program) {
  return std::string(" (") + programName(program) + " --help lists the options)";
}

// A switch: on alone, off after "no-", or the word after "=" (parseOptions refuses a value
// after "no-", whose valueUsed stays false).
std::string applySwitch(const std::string& option, bool negated, const char* attached,
                        bool& valueUsed, bool& on) {
  on = !negated;
  if (!attached || negated) return "";
  valueUsed = true;
  if (!readSwitchWord(attached, on)) return takes(option, switchWordsText, attached);
  return "";
}

// Reads one option (its name without dashes, as typed with them, its value or null, and
// whether that value came after "="); empty when good, else the line that names the option
// as typed.
std::string applyOption(const std::string& name, const std::string& option, const char* value,
                        bool attached, bool& valueUsed, HostOptions& options,
                        LinuxProgram program) {
  valueUsed = true;
  for (const NumberOption& number : numberOptions) {
    const SettingInfo& setting = settingTable[number.index];
    if (name != setting.option) continue;
    uint32_t n = 0;
    if (!value || !readWholeNumber(value, n) || n < setting.low || n > setting.high)
      return takes(option, rangeText(setting.low, setting.high), value);
    options.settings.*number.field = n;
    return "";
  }
  if (name == settingTable[funcTypeSetting].option) {
    for (int32_t type = 0; type < 3; ++type) {
      if (value && std::strcmp(value, distanceOptionNames[type]) == 0) {
        options.settings.func_type = type;
        return "";
      }
    }
    return takes(option, "exp, abs or cos", value);
  }
  if (name == "seed") {
    if (!value || !readWholeNumber(value, options.seed))
      return takes(option, rangeText(0, UINT32_MAX), value);
    options.seeded = true;
    return "";
  }
  if (name == "delay") {
    uint32_t n = 0;
    if (!value || !readWholeNumber(value, n) || n > largestDelayMicroseconds)
      return takes(option, rangeText(0, largestDelayMicroseconds), value);
    options.delayMicroseconds = n;
    options.delayGiven = true;
    return "";
  }
  if (name == "idle" && program == LinuxProgram::wayland) {
    if (!value || !readWholeNumber(value, options.idleSeconds) || options.idleSeconds < 1 ||
        options.idleSeconds > largestIdleSeconds)
      return takes(option, rangeText(1, largestIdleSeconds) + " seconds", value);
    options.place = DrawPlace::rootWindow;
    return "";
  }
  if (name == "quality") {
    if (!drawQualityFromName(value, options.quality)) return takes(option, drawQualityChoices, value);
    options.qualityGiven = true;
    return "";
  }
  if (name == "window-id" && program == LinuxProgram::wayland) {
    valueUsed = false;
    return option + " names an X11 window, and vorlixss-wayland draws on Wayland (on X11, "
                    "vorlixss draws into a window)";
  }
  if (name == "window-id") {
    if (!value || !readWindowId(value, options.windowId))
      return takes(option, "a window id (decimal, or hexadecimal after 0x)", value);
    options.place = DrawPlace::givenWindow;
    return "";
  }
  if (name == "geometry") {
    if (!value || !readGeometry(value, options))
      return takes(option,
                   "WIDTHxHEIGHT (each from 1 to " + std::to_string(largestWindowSide) +
                       ") or WIDTHxHEIGHT+X+Y",
                   value);
    return "";
  }

  // The rest take no value, but a switch takes a word after "=".
  valueUsed = false;
  const bool negated = name.compare(0, 3, "no-") == 0;
  const std::string base = negated ? name.substr(3) : name;
  const char* word = attached ? value : nullptr;
  for (const SwitchOption& s : switchOptions)
    if (base == settingTable[s.index].option)
      return applySwitch(option, negated, word, valueUsed, options.settings.*s.field);
  if (base == "fps") return applySwitch(option, negated, word, valueUsed, options.showFps);
  if (base == "battery-saver")
    return applySwitch(option, negated, word, valueUsed, options.batterySaver);
  if (!negated && program == LinuxProgram::wayland && (name == "lock" || name == "daemonize")) {
    (name == "lock" ? options.lock : options.daemonize) = true;
    if (name == "lock") options.place = DrawPlace::rootWindow;
    return "";
  }
  if (!negated && name == "root") {
    options.place = DrawPlace::rootWindow;
    return "";
  }
  if (!negated && (name == "help" || name == "h")) {
    options.help = true;
    return "";
  }
  if (!negated && name == "version") {
    options.version = true;
    return "";
  }
  return "unknown option " + quoted(option) + helpHint(program);
}

}  // namespace

const char* programName(LinuxProgram program) {
  return program == LinuxProgram::wayland ? "vorlixss-wayland" : "vorlixss";
}

ParsedOptions parseOptions(int argc, const char* const* argv, const char* screensaverWindow,
                           LinuxProgram program) {
  ParsedOptions parsed;
  HostOptions& options = parsed.options;
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (argument[0] != '-' || argument[1] == '\0') {
      parsed.error = "unexpected argument " + quoted(argument) + helpHint(program);
      return parsed;
    }
    const char* name = argument + (argument[1] == '-' ? 2 : 1);
    const char* equals = std::strchr(name, '=');
    const std::string bare = equals ? std::string(name, equals) : std::string(name);
    const std::string typed = equals ? std::string(argument, equals) : std::string(argument);
    const char* value = equals ? equals + 1 : (i + 1 < argc ? argv[i + 1] : nullptr);
    bool valueUsed = false;
    parsed.error = applyOption(bare, typed, value, equals != nullptr, valueUsed, options, program);
    if (!parsed.error.empty()) return parsed;
    if (equals && !valueUsed) {
      parsed.error = typed + " takes no value";
      return parsed;
    }
    if (valueUsed && !equals) ++i;
  }
  if (options.daemonize && !options.lock) {
    parsed.error = "--daemonize goes with --lock (it returns once the session is locked)";
    return parsed;
  }
  if (options.lock && options.idleSeconds > 0) {
    parsed.error = "--lock and --idle do not go together (swayidle starts the lock: see --help)";
    return parsed;
  }
  if (program == LinuxProgram::x11 && screensaverWindow && *screensaverWindow) {
    if (!readWindowId(screensaverWindow, options.windowId)) {
      parsed.error = takes("XSCREENSAVER_WINDOW", "a window id (decimal, or hexadecimal after 0x)",
                           screensaverWindow);
      return parsed;
    }
    options.place = DrawPlace::givenWindow;
  }
  return parsed;
}

namespace {

// The settings in --help's order, each with what it sets; names, ranges and defaults come
// from settingTable.
struct HelpRow {
  SettingIndex index;
  const char* what;
};
const HelpRow settingsHelp[] = {
    {nBallsSetting, "balls drawn"},
    {funcTypeSetting, "a ball's field"},
    {maxRadiusSetting, "largest ball radius in pixels"},
    {minRadiusSetting, "smallest ball radius in pixels"},
    {blobbinessSetting, "how far apart balls melt together"},
    {springKSetting, "spring stiffness"},
    {dampingSetting, "damping"},
    {motionBlurSetting, "motion trails"},
    {featherSetting, "soft rim around the blobs"},
    {contourSetting, "outline just outside the blobs"},
};

// text padded with blanks to width columns (at least one blank after it).
std::string padded(std::string text, size_t width) {
  text += ' ';
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

// One setting's line of --help.
std::string helpLine(const HelpRow& row) {
  const SettingInfo& s = settingTable[row.index];
  const std::string option = std::string("  --") + s.option;
  if (row.index == funcTypeSetting)
    return padded(option + " F", 25) + row.what + ": " + distanceOptionNames[0] +
           " (exp(-D^2)), " + distanceOptionNames[1] + " (exp(-|D|)), " + distanceOptionNames[2] +
           " [" + distanceOptionNames[s.fallback] + "]\n";
  if (s.high == 1)  // a switch
    return padded(option + ", --no-" + s.option, 30) + row.what +
           (s.fallback ? " [on]\n" : " [off]\n");
  return padded(option + " N", 25) + row.what + ", " + std::to_string(s.low) + " to " +
         std::to_string(s.high) + " [" + std::to_string(s.fallback) + "]\n";
}

}  // namespace

std::string optionsHelp(LinuxProgram program) {
  const bool wayland = program == LinuxProgram::wayland;
  std::string help = std::string("Usage: ") + programName(program) + " [OPTION]...\n" +
      "Coloured 2D metaballs: twenty balls drift under spring physics and melt into blobs.\n"
      "\n"
      "Where it draws (by default a window of its own):\n";
  help += wayland
      ? "  --root                 over every output, as a screen saver: the first key, button,\n"
        "                         touch or pointer travel of more than 4 pixels ends it\n"
        "  --idle SECONDS         stay in the background and be the saver (as --root) after\n"
        "                         SECONDS without input, again at each idle spell: for\n"
        "                         desktops without an idle program (GNOME); 1 to " +
            std::to_string(largestIdleSeconds) + "\n"
        "  --lock                 lock the session (ext-session-lock-v1) with the picture on\n"
        "                         every output; your password (checked by PAM) and Enter\n"
        "                         unlock it, Backspace removes a character, Escape clears\n"
        "  --daemonize            with --lock: return once the session is locked\n"
        "                         The saver after 5 idle minutes, the lock after 10 and before\n"
        "                         the machine sleeps (the saver with '&': swayidle -w waits\n"
        "                         for each command to end):\n"
        "  swayidle -w timeout 300 'vorlixss-wayland --root &' \\\n"
        "    timeout 600 'vorlixss-wayland --lock --daemonize' \\\n"
        "    before-sleep 'vorlixss-wayland --lock --daemonize'\n"
        "  --geometry WxH[+X+Y]   size of its own window (1280x720); Wayland lets only the\n"
        "                         compositor place windows, so +X+Y is ignored\n"
      : "  --root                 on the root window\n"
        "  --window-id ID         into the window ID (decimal, or hexadecimal after 0x)\n"
        "  --geometry WxH[+X+Y]   size (1280x720) and place of its own window; -X, -Y: from\n"
        "                         the right or bottom edge\n"
        "  XSCREENSAVER_WINDOW    in the environment: into that window, whatever else is given\n";
  help += "\nSettings (defaults in brackets):\n";
  for (const HelpRow& row : settingsHelp) help += helpLine(row);
  help +=
      "  (each ball's radius lies between the two radii, which may come in either order)\n"
      "\n"
      "Other:\n"
      "  --fps, --no-fps        show the frame rate in a corner [off]\n"
      "  --delay N              microseconds between frames, 0 to " +
      std::to_string(largestDelayMicroseconds) + " [" +
      std::to_string(defaultDelayMicroseconds) + "]\n" +
      "  --quality Q            auto, exact or fast [auto]: exact sums every ball at every\n"
      "                         pixel, fast on a coarse grid at a fraction of the cost; auto\n"
      "                         keeps exact where it costs the machine little\n"
      "  --battery-saver, --no-battery-saver\n"
      "                         on battery, draw fast and at most 30 frames a second where\n"
      "                         --quality and --delay are not given [on]\n"
      "  --seed N               repeatable start (0 to 4294967295); without it each run\n"
      "                         starts apart, even several in the same second\n"
      "  -h, --help             this text\n"
      "  --version              the program's name and version\n"
      "\n"
      "Options take one or two dashes; a value follows as the next argument or after '='.\n"
      "A switch also takes " + switchWordsText + " after '=' (--ghosting=on).\n"
      "In its own window, Escape or q ends the program.\n";
  return help;
}

std::string versionLine(LinuxProgram program) {
  return std::string(programName(program)) + " " + VORLIX_VERSION + "\n";
}

RunPace paceFor(const HostOptions& options, bool onBattery) {
  RunPace pace{options.quality, options.delayMicroseconds};
  if (!onBattery || !options.batterySaver) return pace;
  if (!options.qualityGiven && pace.quality == DrawQuality::automatic) pace.quality = DrawQuality::fast;
  if (!options.delayGiven) pace.delayMicroseconds = std::max(pace.delayMicroseconds, batteryDelayMicroseconds);
  return pace;
}

// NOTE: the multipliers are large odd constants and the final steps a common integer
// finaliser, so that processes one apart in id or window get unrelated seeds.
uint32_t startSeed(uint32_t seconds, uint32_t processId, uint32_t windowId) {
  uint32_t mix = seconds ^ processId * 0x9E3779B1u ^ windowId * 0x85EBCA77u;
  mix ^= mix >> 16;
  mix *= 0x7FEB352Du;
  mix ^= mix >> 15;
  mix *= 0x846CA68Bu;
  mix ^= mix >> 16;
  return mix;
}
