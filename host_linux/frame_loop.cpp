// Linux: the frame timer: monotonic time, the tick schedule, and the stop signals.
#include "host_linux/frame_loop.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <atomic>

#include "scene/frame_clock.h"

namespace {

constexpr int64_t nanosecondsPerMillisecond = 1000000;
constexpr int64_t stopGrace = 300 * nanosecondsPerMillisecond;  // from the signal to _exit

// The stop signals' state, shared between the signal thread and the main thread.
struct StopSignals {
  std::atomic<bool> arrived{false};
  int wake[2] = {-1, -1};  // a byte in the pipe wakes the main thread's wait
} stops;

// Nanoseconds of CLOCK_MONOTONIC.
int64_t monotonicNanoseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

sigset_t stopSet() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  return set;
}

// The signal thread: takes the first stop signal, wakes the main thread, and ends the
// process itself when the run has not ended within the grace time.
// NOTE: a software-rendered frame of a huge window takes seconds and holds the main thread
// inside Mesa; XScreenSaver and a session's shutdown expect a module to go at once. _exit
// leaves the window and the context to the X server, which frees what a client leaves.
void* takeStopSignals(void*) {
  const sigset_t set = stopSet();
  int number = 0;
  while (sigwait(&set, &number) != 0) {
  }
  stops.arrived = true;
  const char byte = 1;
  if (write(stops.wake[1], &byte, 1) < 0) {
    // a full pipe has woken the main thread already
  }
  timespec grace{0, static_cast<long>(stopGrace)};
  while (nanosleep(&grace, &grace) != 0) {
  }
  _exit(0);
}

}  // namespace

uint32_t monotonicMilliseconds() {
  return static_cast<uint32_t>(monotonicNanoseconds() / nanosecondsPerMillisecond);
}

// NOTE: threads inherit the signal mask, so holding the signals here, before the X and GL
// libraries start theirs, leaves the signal thread the only one that takes them.
void installStopSignals() {
  if (stops.wake[0] >= 0) return;  // once a process: --idle runs saver after saver
  const sigset_t set = stopSet();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  if (pipe2(stops.wake, O_CLOEXEC | O_NONBLOCK) != 0) return;
  pthread_t thread;
  if (pthread_create(&thread, nullptr, takeStopSignals, nullptr) == 0) pthread_detach(thread);
}

bool stopRequested() { return stops.arrived; }

int stopSignalDescriptor() { return stops.wake[0]; }

void waitForInput(int descriptor, int64_t timeoutNanoseconds) {
  const timespec timeout{static_cast<time_t>(timeoutNanoseconds / 1000000000),
                         static_cast<long>(timeoutNanoseconds % 1000000000)};
  pollfd input[2] = {{descriptor, POLLIN, 0}, {stops.wake[0], POLLIN, 0}};
  ppoll(input, stops.wake[0] < 0 ? 1 : 2, timeoutNanoseconds < 0 ? nullptr : &timeout, nullptr);
}

TickSchedule::TickSchedule(int64_t period) : period_(period), nextDue_(monotonicNanoseconds()) {}

bool TickSchedule::due() const { return monotonicNanoseconds() >= nextDue_; }

int64_t TickSchedule::untilDue() const { return nextDue_ - monotonicNanoseconds(); }

void TickSchedule::ticked() { nextDue_ = nextTickDue(nextDue_, monotonicNanoseconds(), period_); }

void TickSchedule::waitForTick(int descriptor) const {
  const int64_t wait = untilDue();
  if (wait > 0) waitForInput(descriptor, wait);
}
