// Linux Wayland: the run of every surface of the program, and how it ends.
#include "host_wayland/wayland_run.h"

#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "host_linux/power_supply.h"
#include "host_wayland/lock_daemon.h"
#include "host_wayland/lock_prompt.h"
#include "host_wayland/session_lock.h"
#include "host_wayland/surface_run.h"
#include "host_wayland/wayland_display.h"
#include "host_wayland/wayland_input.h"

namespace {

const char* const compositorLostLine = "lost the connection to the Wayland compositor";

// Everything the run holds. The surfaces stay in their slots: the compositor's events find
// them there.
struct WaylandRun {
  EglDisplay egl;
  SurfaceRun surfaces[maxOutputs];  // the own window in the first; in saver mode one an output
  uint32_t started = 0;             // surfaces started so far: the next one's place in the seeds
  int lock = -1;                    // the single-saver lock of this display
  PowerWatch power;                 // looked at only with the battery saver on
  RunPace pace{};                   // how every surface draws on the power the machine has
  bool locking = false;             // --lock: the surfaces are the session lock's
};

// True when this process now holds the display's saver lock: a second saver on it defers to
// the first.
bool takeLock(WaylandRun& run) {
  run.lock = takeDisplayLock("");
  return run.lock >= 0;
}

// Releases every surface, EGL, input and the connection, gives back the lock, says line when
// there is one; the exit code. The compositor then shows nothing of the program.
int endRun(WaylandRun& run, int code, const std::string& line = "") {
  if (!line.empty()) std::fprintf(stderr, "vorlixss-wayland: %s\n", line.c_str());
  for (SurfaceRun& surface : run.surfaces) releaseSurfaceRun(surface, run.egl);
  stopEGL(run.egl);
  stopInput();
  // A lock not given back stays locked: only the password gives it back (lockStep).
  if (run.locking) abandonSessionLock(), endLockPrompt();
  if (wayland.display) flushWayland();
  disconnectWayland();
  if (run.lock >= 0) close(run.lock);
  run.lock = -1;
  stopPowerWatch(run.power);
  return code;
}

// The random start of the surface with this place: with --seed the first starts from it as
// vorlixss does and the others from seeds of their own, so that no two outputs show the same
// picture; without, the clock, the process and the output.
uint32_t surfaceSeed(const HostOptions& options, uint32_t place, uint32_t outputGlobal) {
  if (options.seeded) return place == 0 ? options.seed : startSeed(options.seed, place, 0);
  return startSeed(static_cast<uint32_t>(std::time(nullptr)), static_cast<uint32_t>(getpid()),
                   outputGlobal);
}

// Starts a surface in slot (on output; null: the own window). -1 when it runs, or when its
// output went away meanwhile (nothing to cover); else the run's exit code, its line said.
int startSurface(WaylandRun& run, SurfaceRun& slot, const HostOptions& options,
                 const WaylandOutput* output) {
  const uint32_t global = output ? output->globalName : 0;
  std::string failure;
  slot = SurfaceRun{};
  const bool started = startSurfaceRun(slot, run.egl, options, run.pace, output,
                                       surfaceSeed(options, run.started, global), failure);
  ++run.started;
  if (started) return -1;
  // A start cut short by the compositor's end is that end, not the step that noticed it.
  const bool lost = wl_display_roundtrip(wayland.display) < 0;
  releaseSurfaceRun(slot, run.egl);
  if (stopRequested()) return endRun(run, 0);
  if (lost) return endRun(run, 1, compositorLostLine);
  if (output && !findOutput(global)) return -1;
  return endRun(run, 1, failure);
}

// Saver mode: ends the surfaces of outputs that went away and covers the outputs that came.
// -1 while the run goes on, else its exit code.
int followOutputs(WaylandRun& run, const HostOptions& options) {
  for (SurfaceRun& surface : run.surfaces)
    if (surface.active && !findOutput(surface.outputGlobal)) releaseSurfaceRun(surface, run.egl);
  for (const WaylandOutput& output : wayland.outputs) {
    if (!output.output) continue;
    SurfaceRun* free = nullptr;
    bool covered = false;
    for (SurfaceRun& surface : run.surfaces) {
      covered = covered || (surface.active && surface.outputGlobal == output.globalName);
      if (!surface.active && !free) free = &surface;
    }
    if (covered || !free) continue;
    const int end = startSurface(run, *free, options, &output);
    if (end >= 0) return end;
  }
  return -1;
}

// --lock: what the compositor and the password check said since the last look. -1 while
// the lock goes on, else the run's exit code.
int lockStep(WaylandRun& run) {
  if (session.finished && !session.locked) return endRun(run, 1, sessionLockHeldLine);
  if (session.locked) tellLocked();
  // The compositor may end a lock itself (its own way to unlock): the protocol wants it
  // given back then.
  if (session.finished || followLockPrompt()) {
    unlockSession();
    return endRun(run, 0);
  }
  return -1;
}

// Draws every surface until something ends the run; its exit code.
int runSurfaces(WaylandRun& run, const HostOptions& options, bool saver) {
  pollfd check{lockPromptDescriptor(), POLLIN, 0};  // the password check's outcome (--lock)
  for (;;) {
    if (stopRequested() || input.ended) return endRun(run, 0);
    if (run.locking) {
      const int end = lockStep(run);
      if (end >= 0) return end;
    }
    int64_t wait = noTimeout;
    if (keyboardTakenAway(monotonicMilliseconds(), wait)) return endRun(run, 0);
    if (saver && wayland.outputsChanged) {
      wayland.outputsChanged = false;
      const int end = followOutputs(run, options);
      if (end >= 0) return end;
    }
    for (SurfaceRun& surface : run.surfaces) {
      if (!surface.active) continue;
      if (surface.surface.closed) {
        // A layer surface closes with its output; a toplevel at the user's or compositor's word.
        if (!surface.surface.layerSurface) return endRun(run, 0);
        releaseSurfaceRun(surface, run.egl);
        continue;
      }
      followSurfaceNews(surface, run.egl);
      const int64_t due = untilFrameDue(surface);
      if (due != noTimeout && (wait == noTimeout || due < wait)) wait = due < 0 ? 0 : due;
    }
    // A surface that is not shown sends no frame callback: with none due the wait has no end
    // but the compositor's events and the stop signals, and costs nothing.
    if (!waitForWayland(wait, &check, run.locking && check.fd >= 0 ? 1 : 0))
      return endRun(run, 1, compositorLostLine);
    for (SurfaceRun& surface : run.surfaces) {
      // A frame of a large output may take long: a stop or a key is taken between surfaces.
      if (stopRequested() || input.ended) break;
      if (surface.active && !surface.surface.closed) drawSurfaceFrame(surface, run.egl);
    }
    if (powerChanged(run.power, monotonicMilliseconds())) {
      run.pace = paceFor(options, run.power.onBattery);
      for (SurfaceRun& surface : run.surfaces)
        if (surface.active) repaceSurfaceRun(surface, run.egl, run.pace);
    }
  }
}

}  // namespace

int runWayland(const HostOptions& options) {
  std::string failure;
  // The fork comes before any thread and connection (a child has neither of its parent's),
  // and before the password's memory is locked (a child does not inherit that).
  if (options.daemonize) {
    const int parent = forkLockDaemon();
    if (parent >= 0) return parent;
  }
  installStopSignals();
  WaylandRun run;
  const bool saver = options.place == DrawPlace::rootWindow;
  if (options.batterySaver) startPowerWatch(run.power, monotonicMilliseconds());
  run.pace = paceFor(options, run.power.onBattery);
  wayland.wantLock = options.lock;
  if (!connectWayland(failure)) return endRun(run, 1, failure);
  if (options.lock) {
    // Nothing is shown without a real lock, or when no password could unlock it.
    if (!sessionLockOffered(failure) || !startLockPrompt(failure) ||
        !requestSessionLock(failure))
      return endRun(run, 1, failure);
    run.locking = true;
  } else if (saver && !takeLock(run)) {
    return endRun(run, 0);  // another saver covers this display
  }
  if (!startEGL(run.egl, wayland.display, failure)) return endRun(run, 1, failure);
  startInput(saver && !options.lock, options.lock);
  wayland.outputsChanged = false;
  const int end = saver ? followOutputs(run, options)
                        : startSurface(run, run.surfaces[0], options, nullptr);
  if (end >= 0) return end;
  return runSurfaces(run, options, saver);
}
