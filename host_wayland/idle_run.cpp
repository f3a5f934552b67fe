// Linux Wayland: the idle watcher's loop: which word of idleness the desktop gives, the wait,
// and the saver at each idle spell.
#include "host_wayland/idle_run.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "host_linux/frame_loop.h"
#include "host_wayland/idle_gnome.h"
#include "host_wayland/idle_notify.h"
#include "host_wayland/wayland_display.h"
#include "host_wayland/wayland_run.h"

namespace {

// The one line of a watcher that cannot go on; its exit code.
int failIdle(const std::string& reason) {
  std::fprintf(stderr, "vorlixss-wayland: %s\n", reason.c_str());
  return 1;
}

// What the watcher holds.
struct Watcher {
  int lock = -1;        // the display's idle-watcher lock
  WaylandIdle wayland;  // the compositor's idle notification, where it has one
  GnomeIdle gnome;      // else GNOME's idle monitor
};

void closeWatcher(Watcher& watcher) {
  closeWaylandIdle(watcher.wayland);
  closeGnomeIdle(watcher.gnome);
  if (watcher.lock >= 0) close(watcher.lock);
  watcher.lock = -1;
}

}  // namespace

int runIdle(const HostOptions& options) {
  installStopSignals();
  std::string failure;
  if (!waylandNamed(failure)) return failIdle(failure);
  Watcher watcher;
  watcher.lock = takeDisplayLock("idle-");
  if (watcher.lock < 0) return 0;  // another watcher serves this display
  const uint32_t milliseconds = options.idleSeconds * 1000;
  const bool protocol = openWaylandIdle(watcher.wayland, milliseconds, failure);
  if (!protocol) {
    closeWaylandIdle(watcher.wayland);
    if (!failure.empty() || !openGnomeIdle(watcher.gnome, milliseconds)) {
      closeWatcher(watcher);
      return failIdle(failure.empty() ? "this desktop tells no idle time (no "
                                        "ext-idle-notify-v1 or org_kde_kwin_idle, and no GNOME "
                                        "idle monitor on the session bus), so --idle cannot work "
                                        "here: start vorlixss-wayland --root from its idle program"
                                      : failure);
    }
  }
  bool& spell = protocol ? watcher.wayland.spell : watcher.gnome.spell;
  while (!stopRequested()) {
    // NOTE: what came while the bus waited for a reply is queued inside the client already,
    // where the poll below cannot see it: handle what is there first.
    if (!(protocol ? readWaylandIdle(watcher.wayland) : readGnomeIdle(watcher.gnome))) {
      closeWatcher(watcher);
      return failIdle(protocol ? "lost the connection to the Wayland compositor"
                               : "lost the connection to the session bus");
    }
    if (spell) {
      spell = false;
      // The protocols say nothing while idle is inhibited; GNOME's monitor must be asked.
      if (protocol || !gnomeIdleInhibited(watcher.gnome)) {
        const int end = runWayland(options);
        if (end != 0) {
          closeWatcher(watcher);
          return end;  // the saver said why
        }
      }
      continue;
    }
    pollfd wake[2] = {{-1, POLLIN, 0}, {stopSignalDescriptor(), POLLIN, 0}};
    if (protocol)
      wake[0].fd = waylandIdleDescriptor(watcher.wayland);
    else
      wake[0].fd = gnomeIdleDescriptor(watcher.gnome, wake[0].events);
    // Nothing to do until the desktop's word or a signal: the wait costs no CPU.
    if (poll(wake, 2, -1) < 0 && errno != EINTR) break;
  }
  closeWatcher(watcher);
  return 0;
}
