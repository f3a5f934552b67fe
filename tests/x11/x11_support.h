// Helpers of the Linux program's tests: a private Xvfb, the real vorlixss started as a
// child process, and what its picture shows.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Sleeps for milliseconds.
inline void pause(int milliseconds) { usleep(static_cast<useconds_t>(milliseconds) * 1000); }

// NULL-terminated argv or environ of strings that outlive it.
inline std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> list;
  for (std::string& s : strings) list.push_back(s.data());
  list.push_back(nullptr);
  return list;
}

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
class Program {
 public:
  // Runs build/linux/vorlixss with args on display (an empty name leaves DISPLAY unset);
  // environment entries "NAME=VALUE" added; closedStandard: descriptors 0, 1 and 2 closed.
  Program(const std::string& display, const std::vector<std::string>& args,
          const std::vector<std::string>& environment = {}, bool closedStandard = false) {
    char name[] = "/tmp/vorlixss-errors-XXXXXX";
    const int errors = mkstemp(name);
    errorFile_ = name;
    std::vector<std::string> argv = {VORLIX_PROGRAM};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env = {"PATH=/usr/bin:/bin"};
    if (!display.empty()) env.push_back("DISPLAY=" + display);
    env.insert(env.end(), environment.begin(), environment.end());
    pid_ = fork();
    if (pid_ == 0) {
      dup2(errors, 2);
      const int quiet = open("/dev/null", O_WRONLY);
      dup2(quiet, 1);
      if (closedStandard)
        for (int descriptor = 0; descriptor <= 2; ++descriptor) close(descriptor);
      execve(VORLIX_PROGRAM, pointers(argv).data(), pointers(env).data());
      _exit(127);
    }
    close(errors);
  }
  ~Program() {
    if (pid_ > 0 && !ended_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    unlink(errorFile_.c_str());
  }
  // Waits up to milliseconds for the end; true when it ended. Then exitCode() and errors().
  bool waitEnd(int milliseconds) {
    for (int waited = 0; waited <= milliseconds; waited += 10, pause(10)) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) != pid_) continue;
      if (WIFEXITED(status)) exitCode_ = WEXITSTATUS(status);
      return ended_ = true;
    }
    return false;
  }
  int exitCode() const { return exitCode_; }  // -1 while running or after a signal
  pid_t pid() const { return pid_; }
  std::string errors() const {  // all it wrote to standard error
    std::ifstream in(errorFile_);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  pid_t pid_ = -1;
  std::string errorFile_;
  int exitCode_ = -1;
  bool ended_ = false;
};

// A window's picture: width x height pixels of red, green, blue, top row first.
struct Picture {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
};

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

// Pixels of the region (x, y from the top-left, w x h) whose brightest channel is above 40,
// and the hue sectors (of six) that hold at least a tenth of them.
struct LitCount {
  int lit = 0;
  int sectors = 0;
};
inline LitCount countLit(const Picture& picture, int x0, int y0, int w, int h) {
  LitCount count;
  int perSector[6] = {};
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) {
      const unsigned char* p = &picture.rgb[(static_cast<size_t>(y) * picture.width + x) * 3];
      const int high = std::max({p[0], p[1], p[2]}), low = std::min({p[0], p[1], p[2]});
      if (high <= 40) continue;
      ++count.lit;
      if (high == low) continue;
      double hue = high == p[0]   ? 60.0 * (p[1] - p[2]) / (high - low)
                   : high == p[1] ? 120.0 + 60.0 * (p[2] - p[0]) / (high - low)
                                  : 240.0 + 60.0 * (p[0] - p[1]) / (high - low);
      if (hue < 0) hue += 360.0;
      ++perSector[static_cast<int>(hue / 60.0) % 6];
    }
  for (int n : perSector) count.sectors += n * 10 >= count.lit && n > 0;
  return count;
}

// Pixels that differ between two pictures of the same size.
inline int changedPixels(const Picture& a, const Picture& b) {
  int changed = 0;
  for (size_t i = 0; i + 2 < a.rgb.size() && i + 2 < b.rgb.size(); i += 3)
    changed += a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2];
  return changed;
}
