// Linux Wayland: the registry, the globals, and the event wait shared with EGL.
#include "host_wayland/wayland_display.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "host_linux/frame_loop.h"

WaylandGlobals wayland;

namespace {

// The compositor asks now and then whether the client still answers.
void onPing(void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }
const xdg_wm_base_listener wmBaseListener = {onPing};

// An output's facts as it tells them; only the current mode matters.
void onGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                const char*, int32_t) {}
void onMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
  if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
  auto* slot = static_cast<WaylandOutput*>(data);
  slot->width = width;
  slot->height = height;
}
void onDone(void*, wl_output*) {}
void onScale(void* data, wl_output*, int32_t factor) {
  static_cast<WaylandOutput*>(data)->scale = factor > 0 ? factor : 1;
}
void onName(void* data, wl_output*, const char* name) {
  auto* slot = static_cast<WaylandOutput*>(data);
  std::strncpy(slot->name, name, sizeof slot->name - 1);
}
void onDescription(void*, wl_output*, const char*) {}
const wl_output_listener outputListener = {onGeometry, onMode,  onDone,
                                           onScale,    onName, onDescription};

// NOTE: the seat tells its devices once, at once after the bind, and then only their
// changes: a listener added later never hears of a keyboard or a mouse that was there before
// the program started. So they are kept here from the bind on, for whoever follows them.
void onCapabilities(void*, wl_seat*, uint32_t capabilities) {
  wayland.seatCapabilities = capabilities;
  if (wayland.followSeat) wayland.followSeat(capabilities);
}
void onSeatName(void*, wl_seat*, const char*) {}
const wl_seat_listener seatListener = {onCapabilities, onSeatName};

// Binds the globals the program uses, at versions the protocol headers know.
void onGlobal(void*, wl_registry* registry, uint32_t name, const char* interface,
              uint32_t version) {
  auto bind = [&](const wl_interface* type, uint32_t highest) {
    return wl_registry_bind(registry, name, type, version < highest ? version : highest);
  };
  if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
    wayland.compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
  } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
    wayland.wmBase = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, 1));
    xdg_wm_base_add_listener(wayland.wmBase, &wmBaseListener, nullptr);
  } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
    wayland.layerShell = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 3));
  } else if (std::strcmp(interface, ext_session_lock_manager_v1_interface.name) == 0 &&
             wayland.wantLock) {
    wayland.lockManager = static_cast<ext_session_lock_manager_v1*>(
        bind(&ext_session_lock_manager_v1_interface, 1));
  } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !wayland.seat) {
    wayland.seat = static_cast<wl_seat*>(bind(&wl_seat_interface, 5));
    wl_seat_add_listener(wayland.seat, &seatListener, nullptr);
  } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
    for (WaylandOutput& slot : wayland.outputs) {
      if (slot.output) continue;
      slot = WaylandOutput{};
      slot.globalName = name;
      slot.output = static_cast<wl_output*>(bind(&wl_output_interface, 4));
      wl_output_add_listener(slot.output, &outputListener, &slot);
      wayland.outputsChanged = true;
      break;
    }
  }
}

// Only an output can go away while the program runs (a seat or a shell going is not
// something a saver can carry on from, and the compositor then ends the connection).
void onGlobalRemove(void*, wl_registry*, uint32_t name) {
  WaylandOutput* slot = findOutput(name);
  if (!slot) return;
  if (wl_output_get_version(slot->output) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
    wl_output_release(slot->output);
  else
    wl_output_destroy(slot->output);
  *slot = WaylandOutput{};
  wayland.outputsChanged = true;
}
const wl_registry_listener registryListener = {onGlobal, onGlobalRemove};

}  // namespace

bool waylandNamed(std::string& failure) {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  if (std::getenv("WAYLAND_SOCKET")) return true;
  if (!name || !*name) {
    failure = "WAYLAND_DISPLAY is not set, so there is no Wayland compositor to draw on";
    return false;
  }
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (name[0] != '/' && (!runtime || !*runtime)) {
    failure = "XDG_RUNTIME_DIR is not set, so the Wayland compositor's socket \"" +
              std::string(name) + "\" cannot be found";
    return false;
  }
  return true;
}

int takeDisplayLock(const char* kind) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string display = std::getenv("WAYLAND_DISPLAY") ? std::getenv("WAYLAND_DISPLAY") : "";
  for (char& c : display)
    if (c == '/') c = '_';
  const std::string path = std::string(runtime && *runtime ? runtime : "/tmp") +
                           "/vorlixss-wayland-" + kind + std::to_string(getuid()) + "-" +
                           display + ".lock";
  const int lock = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lock >= 0 && flock(lock, LOCK_EX | LOCK_NB) == 0) return lock;
  if (lock >= 0) close(lock);
  return -1;
}

bool connectWayland(std::string& failure) {
  if (!waylandNamed(failure)) return false;
  const char* name = std::getenv("WAYLAND_DISPLAY");
  wayland.display = wl_display_connect(nullptr);
  if (!wayland.display) {
    failure = std::string("cannot reach the Wayland compositor at \"") + (name ? name : "") +
              "\" (" + std::strerror(errno) + ")";
    return false;
  }
  wayland.registry = wl_display_get_registry(wayland.display);
  wl_registry_add_listener(wayland.registry, &registryListener, nullptr);
  // The first round trip brings the globals, the second what the bound ones tell at once.
  if (wl_display_roundtrip(wayland.display) < 0 || wl_display_roundtrip(wayland.display) < 0) {
    failure = "the Wayland compositor closed the connection at the start";
    return false;
  }
  if (!wayland.compositor || !wayland.wmBase) {
    failure = wayland.compositor ? "the Wayland compositor offers no xdg_wm_base (xdg-shell), "
                                   "so the saver cannot show a surface"
                                 : "the Wayland compositor offers no wl_compositor";
    return false;
  }
  return true;
}

WaylandOutput* findOutput(uint32_t globalName) {
  for (WaylandOutput& slot : wayland.outputs)
    if (slot.output && slot.globalName == globalName) return &slot;
  return nullptr;
}

// NOTE: EGL reads this connection too, on a queue of its own, and may have read the
// program's events already; so whatever is queued is dispatched before every wait, and the
// read goes through prepare/read, the only way that two readers of one display can share.
bool waitForWayland(int64_t timeout, pollfd* extra, int extraCount) {
  wl_display* display = wayland.display;
  while (wl_display_prepare_read(display) != 0)
    if (wl_display_dispatch_pending(display) < 0) return false;
  if (wl_display_flush(display) < 0 && errno != EAGAIN) {
    wl_display_cancel_read(display);
    return false;
  }
  pollfd fds[2 + 2 * maxOutputs] = {{wl_display_get_fd(display), POLLIN, 0},
                                    {stopSignalDescriptor(), POLLIN, 0}};
  int count = 2;
  for (int i = 0; i < extraCount && count < 2 + 2 * maxOutputs; ++i) fds[count++] = extra[i];
  const timespec limit{static_cast<time_t>(timeout / 1000000000),
                       static_cast<long>(timeout % 1000000000)};
  const int ready = ppoll(fds, count, timeout < 0 ? nullptr : &limit, nullptr);
  for (int i = 0; i < extraCount; ++i) extra[i].revents = fds[2 + i].revents;
  if (ready > 0 && (fds[0].revents & (POLLIN | POLLERR | POLLHUP))) {
    if (wl_display_read_events(display) < 0) return false;
  } else {
    wl_display_cancel_read(display);
  }
  return wl_display_dispatch_pending(display) >= 0;
}

bool flushWayland() {
  return wl_display_flush(wayland.display) >= 0 || errno == EAGAIN;
}

void disconnectWayland() {
  if (!wayland.display) return;
  for (WaylandOutput& slot : wayland.outputs)
    if (slot.output) wl_output_destroy(slot.output);
  if (wayland.seat) wl_seat_destroy(wayland.seat);
  // Before version 3 the layer shell has no destroy request: only the proxy goes.
  if (zwlr_layer_shell_v1* shell = wayland.layerShell) {
    if (zwlr_layer_shell_v1_get_version(shell) >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION)
      zwlr_layer_shell_v1_destroy(shell);
    else
      wl_proxy_destroy(reinterpret_cast<wl_proxy*>(shell));
  }
  if (wayland.lockManager) ext_session_lock_manager_v1_destroy(wayland.lockManager);
  if (wayland.wmBase) xdg_wm_base_destroy(wayland.wmBase);
  if (wayland.compositor) wl_compositor_destroy(wayland.compositor);
  if (wayland.registry) wl_registry_destroy(wayland.registry);
  wl_display_disconnect(wayland.display);
  wayland = WaylandGlobals{};
}
