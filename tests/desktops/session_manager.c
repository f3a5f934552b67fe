// GNOME's session manager as far as idle inhibition goes, for a headless mutter where the
// real gnome-session cannot run: it owns org.gnome.SessionManager on the session bus and
// keeps the inhibitors that programs (mutter, for a window holding an idle inhibitor) take
// with Inhibit and give back with Uninhibit, telling them as the real one does: IsInhibited,
// the InhibitedActions property and the InhibitorAdded and InhibitorRemoved signals.
//   session_manager   (on DBUS_SESSION_BUS_ADDRESS; ends when the bus goes)
#include <stdio.h>
#include <systemd/sd-bus.h>

enum { most = 32 };

static const char *const path = "/org/gnome/SessionManager";
static struct {
  uint32_t cookie, flags;  // cookie 0: a free place
} inhibitors[most];
static uint32_t lastCookie;

// The flags of every inhibitor held, or-ed.
static uint32_t inhibitedActions(void) {
  uint32_t flags = 0;
  for (int i = 0; i < most; ++i) flags |= inhibitors[i].cookie ? inhibitors[i].flags : 0;
  return flags;
}

// Tells a change of inhibitors: the signal with the inhibitor's path, and the property.
static void tell(sd_bus *bus, const char *signal, uint32_t cookie) {
  char inhibitor[64];
  snprintf(inhibitor, sizeof inhibitor, "%s/Inhibitor%u", path, cookie);
  sd_bus_emit_signal(bus, path, "org.gnome.SessionManager", signal, "o", inhibitor);
  sd_bus_emit_properties_changed(bus, path, "org.gnome.SessionManager", "InhibitedActions",
                                 NULL);
}

static int inhibit(sd_bus_message *call, void *data, sd_bus_error *error) {
  (void)data, (void)error;
  const char *app = NULL, *reason = NULL;
  uint32_t window = 0, flags = 0;
  int r = sd_bus_message_read(call, "susu", &app, &window, &reason, &flags);
  if (r < 0) return r;
  for (int i = 0; i < most; ++i)
    if (!inhibitors[i].cookie) {
      inhibitors[i].cookie = ++lastCookie;
      inhibitors[i].flags = flags;
      r = sd_bus_reply_method_return(call, "u", lastCookie);
      tell(sd_bus_message_get_bus(call), "InhibitorAdded", lastCookie);
      return r;
    }
  return sd_bus_reply_method_errorf(call, SD_BUS_ERROR_LIMITS_EXCEEDED, "too many inhibitors");
}

static int uninhibit(sd_bus_message *call, void *data, sd_bus_error *error) {
  (void)data, (void)error;
  uint32_t cookie = 0;
  const int r = sd_bus_message_read(call, "u", &cookie);
  if (r < 0) return r;
  for (int i = 0; i < most; ++i)
    if (cookie && inhibitors[i].cookie == cookie) {
      inhibitors[i].cookie = 0;
      const int replied = sd_bus_reply_method_return(call, "");
      tell(sd_bus_message_get_bus(call), "InhibitorRemoved", cookie);
      return replied;
    }
  return sd_bus_reply_method_errorf(call, "org.gnome.SessionManager.InhibitorNotFound",
                                    "no inhibitor %u", cookie);
}

static int isInhibited(sd_bus_message *call, void *data, sd_bus_error *error) {
  (void)data, (void)error;
  uint32_t flags = 0;
  const int r = sd_bus_message_read(call, "u", &flags);
  if (r < 0) return r;
  return sd_bus_reply_method_return(call, "b", (inhibitedActions() & flags) != 0);
}

static int getInhibitedActions(sd_bus *bus, const char *object, const char *interface,
                               const char *property, sd_bus_message *reply, void *data,
                               sd_bus_error *error) {
  (void)bus, (void)object, (void)interface, (void)property, (void)data, (void)error;
  return sd_bus_message_append(reply, "u", inhibitedActions());
}

static const sd_bus_vtable manager[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Inhibit", "susu", "u", inhibit, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Uninhibit", "u", "", uninhibit, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("IsInhibited", "u", "b", isInhibited, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_PROPERTY("InhibitedActions", "u", getInhibitedActions, 0,
                    SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
    SD_BUS_SIGNAL("InhibitorAdded", "o", 0),
    SD_BUS_SIGNAL("InhibitorRemoved", "o", 0),
    SD_BUS_VTABLE_END};

int main(void) {
  sd_bus *bus = NULL;
  if (sd_bus_open_user(&bus) < 0 ||
      sd_bus_add_object_vtable(bus, NULL, path, "org.gnome.SessionManager", manager, NULL) < 0 ||
      sd_bus_request_name(bus, "org.gnome.SessionManager", 0) < 0) {
    fprintf(stderr, "session_manager: cannot serve org.gnome.SessionManager on the session bus\n");
    return 1;
  }
  for (;;) {
    const int r = sd_bus_process(bus, NULL);
    if (r < 0) break;
    if (r == 0 && sd_bus_wait(bus, UINT64_MAX) < 0) break;
  }
  sd_bus_flush_close_unref(bus);
  return 0;
}
