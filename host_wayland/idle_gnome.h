// Linux Wayland: GNOME's word that the user is idle, for --idle: mutter offers no idle protocol
// to clients, but tells idle time on the session bus (org.gnome.Mutter.IdleMonitor), and
// GNOME's session manager knows whether a program inhibits idle. Through sd-bus.
#pragma once

#include <cstdint>

struct sd_bus;
struct sd_bus_slot;

// The watch; null while not there.
struct GnomeIdle {
  sd_bus* bus = nullptr;
  sd_bus_slot* fired = nullptr;  // the match of the monitor's WatchFired signal
  uint32_t watch = 0;            // the monitor's id of our idle watch
  bool spell = false;            // an idle spell began since the flag was cleared
};

// Asks GNOME's idle monitor on the session bus to tell after milliseconds without input.
// False when there is no session bus or no idle monitor on it.
bool openGnomeIdle(GnomeIdle& idle, uint32_t milliseconds);

// The bus's descriptor and the poll events it waits for, for the watcher's poll.
int gnomeIdleDescriptor(const GnomeIdle& idle, short& events);

// Handles what the bus sent (spell is set at an idle spell's start); false when it is lost.
bool readGnomeIdle(GnomeIdle& idle);

// True when GNOME's session manager says a program inhibits idle (a video player); false
// also where there is no session manager to ask.
bool gnomeIdleInhibited(GnomeIdle& idle);

// Removes the watch and closes the bus. Safe to call twice.
void closeGnomeIdle(GnomeIdle& idle);
