// Linux Wayland: the compositor's own word that the user is idle, for --idle: the standard
// ext-idle-notify-v1 (sway 1.8+, labwc, KWin 6), else KDE's org_kde_kwin_idle (older sway and
// KWin), on a connection of the watcher's own. Both keep quiet while a program inhibits idle
// (a video player), so the saver then stays away.
#pragma once

#include <cstdint>
#include <string>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct ext_idle_notifier_v1;
struct ext_idle_notification_v1;
struct org_kde_kwin_idle;
struct org_kde_kwin_idle_timeout;

// The watch; null while not there.
struct WaylandIdle {
  wl_display* display = nullptr;
  wl_registry* registry = nullptr;
  wl_seat* seat = nullptr;
  ext_idle_notifier_v1* notifier = nullptr;       // the standard protocol's global
  org_kde_kwin_idle* kdeIdle = nullptr;           // KDE's, bound only without the standard one
  ext_idle_notification_v1* notification = nullptr;
  org_kde_kwin_idle_timeout* kdeTimeout = nullptr;
  bool spell = false;  // an idle spell began since the flag was cleared
};

// Connects and asks to be told after milliseconds without input. False when it cannot: with
// failure empty when the compositor offers neither protocol (GNOME), else the reason.
bool openWaylandIdle(WaylandIdle& idle, uint32_t milliseconds, std::string& failure);

// The connection's descriptor, for the watcher's poll.
int waylandIdleDescriptor(const WaylandIdle& idle);

// Reads and handles what the compositor sent (spell is set at an idle spell's start), and
// sends what is queued; false when the connection is lost.
bool readWaylandIdle(WaylandIdle& idle);

// Destroys the watch and closes its connection. Safe to call twice.
void closeWaylandIdle(WaylandIdle& idle);
