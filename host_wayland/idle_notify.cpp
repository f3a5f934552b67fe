// Linux Wayland: the compositor's idle notification on a connection of its own.
#include "host_wayland/idle_notify.h"

#include <poll.h>
#include <wayland-client.h>

#include <cerrno>
#include <cstring>

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"

namespace {

// Binds the seat and the idle globals when the registry announces them.
void onGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  auto& idle = *static_cast<WaylandIdle*>(data);
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && !idle.seat)
    idle.seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  else if (std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0)
    idle.notifier = static_cast<ext_idle_notifier_v1*>(
        wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
  else if (std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0)
    idle.kdeIdle = static_cast<org_kde_kwin_idle*>(
        wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
}
void onGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener registryListener = {onGlobal, onGlobalRemove};

// Each protocol's two events: a spell begins, and input ends it (nothing to do: the saver
// ends at input itself).
void onIdled(void* data, ext_idle_notification_v1*) { static_cast<WaylandIdle*>(data)->spell = true; }
void onResumed(void*, ext_idle_notification_v1*) {}
const ext_idle_notification_v1_listener notificationListener = {onIdled, onResumed};
void onKdeIdle(void* data, org_kde_kwin_idle_timeout*) { static_cast<WaylandIdle*>(data)->spell = true; }
void onKdeResumed(void*, org_kde_kwin_idle_timeout*) {}
const org_kde_kwin_idle_timeout_listener kdeTimeoutListener = {onKdeIdle, onKdeResumed};

}  // namespace

bool openWaylandIdle(WaylandIdle& idle, uint32_t milliseconds, std::string& failure) {
  failure.clear();
  idle.display = wl_display_connect(nullptr);
  if (!idle.display) {
    failure = std::string("cannot reach the Wayland compositor (") + std::strerror(errno) + ")";
    return false;
  }
  idle.registry = wl_display_get_registry(idle.display);
  wl_registry_add_listener(idle.registry, &registryListener, &idle);
  if (wl_display_roundtrip(idle.display) < 0) {
    failure = "the Wayland compositor closed the connection at the start";
    return false;
  }
  if (!idle.seat || (!idle.notifier && !idle.kdeIdle)) return false;
  if (idle.notifier) {
    idle.notification = ext_idle_notifier_v1_get_idle_notification(idle.notifier, milliseconds,
                                                                   idle.seat);
    ext_idle_notification_v1_add_listener(idle.notification, &notificationListener, &idle);
  } else {
    idle.kdeTimeout = org_kde_kwin_idle_get_idle_timeout(idle.kdeIdle, idle.seat, milliseconds);
    org_kde_kwin_idle_timeout_add_listener(idle.kdeTimeout, &kdeTimeoutListener, &idle);
  }
  if (wl_display_flush(idle.display) < 0) {
    failure = "lost the connection to the Wayland compositor";
    return false;
  }
  return true;
}

int waylandIdleDescriptor(const WaylandIdle& idle) { return wl_display_get_fd(idle.display); }

bool readWaylandIdle(WaylandIdle& idle) {
  // Only this thread reads the connection, so the plain read is safe.
  pollfd readable = {wl_display_get_fd(idle.display), POLLIN, 0};
  if (poll(&readable, 1, 0) > 0 && wl_display_dispatch(idle.display) < 0) return false;
  return wl_display_dispatch_pending(idle.display) >= 0 &&
         (wl_display_flush(idle.display) >= 0 || errno == EAGAIN);
}

void closeWaylandIdle(WaylandIdle& idle) {
  if (!idle.display) return;
  if (idle.notification) ext_idle_notification_v1_destroy(idle.notification);
  if (idle.kdeTimeout) org_kde_kwin_idle_timeout_release(idle.kdeTimeout);
  if (idle.notifier) ext_idle_notifier_v1_destroy(idle.notifier);
  if (idle.kdeIdle) org_kde_kwin_idle_destroy(idle.kdeIdle);
  if (idle.seat) wl_seat_destroy(idle.seat);
  if (idle.registry) wl_registry_destroy(idle.registry);
  wl_display_disconnect(idle.display);
  idle = WaylandIdle{};
}
