// Helpers of the Linux program's tests.
#include "x11_support.h"

#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

// NULL-terminated argv or environ of strings that outlive it.
std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> list;
  for (std::string& s : strings) list.push_back(s.data());
  list.push_back(nullptr);
  return list;
}

}  // namespace

void pause(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

PrivateDisplay::PrivateDisplay(const std::vector<std::string>& extra) {
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
  char number[16] = {};
  size_t got = 0;
  while (got < sizeof number - 1 && (got == 0 || number[got - 1] != '\n')) {
    const ssize_t part = read(ready[0], number + got, sizeof number - 1 - got);
    if (part <= 0) break;
    got += static_cast<size_t>(part);
  }
  close(ready[0]);
  if (got == 0 || number[got - 1] != '\n') return;  // display() stays null
  name_ = ":" + std::to_string(std::strtol(number, nullptr, 10));
  for (int tries = 0; tries < 500 && !display_; ++tries) {  // a busy machine starts it slowly
    display_ = XOpenDisplay(name_.c_str());
    if (!display_) pause(20);
  }
}

PrivateDisplay::~PrivateDisplay() {
  if (display_) XCloseDisplay(display_);
  if (server_ > 0) {
    kill(server_, SIGTERM);
    waitpid(server_, nullptr, 0);
  }
}

Program::Program(const std::string& display, const std::vector<std::string>& args,
                 const std::vector<std::string>& environment, bool closedStandard) {
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

Program::~Program() {
  if (pid_ > 0 && exitCode_ < 0 && !bySignal_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  unlink(errorFile_.c_str());
}

bool Program::waitEnd(int milliseconds) {
  for (int waited = 0; waited <= milliseconds; waited += 10) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      if (WIFEXITED(status)) exitCode_ = WEXITSTATUS(status);
      bySignal_ = WIFSIGNALED(status);
      return true;
    }
    pause(10);
  }
  return false;
}

void Program::signal(int number) { kill(pid_, number); }

std::string Program::errors() const {
  std::ifstream in(errorFile_);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int runToEnd(const std::string& display, const std::vector<std::string>& args,
             std::string& errors, const std::vector<std::string>& environment,
             bool closedStandard) {
  Program program(display, args, environment, closedStandard);
  if (!program.waitEnd(10000)) return -1;
  errors = program.errors();
  return program.endedBySignal() ? -2 : program.exitCode();
}

Picture grab(Display* display, Window window) {
  XWindowAttributes attributes;
  XGetWindowAttributes(display, window, &attributes);
  Picture picture;
  picture.width = attributes.width;
  picture.height = attributes.height;
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

LitCount countLit(const Picture& picture, int x0, int y0, int w, int h) {
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

int changedPixels(const Picture& a, const Picture& b) {
  int changed = 0;
  for (size_t i = 0; i + 2 < a.rgb.size() && i + 2 < b.rgb.size(); i += 3)
    changed += a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2];
  return changed;
}
