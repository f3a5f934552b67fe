// Linux Wayland: GNOME's idle monitor and session manager on the session bus.
#include "host_wayland/idle_gnome.h"

#include <systemd/sd-bus.h>

namespace {

const char* const monitorName = "org.gnome.Mutter.IdleMonitor";
const char* const monitorPath = "/org/gnome/Mutter/IdleMonitor/Core";
// The session manager's flag for "the session must not be marked idle".
constexpr uint32_t inhibitIdle = 8;

// The monitor fires our watch each time idle time reaches its interval.
int onWatchFired(sd_bus_message* message, void* data, sd_bus_error*) {
  auto& idle = *static_cast<GnomeIdle*>(data);
  uint32_t id = 0;
  if (sd_bus_message_read(message, "u", &id) >= 0 && id == idle.watch) idle.spell = true;
  return 0;
}

}  // namespace

bool openGnomeIdle(GnomeIdle& idle, uint32_t milliseconds) {
  if (sd_bus_open_user(&idle.bus) < 0) return false;
  // The match first, so that a watch that fires at once is not missed.
  // NOTE: mutter sends WatchFired from its unique name straight to the watch's owner, and
  // sd-bus compares a match's sender by name as written: so the match names no sender.
  if (sd_bus_match_signal(idle.bus, &idle.fired, nullptr, monitorPath, monitorName,
                          "WatchFired", onWatchFired, &idle) < 0)
    return false;
  sd_bus_message* reply = nullptr;
  sd_bus_error error = SD_BUS_ERROR_NULL;
  const bool added = sd_bus_call_method(idle.bus, monitorName, monitorPath, monitorName,
                                        "AddIdleWatch", &error, &reply, "t",
                                        uint64_t{milliseconds}) >= 0 &&
                     sd_bus_message_read(reply, "u", &idle.watch) >= 0;
  sd_bus_message_unref(reply);
  sd_bus_error_free(&error);
  if (!added) return false;
  // NOTE: mutter fires a watch only when idle time crosses its interval, so a watch added
  // to a session idle for longer already would wait for input and a second idle spell.
  uint64_t idleFor = 0;
  reply = nullptr;
  if (sd_bus_call_method(idle.bus, monitorName, monitorPath, monitorName, "GetIdletime", nullptr,
                         &reply, "") >= 0 &&
      sd_bus_message_read(reply, "t", &idleFor) >= 0 && idleFor >= milliseconds)
    idle.spell = true;
  sd_bus_message_unref(reply);
  return true;
}

int gnomeIdleDescriptor(const GnomeIdle& idle, short& events) {
  const int wanted = sd_bus_get_events(idle.bus);
  events = static_cast<short>(wanted < 0 ? 0 : wanted);
  return sd_bus_get_fd(idle.bus);
}

bool readGnomeIdle(GnomeIdle& idle) {
  int handled;
  while ((handled = sd_bus_process(idle.bus, nullptr)) > 0) {
  }
  return handled >= 0;
}

bool gnomeIdleInhibited(GnomeIdle& idle) {
  sd_bus_message* reply = nullptr;
  int inhibited = 0;
  if (sd_bus_call_method(idle.bus, "org.gnome.SessionManager", "/org/gnome/SessionManager",
                         "org.gnome.SessionManager", "IsInhibited", nullptr, &reply, "u",
                         inhibitIdle) >= 0 &&
      sd_bus_message_read(reply, "b", &inhibited) < 0)
    inhibited = 0;
  sd_bus_message_unref(reply);
  return inhibited != 0;
}

void closeGnomeIdle(GnomeIdle& idle) {
  if (!idle.bus) return;
  if (idle.watch)
    sd_bus_call_method(idle.bus, monitorName, monitorPath, monitorName, "RemoveWatch", nullptr,
                       nullptr, "u", idle.watch);
  sd_bus_slot_unref(idle.fired);
  sd_bus_flush_close_unref(idle.bus);
  idle = GnomeIdle{};
}
