// Linux: the frame timer of the run. A period (10 ms unless --delay says otherwise) on the
// monotonic clock, read as a wrapping 32-bit millisecond count like the Windows multimedia
// clock; waits that wake for the display's events and for SIGTERM and SIGINT, the signals
// that end a module.
#pragma once

#include <cstdint>

// Milliseconds of CLOCK_MONOTONIC, wrapping modulo 2^32.
uint32_t monotonicMilliseconds();

// Holds SIGTERM and SIGINT in every thread and starts the thread that takes them: it wakes
// the waits, and ends the process with exit code 0 if the run has not ended 0.3 s
// later (a frame in progress cannot be cut short). Call before any other thread exists.
void installStopSignals();

// True once SIGTERM or SIGINT has arrived.
bool stopRequested();

// A descriptor that becomes readable when a stop signal arrives, for a host's own poll;
// -1 when the signals could not be installed.
int stopSignalDescriptor();

// Waits until input arrives on descriptor or a stop signal comes; no longer than timeout
// (noTimeout: no limit).
void waitForInput(int descriptor, int64_t timeoutNanoseconds);
constexpr int64_t noTimeout = -1;

// The schedule of ticks: due every period, or at once when the previous tick ran late.
class TickSchedule {
 public:
  // The first tick is due now; the next ones every period nanoseconds (0: at once).
  explicit TickSchedule(int64_t period);

  // True when the next tick is due.
  bool due() const;

  // Nanoseconds until the next tick is due; 0 or less when it is.
  int64_t untilDue() const;

  // Notes that a tick ran; the next is due one period after the previous due time. When that
  // has passed already, the next is due at once and the ones after it keep the period's
  // phase; missed periods are not made up (the elapsed time is).
  void ticked();

  // Waits until the next tick is due, input arrives on descriptor, or a stop signal comes.
  void waitForTick(int descriptor) const;

 private:
  int64_t period_;   // nanoseconds between ticks
  int64_t nextDue_;  // nanoseconds of CLOCK_MONOTONIC
};
