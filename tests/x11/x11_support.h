// Helpers of the Linux program's tests: a private Xvfb, the real vorlixss started as a
// child process, and what its picture shows.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "../support/child_process.h"

// An Xvfb of its own (never $DISPLAY), stopped with the object.
class PrivateDisplay {
 public:
  // extra: more Xvfb arguments, such as "-extension GLX".
  explicit PrivateDisplay(const std::vector<std::string>& extra = {}) {
    int ready[2];
    if (pipe(ready) != 0) return;
    std::vector<std::string> args = {"Xvfb", "-displayfd", std::to_string(ready[1]), "-nolisten",
                                     "tcp", "-noreset", "-screen", "0", "1024x768x24"};
    args.insert(args.end(), extra.begin(), extra.end());
    server_ = fork();
    if (server_ == 0) {
      close(ready[0]);
      const int quiet = open("/dev/null", O_WRONLY);
      dup2(quiet, 1);
      dup2(quiet, 2);
      execvp("Xvfb", pointers(args).data());
      _exit(127);
    }
    close(ready[1]);
    // NOTE: Xvfb writes the number and its line feed separately, and dies if the second write
    // finds the pipe closed; so read up to the line feed, not just what the first read gives.
    std::string number;
    char digit = 0;
    while (read(ready[0], &digit, 1) == 1 && digit != '\n') number += digit;
    close(ready[0]);
    if (digit != '\n' || number.empty()) return;  // display() stays null
    name_ = ":" + number;
    for (int tries = 0; tries < 500 && !display_; ++tries) {  // a busy machine starts it slowly
      display_ = XOpenDisplay(name_.c_str());
      if (!display_) pause(20);
    }
  }
  ~PrivateDisplay() {
    if (display_) XCloseDisplay(display_);
    if (server_ > 0) {
      kill(server_, SIGTERM);
      waitpid(server_, nullptr, 0);
    }
  }
  const std::string& name() const { return name_; }  // ":N"
  Display* display() const { return display_; }      // the test's connection; null on failure

 private:
  pid_t server_ = -1;
  std::string name_;
  Display* display_ = nullptr;
};

// A started vorlixss with its standard error captured.
class Program : public ChildProcess {
 public:
  // Runs build/linux/vorlixss with args on display (an empty name leaves DISPLAY unset);
  // environment entries "NAME=VALUE" added; closedStandard: descriptors 0, 1 and 2 closed.
  Program(const std::string& display, const std::vector<std::string>& args,
          std::vector<std::string> environment = {}, bool closedStandard = false)
      : ChildProcess(VORLIX_PROGRAM, args, withDisplay(display, environment), closedStandard) {}

 private:
  static std::vector<std::string>& withDisplay(const std::string& display,
                                               std::vector<std::string>& environment) {
    if (!display.empty()) environment.insert(environment.begin(), "DISPLAY=" + display);
    return environment;
  }
};

// The window's picture (Picture: child_process.h).
inline Picture grab(Display* display, Window window) {
  XWindowAttributes attributes;
  XGetWindowAttributes(display, window, &attributes);
  Picture picture{attributes.width, attributes.height, {}};
  XImage* image = XGetImage(display, window, 0, 0, attributes.width, attributes.height,
                            AllPlanes, ZPixmap);
  picture.rgb.resize(static_cast<size_t>(picture.width) * picture.height * 3);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      unsigned char* out = &picture.rgb[(static_cast<size_t>(y) * picture.width + x) * 3];
      out[0] = (pixel >> 16) & 0xFF;
      out[1] = (pixel >> 8) & 0xFF;
      out[2] = pixel & 0xFF;
    }
  XDestroyImage(image);
  return picture;
}
