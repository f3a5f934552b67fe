// Linux: the X window the program draws into (its own, the root window, or one handed over
// by XScreenSaver or --window-id), its events, and the X error handling that lets a window
// destroyed under the program end it quietly.
#pragma once

#include <X11/Xlib.h>

#include <string>

#include "host_x11/options.h"

// The drawing target of the run.
struct DrawTarget {
  Display* display = nullptr;
  Window window = 0;
  bool ownWindow = false;   // created here: Escape, q and the close button end the run
  Atom deleteWindow = 0;    // the window manager's close request, for the own window
  int width = 0;            // last known size in pixels
  int height = 0;
};
extern DrawTarget drawTarget;

// Opens the display and finds or creates the window that options name, watching it for
// size changes and destruction. False, with the reason in failure, when that cannot be done.
bool openDrawTarget(const HostOptions& options, std::string& failure);

// What the queued window events mean for the run.
enum class WindowNews {
  nothing,  // keep drawing
  resized,  // drawTarget.width and height changed
  close,    // the user closed the own window
  gone,     // the window was destroyed under the program
};

// Handles every queued event without waiting; the most pressing news of them.
WindowNews takeWindowEvents();

// True once an X request failed because the window no longer exists.
bool drawTargetLost();

// Destroys the own window and closes the display.
void closeDrawTarget();
