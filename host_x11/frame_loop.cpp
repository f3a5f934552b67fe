// Linux: the frame timer: monotonic time, the tick schedule, and the stop signals.
#include "host_x11/frame_loop.h"

#include <poll.h>
#include <signal.h>
#include <time.h>

#include <algorithm>

#include "scene/frame_clock.h"

namespace {

constexpr int64_t nanosecondsPerMillisecond = 1000000;
constexpr int64_t tickPeriod = frameTimerPeriodMs * nanosecondsPerMillisecond;

volatile sig_atomic_t stopSignalled = 0;

// Nanoseconds of CLOCK_MONOTONIC.
int64_t monotonicNanoseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void onStopSignal(int) { stopSignalled = 1; }

// The signal mask outside the waits: everything as inherited, but SIGTERM and SIGINT held.
sigset_t waitMask;

}  // namespace

uint32_t monotonicMilliseconds() {
  return static_cast<uint32_t>(monotonicNanoseconds() / nanosecondsPerMillisecond);
}

// NOTE: the signals are held everywhere but inside ppoll, which lets them in atomically; a
// signal that arrives during a tick therefore wakes the next wait at once instead of being
// missed until the wait's time-out.
void installStopSignals() {
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  sigset_t held;
  sigemptyset(&held);
  sigaddset(&held, SIGTERM);
  sigaddset(&held, SIGINT);
  sigprocmask(SIG_BLOCK, &held, &waitMask);
  sigdelset(&waitMask, SIGTERM);
  sigdelset(&waitMask, SIGINT);
}

bool stopRequested() { return stopSignalled != 0; }

TickSchedule::TickSchedule() : nextDue_(monotonicNanoseconds()) {}

bool TickSchedule::due() const { return monotonicNanoseconds() >= nextDue_; }

// NOTE: after a late tick the schedule keeps its phase, as a periodic timer does. Restarting
// the period at the late tick's end lost each overrun for good, so frames of 9 to 10 ms with
// some jitter came at about 96 a second instead of 100.
void TickSchedule::ticked() {
  const int64_t now = monotonicNanoseconds();
  nextDue_ += tickPeriod;
  if (nextDue_ < now) nextDue_ += (now - nextDue_) / tickPeriod * tickPeriod;
}

// NOTE: the wait runs even when the tick is already due (with no time-out), because only
// inside ppoll can a held stop signal come in: Mesa's threads hold every signal, so a
// SIGTERM waits for this call even when every tick runs late.
void TickSchedule::waitForTick(int descriptor) const {
  const int64_t wait = std::max<int64_t>(nextDue_ - monotonicNanoseconds(), 0);
  const timespec timeout{static_cast<time_t>(wait / 1000000000),
                         static_cast<long>(wait % 1000000000)};
  pollfd input{descriptor, POLLIN, 0};
  ppoll(&input, 1, &timeout, &waitMask);
}
