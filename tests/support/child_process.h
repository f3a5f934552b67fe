// Helpers of the Linux programs' tests, free of any display system: a program started as a
// child process with its standard error captured, and what a picture of it shows.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Standard output of a shell command line, run with the test's environment (which names the
// private display or sway once one runs).
inline std::string output(const std::string& command) {
  std::string text;
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[65536];
  for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  if (pipe) pclose(pipe);
  return text;
}

// Sleeps for milliseconds.
inline void pause(int milliseconds) { usleep(static_cast<useconds_t>(milliseconds) * 1000); }

// NULL-terminated argv or environ of strings that outlive it.
inline std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> list;
  for (std::string& s : strings) list.push_back(s.data());
  list.push_back(nullptr);
  return list;
}

// A started program with its standard error captured, killed with the object if still running.
class ChildProcess {
 public:
  // Runs path with args and an environment of PATH and the "NAME=VALUE" entries given;
  // closedStandard: descriptors 0, 1 and 2 closed.
  ChildProcess(const std::string& path, const std::vector<std::string>& args,
               const std::vector<std::string>& environment = {}, bool closedStandard = false) {
    char name[] = "/tmp/vorlixss-errors-XXXXXX";
    const int errors = mkstemp(name);
    errorFile_ = name;
    std::vector<std::string> argv = {path};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env = {"PATH=/usr/bin:/bin"};
    env.insert(env.end(), environment.begin(), environment.end());
    pid_ = fork();
    if (pid_ == 0) {
      dup2(errors, 2);
      const int quiet = open("/dev/null", O_WRONLY);
      dup2(quiet, 1);
      if (closedStandard)
        for (int descriptor = 0; descriptor <= 2; ++descriptor) close(descriptor);
      execve(path.c_str(), pointers(argv).data(), pointers(env).data());
      _exit(127);
    }
    close(errors);
  }
  ~ChildProcess() {
    if (pid_ > 0 && !ended_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    unlink(errorFile_.c_str());
  }
  // Waits up to milliseconds for the end; true when it ended. Then exitCode() and errors().
  bool waitEnd(int milliseconds) {
    if (ended_) return true;
    for (int waited = 0; waited <= milliseconds; waited += 10, pause(10)) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) != pid_) continue;
      if (WIFEXITED(status)) exitCode_ = WEXITSTATUS(status);
      return ended_ = true;
    }
    return false;
  }
  // Waits up to milliseconds until every thread of it has begun to exit (or it has ended).
  // NOTE: the kernel then frees its memory, which for the gigabyte of a huge software frame
  // took up to 9 s here on a busy machine: the program's own part is over before that.
  bool waitExiting(int milliseconds) {
    for (int waited = 0; waited <= milliseconds; waited += 10, pause(10))
      if (ended_ || exiting()) return true;
    return false;
  }
  int exitCode() const { return exitCode_; }  // -1 while running or after a signal
  pid_t pid() const { return pid_; }
  std::string errors() const {  // all it wrote to standard error
    std::ifstream in(errorFile_);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  // True when no thread of it runs on: each is a zombie or flagged as exiting (PF_EXITING).
  bool exiting() const {
    const std::string tasks = "/proc/" + std::to_string(pid_) + "/task/";
    DIR* folder = opendir(tasks.c_str());
    if (!folder) return false;
    size_t count = 0;
    bool allExiting = true;
    while (const dirent* task = readdir(folder)) {
      if (task->d_name[0] == '.') continue;
      ++count;
      std::ifstream stat(tasks + task->d_name + "/stat");
      const std::string line((std::istreambuf_iterator<char>(stat)), {});
      const size_t close = line.rfind(')');
      if (close == std::string::npos) continue;  // gone meanwhile
      char state = 0;
      unsigned long flags = 0;
      // After the name: state, then ppid, pgrp, session, tty, tpgid, then the flags.
      if (std::sscanf(line.c_str() + close + 1, " %c %*d %*d %*d %*d %*d %lu", &state, &flags) != 2)
        continue;
      if (state != 'Z' && !(flags & 0x4)) allExiting = false;
    }
    closedir(folder);
    return allExiting && count > 0;
  }

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
