// Linux: the X window the program draws into (its own, the root window, or one handed over
// by XScreenSaver or --window-id), its events, and the X error handling that lets a window
// destroyed under the program end it quietly.
#pragma once

#include <X11/Xlib.h>

#include <string>

#include "host_linux/options.h"
#include "scene/frame_clock.h"

// The drawing target of the run.
struct DrawTarget {
  Display* display = nullptr;
  Window window = 0;
  bool ownWindow = false;   // created here: Escape, q and the close button end the run
  Atom protocols = 0;       // WM_PROTOCOLS, the type of the window manager's requests
  Atom deleteWindow = 0;    // the window manager's close request, for the own window
  bool mapped = false;      // the window is mapped: there is something to draw for
  int width = 0;            // last known size in pixels
  int height = 0;
};
extern DrawTarget drawTarget;

// Opens the display and finds or creates the window that options name, watching it for
// size changes, mapping and destruction. The own window stays unmapped until showDrawTarget,
// so that a start that fails shows nothing. False, with the reason in failure, when that
// cannot be done.
bool openDrawTarget(const HostOptions& options, std::string& failure);

// Maps the own window once the scene has started (nothing for other windows).
void showDrawTarget();

// What the queued window events mean for the run.
enum class WindowNews {
  nothing,  // keep drawing
  resized,  // drawTarget.width and height changed
  close,    // the user closed the own window
  gone,     // the window was destroyed under the program
};

// Handles every queued event without waiting (drawTarget.mapped follows the window, and an
// unmap restarts clock, the drawing's frame clock), and writes out an X error held back while
// the window still exists; the most pressing news.
WindowNews takeWindowEvents(FrameClock& clock);

// True once an X request failed because the window no longer exists.
bool drawTargetLost();

// Forgets an X error held back, for a start that fails and says why in its own line.
void dropXError();

// Destroys the own window and closes the display.
void closeDrawTarget();
