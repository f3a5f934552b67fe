// Helpers of the Linux program's tests: a private Xvfb, the real vorlixss started as a
// child process, and what its picture shows.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <string>
#include <vector>

// An Xvfb of its own (never $DISPLAY), stopped with the object.
class PrivateDisplay {
 public:
  // extra: more Xvfb arguments, such as "-extension GLX".
  explicit PrivateDisplay(const std::vector<std::string>& extra = {});
  ~PrivateDisplay();
  const std::string& name() const { return name_; }  // ":N"
  Display* display() const { return display_; }      // the test's connection; null on failure

 private:
  pid_t server_ = -1;
  std::string name_;
  Display* display_ = nullptr;
};

// A started vorlixss with its standard error captured.
class Program {
 public:
  // Runs build/linux/vorlixss with args on display (an empty name leaves DISPLAY unset);
  // environment entries "NAME=VALUE" added; closedStandard: descriptors 0, 1 and 2 closed.
  Program(const std::string& display, const std::vector<std::string>& args,
          const std::vector<std::string>& environment = {}, bool closedStandard = false);
  ~Program();
  // Waits up to milliseconds for the end; true when it ended. Then exitCode() and errors().
  bool waitEnd(int milliseconds);
  void signal(int number);
  int exitCode() const { return exitCode_; }        // -1 while running or after a signal
  bool endedBySignal() const { return bySignal_; }
  pid_t pid() const { return pid_; }
  std::string errors() const;                        // all it wrote to standard error

 private:
  pid_t pid_ = -1;
  std::string errorFile_;
  int exitCode_ = -1;
  bool bySignal_ = false;
};

// Runs vorlixss to its end (at most 10 s) and gives the exit code and standard error.
int runToEnd(const std::string& display, const std::vector<std::string>& args,
             std::string& errors, const std::vector<std::string>& environment = {},
             bool closedStandard = false);

// A window's picture: width x height pixels of red, green, blue, top row first.
struct Picture {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
};
Picture grab(Display* display, Window window);

// Pixels of the region (x, y from the top-left, w x h) whose brightest channel is above 40,
// and the hue sectors (of six) that hold at least a tenth of them.
struct LitCount {
  int lit = 0;
  int sectors = 0;
};
LitCount countLit(const Picture& picture, int x, int y, int w, int h);

// Pixels that differ between two pictures of the same size.
int changedPixels(const Picture& a, const Picture& b);

// Sleeps for milliseconds.
void pause(int milliseconds);
