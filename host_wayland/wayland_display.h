// Linux Wayland: the connection to the compositor, the globals the program binds (the
// compositor, the shells, the seat, the outputs) and the wait for its events.
#pragma once

#include <poll.h>

#include <cstdint>
#include <string>

#include "ext-session-lock-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"
// NOTE: the layer shell's protocol names an argument "namespace", a keyword of C++.
#define namespace layerNamespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

// One output the compositor announced.
struct WaylandOutput {
  wl_output* output = nullptr;  // null: the slot is free
  uint32_t globalName = 0;      // the registry's name, the same for every client
  char name[64] = "";           // the compositor's name for it ("HEADLESS-1"), once told
  int32_t scale = 1;            // buffer pixels per surface unit
  int32_t width = 0;            // current mode in pixels, once told
  int32_t height = 0;
};
constexpr int maxOutputs = 16;

// The connection and its globals; null while not there.
struct WaylandGlobals {
  wl_display* display = nullptr;
  wl_registry* registry = nullptr;
  wl_compositor* compositor = nullptr;
  xdg_wm_base* wmBase = nullptr;
  zwlr_layer_shell_v1* layerShell = nullptr;  // missing on GNOME (and weston)
  ext_session_lock_manager_v1* lockManager = nullptr;  // bound for --lock alone; missing on
                                                       // KWin, mutter and sway before 1.8
  bool wantLock = false;  // bind the lock manager (set before connecting)
  wl_seat* seat = nullptr;
  uint32_t seatCapabilities = 0;  // the seat's devices as last told (WL_SEAT_CAPABILITY_*)
  void (*followSeat)(uint32_t capabilities) = nullptr;  // told each change, while set
  WaylandOutput outputs[maxOutputs];
  bool outputsChanged = false;  // an output came or went since the flag was cleared
};
extern WaylandGlobals wayland;

// False, with the reason in failure, when the environment names no compositor the program
// could reach (no WAYLAND_DISPLAY, or a socket name without XDG_RUNTIME_DIR to find it in);
// libwayland would print a line of its own for the second.
bool waylandNamed(std::string& failure);

// Takes this user's lock of kind on the display WAYLAND_DISPLAY names (a file in the runtime
// folder): one saver, or one idle watcher, per display. The lock's descriptor (closing it
// gives the lock back), or -1 when another process holds it.
int takeDisplayLock(const char* kind);

// Connects to the compositor that WAYLAND_DISPLAY names and binds its globals (two round
// trips, so outputs have told their names and sizes). False, with the reason in failure.
bool connectWayland(std::string& failure);

// The output slot of the registry name, or null when it is gone or was never there.
WaylandOutput* findOutput(uint32_t globalName);

// Dispatches what has arrived, then waits up to timeout nanoseconds (noTimeout: no limit)
// for the compositor, a stop signal or the extra descriptors (their revents are set), and
// dispatches what came. False when the connection is lost.
bool waitForWayland(int64_t timeout, pollfd* extra = nullptr, int extraCount = 0);

// Sends what is queued; false when the connection is lost.
bool flushWayland();

// Destroys every proxy and closes the connection. Safe to call twice.
void disconnectWayland();
