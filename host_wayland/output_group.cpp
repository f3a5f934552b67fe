// Linux Wayland: the saver's processes, one per output, and how they end together.
#include "host_wayland/output_group.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host_linux/frame_loop.h"
#include "host_wayland/surface_run.h"
#include "host_wayland/wayland_display.h"

extern char** environ;

namespace {

constexpr uint32_t readyWaitMs = 10000;      // a cover that starts slower holds up no other
constexpr uint32_t keyboardGoneMs = 500;     // no cover got the keyboard back: it went elsewhere
constexpr uint32_t endGraceMs = 250;         // covers ending on SIGTERM, before SIGKILL

// One output's cover.
struct Cover {
  pid_t pid = 0;              // 0: none runs (the slot may still remember its output)
  uint32_t global = 0;        // the output's registry name; 0: a free slot
  int report = -1;            // the read end of its news
  bool ready = false;         // its first frame is shown
  bool leaving = false;       // its output went away: its end is no news
  char focus = 'n';           // its last keyboard news
  int startError = 0;         // errno of the program failing to run itself again, or 0
  uint32_t startedAt = 0;     // millisecond reading of its start
};

// The group's state.
struct Group {
  Cover covers[maxOutputs];
  uint32_t nextIndex = 0;        // the index the next cover gets
  bool keyboardGone = false;     // a cover lost the keyboard and none holds it
  uint32_t keyboardGoneAt = 0;
  int lock = -1;                 // the single-saver lock of this display
} group;

// True when this process now holds the display's saver lock: a second saver on it defers to
// the first.
bool takeLock() {
  group.lock = takeDisplayLock("");
  return group.lock >= 0;
}

// Starts the program again as the cover of output global. False when it cannot be started.
bool startCover(Cover& cover, uint32_t global, char** argv) {
  int news[2];
  if (pipe2(news, O_CLOEXEC) != 0) return false;
  std::vector<std::string> text;
  for (char** entry = environ; *entry; ++entry)
    if (std::strncmp(*entry, coverVariable, std::strlen(coverVariable)) != 0)
      text.emplace_back(*entry);
  text.push_back(std::string(coverVariable) + "=" + std::to_string(global) + ":" +
                 std::to_string(group.nextIndex));
  std::vector<char*> environment;
  for (std::string& entry : text) environment.push_back(entry.data());
  environment.push_back(nullptr);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    // NOTE: only calls safe after a fork until the exec (the signal thread held locks maybe).
    // A cover must not outlive the group, even one killed outright.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(runEnded);
    if (news[1] == coverReportDescriptor)
      fcntl(news[1], F_SETFD, 0);
    else
      dup2(news[1], coverReportDescriptor);
    execve("/proc/self/exe", argv, environment.data());
    // The group says why: 'X' and the errno (a foreign-architecture binary under an
    // emulator, or no /proc, cannot be started again).
    const unsigned char failed[2] = {'X', static_cast<unsigned char>(errno)};
    while (write(coverReportDescriptor, failed, sizeof failed) < 0 && errno == EINTR) {
    }
    _exit(runFailed);
  }
  close(news[1]);
  if (pid < 0) {
    close(news[0]);
    return false;
  }
  fcntl(news[0], F_SETFL, O_NONBLOCK);
  cover = Cover{};
  cover.pid = pid;
  cover.global = global;
  cover.report = news[0];
  cover.startedAt = monotonicMilliseconds();
  ++group.nextIndex;
  return true;
}

// Ends every cover (SIGTERM, then SIGKILL after the grace time), gives back the lock and the
// connection, and says line when there is one; the exit code.
int endGroup(int code, const std::string& line = "") {
  if (!line.empty()) std::fprintf(stderr, "vorlixss-wayland: %s\n", line.c_str());
  for (Cover& cover : group.covers)
    if (cover.pid > 0) kill(cover.pid, SIGTERM);
  const uint32_t started = monotonicMilliseconds();
  for (Cover& cover : group.covers) {
    while (cover.pid > 0 && waitpid(cover.pid, nullptr, WNOHANG) == 0) {
      if (monotonicMilliseconds() - started > endGraceMs) {
        kill(cover.pid, SIGKILL);
        waitpid(cover.pid, nullptr, 0);
        break;
      }
      usleep(5000);
    }
    if (cover.report >= 0) close(cover.report);
    cover = Cover{};
  }
  disconnectWayland();
  if (group.lock >= 0) close(group.lock);
  group.lock = -1;
  return code;
}

// The name of a cover's output for a line about it.
std::string outputName(const Cover& cover) {
  const WaylandOutput* output = findOutput(cover.global);
  return output && output->name[0] ? output->name : "#" + std::to_string(cover.global);
}

// A cover's process has ended: -1 when the group goes on, else the group's exit code (its
// line said).
int coverEnded(Cover& cover) {
  int status = 0;
  waitpid(cover.pid, &status, 0);
  close(cover.report);
  const Cover ended = cover;
  // The slot keeps its output while the output lasts, so that it gets no second cover.
  cover.pid = 0;
  cover.report = -1;
  if (ended.leaving) {
    cover = Cover{};
    return -1;
  }
  if (WIFSIGNALED(status))
    return endGroup(1, "the cover of output " + outputName(ended) + " ended by signal " +
                           std::to_string(WTERMSIG(status)));
  switch (WEXITSTATUS(status)) {
    case runEnded: return endGroup(0);
    case runOutputGone: return -1;
    case runFailed:
      if (ended.startError)
        return endGroup(1, "cannot run the program again for output " + outputName(ended) +
                               ": " + std::strerror(ended.startError));
      return endGroup(1);  // it said why
    case runCompositorGone: return endGroup(1, "lost the connection to the Wayland compositor");
    default:
      return endGroup(1, "the cover of output " + outputName(ended) + " ended with exit code " +
                             std::to_string(WEXITSTATUS(status)));
  }
}

// Reads a cover's news; -1 while the group goes on, else its exit code.
int readNews(Cover& cover) {
  char news[64];
  ssize_t got;
  while ((got = read(cover.report, news, sizeof news)) > 0) {
    for (ssize_t i = 0; i < got; ++i) {
      if (news[i] == 'R') cover.ready = true;
      else if (news[i] == 'X' && i + 1 < got) cover.startError = static_cast<unsigned char>(news[++i]);
      else cover.focus = news[i];
    }
  }
  if (got == 0) return coverEnded(cover);  // the pipe closes with the process
  bool held = false, lost = false;
  for (const Cover& c : group.covers) {
    held = held || (c.pid > 0 && c.focus == 'K');
    lost = lost || (c.pid > 0 && c.focus == 'k');
  }
  if (held || !lost) {
    group.keyboardGone = false;
  } else if (!group.keyboardGone) {
    group.keyboardGone = true;
    group.keyboardGoneAt = monotonicMilliseconds();
  }
  return -1;
}

// Starts the next output's cover once the one before it is up: one start at a time, so that
// a start that fails ends the group before another cover shows. False when no process can
// be started.
bool coverNextOutput(char** argv) {
  for (const Cover& cover : group.covers)
    if (cover.pid > 0 && !cover.ready && monotonicMilliseconds() - cover.startedAt < readyWaitMs)
      return true;
  for (const WaylandOutput& output : wayland.outputs) {
    if (!output.output) continue;
    bool known = false;
    for (const Cover& cover : group.covers) known = known || cover.global == output.globalName;
    if (known) continue;
    for (Cover& cover : group.covers)
      if (cover.global == 0) return startCover(cover, output.globalName, argv);
  }
  return true;
}

// Marks the covers of outputs that went away and ends their processes; forgets the outputs
// whose cover has ended.
void dropGoneOutputs() {
  for (Cover& cover : group.covers) {
    if (cover.global == 0 || findOutput(cover.global)) continue;
    if (cover.pid == 0) {
      cover = Cover{};
    } else if (!cover.leaving) {
      cover.leaving = true;
      kill(cover.pid, SIGTERM);
    }
  }
}

}  // namespace

int runOutputGroup(const HostOptions&, char** argv) {
  installStopSignals();
  group = Group{};  // --idle runs the group again at each idle spell
  std::string failure;
  if (!connectWayland(failure)) return endGroup(1, failure);
  if (!takeLock()) return endGroup(0);  // another saver covers this display already
  for (;;) {
    if (stopRequested()) return endGroup(0);
    dropGoneOutputs();
    if (!coverNextOutput(argv))
      return endGroup(1, std::string("cannot start a process for an output: ") +
                             std::strerror(errno));
    pollfd news[maxOutputs];
    Cover* newsOf[maxOutputs];
    int count = 0;
    for (Cover& cover : group.covers)
      if (cover.pid > 0) {
        news[count] = {cover.report, POLLIN, 0};
        newsOf[count++] = &cover;
      }
    int64_t wait = noTimeout;
    const uint32_t now = monotonicMilliseconds();
    if (group.keyboardGone) {
      if (now - group.keyboardGoneAt >= keyboardGoneMs) return endGroup(0);
      wait = int64_t{keyboardGoneMs - (now - group.keyboardGoneAt)} * 1000000;
    }
    for (int i = 0; i < count; ++i)
      if (!newsOf[i]->ready) wait = 100000000;  // a cover is starting: look again soon
    if (!waitForWayland(wait, news, count))
      return endGroup(1, "lost the connection to the Wayland compositor");
    for (int i = 0; i < count; ++i) {
      if (!news[i].revents) continue;
      const int end = readNews(*newsOf[i]);
      if (end >= 0) return end;
    }
  }
}
