// The Linux program's command line: the ten settings with the dialog's ranges and defaults,
// where to draw (XScreenSaver's window, a window id, the root window or a window of our own)
// and the extras (--fps, --seed). Portable text handling, so it is unit-tested natively.
#pragma once

#include <cstdint>
#include <string>

#include "scene/settings.h"

// Where the program draws.
enum class DrawPlace {
  ownWindow,   // a top-level window of its own
  rootWindow,  // --root
  givenWindow, // XSCREENSAVER_WINDOW or --window-id
};

// Everything the command line and the environment decide.
struct HostOptions {
  SaverSettings settings = defaultSettings;  // the ten settings
  DrawPlace place = DrawPlace::ownWindow;
  uint32_t windowId = 0;    // the window to draw into, for DrawPlace::givenWindow
  uint32_t width = 1280;    // size of the own window (--geometry WxH)
  uint32_t height = 720;
  bool showFps = false;     // --fps: frames per second in a corner
  bool seeded = false;      // --seed given: the random start is repeatable
  uint32_t seed = 0;
  bool help = false;        // --help: print optionsHelp() and end
};

// What parseOptions decided: the options, or the one line that says what is wrong.
struct ParsedOptions {
  HostOptions options;
  std::string error;  // empty when the command line is good
};

// Reads argv[1..] (options with one or two dashes, values as the next argument or after
// "="), then the environment's XSCREENSAVER_WINDOW (null when unset), which wins over
// --root and --window-id.
ParsedOptions parseOptions(int argc, const char* const* argv, const char* screensaverWindow);

// The text of --help, its settings' ranges and defaults taken from settingTable.
std::string optionsHelp();

// The random start of a run without --seed: the clock's seconds mixed with what differs
// between processes started in the same second (XScreenSaver starts one per monitor).
uint32_t startSeed(uint32_t seconds, uint32_t processId, uint32_t windowId);
