// The command line of the two Linux programs, vorlixss (X11) and vorlixss-wayland: the ten
// settings with the dialog's ranges and defaults, where to draw (XScreenSaver's window, a
// window id, the whole screen or a window of our own) and the extras (--fps, --seed, --delay,
// --quality).
// Portable text handling, so it is unit-tested natively.
#pragma once

#include <cstdint>
#include <string>

#include "render/field/draw_quality.h"
#include "scene/settings.h"

// Which of the two programs reads the command line.
enum class LinuxProgram {
  x11,      // vorlixss: an XScreenSaver module
  wayland,  // vorlixss-wayland: run by an idle daemon such as swayidle
};

// The program's name as its messages and --help give it.
const char* programName(LinuxProgram program);

// Where the program draws.
enum class DrawPlace {
  ownWindow,   // a top-level window of its own
  rootWindow,  // --root: the whole screen (on Wayland every output)
  givenWindow, // XSCREENSAVER_WINDOW or --window-id (X11 only)
};

// The frame timer's period by default (the Windows saver's 10 ms tick) and at most.
constexpr uint32_t defaultDelayMicroseconds = 10000;
constexpr uint32_t largestDelayMicroseconds = 100000;

// The longest wait --idle takes: a day.
constexpr uint32_t largestIdleSeconds = 86400;

// Everything the command line and the environment decide.
struct HostOptions {
  SaverSettings settings = defaultSettings;  // the ten settings
  DrawPlace place = DrawPlace::ownWindow;
  uint32_t windowId = 0;    // the window to draw into, for DrawPlace::givenWindow
  uint32_t width = 1280;    // size of the own window (--geometry WxH)
  uint32_t height = 720;
  bool placed = false;      // --geometry WxH+X+Y: where the own window goes (X11 only)
  int32_t x = 0, y = 0;     // its offsets: from the left and top edges, or, after a minus,
  bool fromRight = false;   // of its right edge from the screen's right edge
  bool fromBottom = false;  // of its bottom edge from the screen's bottom edge
  bool showFps = false;     // --fps: frames per second in a corner
  uint32_t delayMicroseconds = defaultDelayMicroseconds;  // --delay: the frame timer's period
  DrawQuality quality = DrawQuality::automatic;            // --quality: the drawing path
  bool delayGiven = false;    // --delay or --quality given: the user's choice wins on battery
  bool qualityGiven = false;
  bool batterySaver = true;   // --battery-saver: lighter on battery (--no-battery-saver: not)
  uint32_t idleSeconds = 0;  // --idle: wait for this long without input, then the saver
                             // (vorlixss-wayland only); 0: no waiting
  bool lock = false;        // --lock: lock the session, the saver drawn on the lock
                            // (vorlixss-wayland only)
  bool daemonize = false;   // --daemonize: with --lock, return once the session is locked
  bool seeded = false;      // --seed given: the random start is repeatable
  uint32_t seed = 0;
  bool help = false;        // --help or -h: print optionsHelp() and end
  bool version = false;     // --version: print versionLine() and end
};

// What parseOptions decided: the options, or the one line that says what is wrong.
struct ParsedOptions {
  HostOptions options;
  std::string error;  // empty when the command line is good
};

// Reads argv[1..] (options with one or two dashes, values as the next argument or after
// "="), then the environment's XSCREENSAVER_WINDOW (null when unset), which wins over
// --root and --window-id. The Wayland program refuses the X11 window options.
ParsedOptions parseOptions(int argc, const char* const* argv, const char* screensaverWindow,
                           LinuxProgram program = LinuxProgram::x11);

// The text of --help, its settings' ranges and defaults taken from settingTable.
std::string optionsHelp(LinuxProgram program = LinuxProgram::x11);

// "vorlixss 1.0\n": the program's name and the project's version, for --version.
std::string versionLine(LinuxProgram program = LinuxProgram::x11);

// How a run draws: its quality and the frame timer's period.
struct RunPace {
  DrawQuality quality;
  uint32_t delayMicroseconds;
};
// On battery a frame comes at most this often (30 a second).
constexpr uint32_t batteryDelayMicroseconds = 33334;

// The options' pace, on battery lighter unless --no-battery-saver: auto draws the fast path
// and the period is at least batteryDelayMicroseconds; a --quality or --delay given stands.
RunPace paceFor(const HostOptions& options, bool onBattery);

// The random start of a run without --seed: the clock's seconds mixed with what differs
// between processes started in the same second (XScreenSaver starts one per monitor).
uint32_t startSeed(uint32_t seconds, uint32_t processId, uint32_t windowId);
