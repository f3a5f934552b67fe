// Helpers of the Wayland program's tests: a private headless sway run as an unprivileged
// user, pictures of its outputs by grim, keys by wtype, a mouse of the tests' own, and the
// processes still running a given program.
#pragma once

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <memory>

#include "../support/child_process.h"

inline std::string swaymsg(const std::string& arguments) { return output("swaymsg " + arguments); }

// grim's picture of "-o OUTPUT", "-g 'X,Y WxH'" or, given "", all outputs; empty on failure.
inline Picture shoot(const std::string& what) {
  const std::string ppm = output("grim -t ppm " + what + " - 2>/dev/null");
  Picture picture;
  int depth = 0, start = 0;
  if (sscanf(ppm.c_str(), "P6 %d %d %d%n", &picture.width, &picture.height, &depth, &start) != 3 ||
      depth != 255 ||
      ppm.size() != static_cast<size_t>(start) + 1 + 3u * picture.width * picture.height)
    return {};
  picture.rgb.assign(ppm.begin() + start + 1, ppm.end());  // one white space ends the header
  return picture;
}

// Live processes running the executable at path (any, given "") whose environment holds the
// entry given ("NAME=VALUE"), such as the runtime folder of one private desktop.
inline std::vector<pid_t> findProcesses(const std::string& path, const std::string& entry) {
  char wanted[PATH_MAX] = "";
  std::vector<pid_t> found;
  if (!path.empty() && !realpath(path.c_str(), wanted)) return found;
  DIR* proc = opendir("/proc");
  for (dirent* process; proc && (process = readdir(proc));) {
    const std::string folder = std::string("/proc/") + process->d_name;
    char exe[PATH_MAX] = "";
    const ssize_t length = readlink((folder + "/exe").c_str(), exe, sizeof exe - 1);
    if (length <= 0 || (!path.empty() && std::string(exe, length) != wanted)) continue;
    std::ifstream in(folder + "/environ");
    const std::string environment((std::istreambuf_iterator<char>(in)), {});
    if (('\0' + environment).find('\0' + entry + '\0') != std::string::npos)
      found.push_back(atoi(process->d_name));
  }
  if (proc) closedir(proc);
  return found;
}
inline int countProcesses(const std::string& path, const std::string& entry) {
  return static_cast<int>(findProcesses(path, entry).size());
}

// The Wayland desktops the tests run on, each headless with software drawing.
enum class Desktop {
  sway,    // Debian's sway (1.7 here, 1.10 in the Debian 13 root)
  labwc,   // labwc (Raspberry Pi OS's desktop), in the Debian 13 root
  kwin,    // KDE Plasma's KWin, on a session bus of its own
  mutter,  // GNOME's mutter, on a session bus of its own
};

// A desktop, headless, as user 65534 when the test runs as root (the compositors refuse root),
// with a runtime folder of its own. sway's outputs: HEADLESS-1 640x480 and HEADLESS-2 480x320
// beside it, and HEADLESS-3 320x240 once "create_output" adds it; labwc's are made the same
// two sizes; KWin shows two outputs of 640x480, mutter 640x480 and 480x320. Where the desktop
// takes virtual devices (sway, labwc) its seat has a keyboard and a mouse from the start, as a
// user's desktop has. Its clients' environment is set in this process too, for grim, wtype,
// swaymsg and the like.
class PrivateDesktop {
 public:
  explicit PrivateDesktop(Desktop kind = Desktop::sway) : kind_(kind) {
    const uid_t user = geteuid() == 0 ? 65534 : geteuid();
    char folder[] = "/tmp/vorlixss-desktop-XXXXXX";
    if (!mkdtemp(folder)) return;
    folder_ = folder;
    const std::string home = folder_ + "/home", config = folder_ + "/config";
    mkdir(home.c_str(), 0700);
    std::ofstream(config) << "xwayland disable\n"
                             "output HEADLESS-1 resolution 640x480 position 0 0\n"
                             "output HEADLESS-2 resolution 480x320 position 640 0\n"
                             "output HEADLESS-3 resolution 320x240 position 1120 0\n"
                             "default_border none\ndefault_floating_border none\n"
                             "for_window [app_id=\"vorlixss\"] floating enable\n";
    if (chown(folder, user, user) != 0 || chown(home.c_str(), user, user) != 0) return;
    std::vector<std::string> environment = {
        "XDG_RUNTIME_DIR=" + folder_, "HOME=" + home, "WLR_BACKENDS=headless",
        "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman", "WLR_HEADLESS_OUTPUTS=2"};
    std::vector<std::string> command;
    switch (kind) {
      case Desktop::sway: command = {"/usr/bin/sway", "-c", config}; break;
      case Desktop::labwc: command = {"/usr/bin/labwc", "-C", home}; break;
      case Desktop::kwin:
        command = {"/usr/bin/kwin_wayland", "--virtual", "--width", "640", "--height", "480",
                   "--output-count", "2", "--socket", "wayland-1"};
        environment.push_back("QT_QPA_PLATFORM=offscreen");
        break;
      case Desktop::mutter:
        command = {"/usr/bin/mutter", "--headless", "--wayland", "--no-x11", "--virtual-monitor",
                   "640x480", "--virtual-monitor", "480x320", "--wayland-display", "wayland-1"};
        break;
    }
    if (kind == Desktop::kwin || kind == Desktop::mutter) {
      // Both serve their own parts on the session bus and end without one.
      bus_ = "unix:path=" + folder_ + "/bus";
      bus_daemon_ = std::make_unique<ChildProcess>(
          "/usr/bin/dbus-daemon",
          std::vector<std::string>{"--session", "--nofork", "--address=" + bus_}, environment);
      for (int tries = 0; tries < 250 && access((folder_ + "/bus").c_str(), F_OK); ++tries)
        pause(20);
      environment.push_back("DBUS_SESSION_BUS_ADDRESS=" + bus_);
#ifdef VORLIX_SESSION_MANAGER
      // GNOME's idle inhibition: mutter hands a window's inhibitor to GNOME's screen-saver
      // proxy, which hands it to the session manager (the tests' own: the real one needs
      // systemd and logind). Both there before mutter starts.
      if (kind == Desktop::mutter) {
        session_ = std::make_unique<ChildProcess>(VORLIX_SESSION_MANAGER,
                                                  std::vector<std::string>{}, environment);
        for (int tries = 0; tries < 250 && sessionInhibited().empty(); ++tries) pause(20);
        proxy_ = std::make_unique<ChildProcess>("/usr/libexec/gsd-screensaver-proxy",
                                                std::vector<std::string>{}, environment);
      }
#endif
    }
    const std::string id = std::to_string(user);
    if (geteuid() == 0)
      command.insert(command.begin(), {"/usr/bin/setpriv", "--reuid=" + id, "--regid=" + id,
                                       "--clear-groups"});
    desktop_ = std::make_unique<ChildProcess>(
        command[0], std::vector<std::string>(command.begin() + 1, command.end()), environment);
    for (int tries = 0; tries < 1000 && !ready(); ++tries, pause(20)) {
      if (desktop_->waitEnd(0)) return;
      DIR* runtime = opendir(folder);
      for (dirent* entry; runtime && (entry = readdir(runtime));) {
        const std::string name = entry->d_name;
        if (name.rfind("wayland-", 0) == 0 && name.find(".lock") == std::string::npos)
          socket_ = name;
        if (name.rfind("sway-ipc.", 0) == 0) ipc_ = folder_ + "/" + name;
      }
      if (runtime) closedir(runtime);
    }
    setenv("XDG_RUNTIME_DIR", folder, 1);
    setenv("WAYLAND_DISPLAY", socket_.c_str(), 1);
    if (!ipc_.empty()) setenv("SWAYSOCK", ipc_.c_str(), 1);
    if (!bus_.empty()) setenv("DBUS_SESSION_BUS_ADDRESS", bus_.c_str(), 1);
    // labwc's headless outputs start at 1280x720, side by side in its own order: the tests draw on
    // the sizes and places sway is given, or not at all.
    if (ready() && kind == Desktop::labwc &&
        std::system("wlr-randr --output HEADLESS-1 --custom-mode 640x480 --pos 0,0 --output "
                    "HEADLESS-2 --custom-mode 480x320 --pos 640,0") != 0)
      giveUp("wlr-randr could not lay labwc's outputs out");
    if (ready() && (kind == Desktop::sway || kind == Desktop::labwc) && !holdDevices(true, true))
      giveUp("the seat did not show the tests' keyboard and mouse");
  }
  ~PrivateDesktop() {
    stop();
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("SWAYSOCK");
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    if (!folder_.empty()) output("rm -rf '" + folder_ + "'");
  }
  void stop() {
    if (!desktop_) return;
    keyboard_.reset();  // labwc's seat keeps telling of them: no wait for it to forget
    pointer_.reset();
    kill(SIGTERM);
    desktop_->waitEnd(5000);
    desktop_.reset();
    if (bus_daemon_) ::kill(bus_daemon_->pid(), SIGTERM), bus_daemon_->waitEnd(5000);
    bus_daemon_.reset();
    proxy_.reset();
    session_.reset();
  }
  // GNOME's session manager's answer: whether idle is inhibited; empty where it is not there.
  std::string sessionInhibited() const {
    const std::string answer =
        output("DBUS_SESSION_BUS_ADDRESS=" + bus_ + " gdbus call --session --dest "
               "org.gnome.SessionManager --object-path /org/gnome/SessionManager --method "
               "org.gnome.SessionManager.IsInhibited 8 2>/dev/null");
    return answer.find("true") != std::string::npos    ? "true"
           : answer.find("false") != std::string::npos ? "false"
                                                        : "";
  }
  bool ready() const { return !socket_.empty() && (kind_ != Desktop::sway || !ipc_.empty()); }
  // The seat's lasting devices from now on, each there until the next call: a keyboard (the
  // tests' own, which types what press and type say) and a mouse (the tests' pointer, waiting;
  // moves come from a second one, useMouse). False when the seat did not come to show them.
  bool holdDevices(bool keyboard, bool pointer) {
    keyboard_.reset();
    pointer_.reset();
    if (keyboard)
      keyboard_ = std::make_unique<ChildProcess>(
          VORLIX_VIRTUAL_KEYBOARD, std::vector<std::string>{folder_ + "/keyboard"}, env());
    if (pointer)
      pointer_ = std::make_unique<ChildProcess>(
          VORLIX_VIRTUAL_POINTER, std::vector<std::string>{"0", "wait", "600000"}, env());
    // The seat has the devices asked for, and only those, before anything else starts: sway
    // lists them, others tell the seat's capabilities to any client.
    for (int tries = 0; tries < 250; ++tries, pause(20)) {
      std::string seat = kind_ == Desktop::sway ? swaymsg("-t get_inputs")
                                                : output("wayland-info 2>/dev/null");
      const char* keyboardWord = "\"type\": \"keyboard\"";
      const char* pointerWord = "\"type\": \"pointer\"";
      if (kind_ != Desktop::sway) {
        const size_t line = seat.find("capabilities:");
        seat = line == std::string::npos ? "" : seat.substr(line, seat.find('\n', line) - line);
        keyboardWord = "keyboard", pointerWord = "pointer";
      }
      if ((seat.find(keyboardWord) != std::string::npos) == keyboard &&
          (seat.find(pointerWord) != std::string::npos) == pointer)
        return true;
    }
    return false;
  }
  // A key pressed and released (an XKB name: a, Escape, Return), by the lasting keyboard or,
  // without one, by a wtype whose keyboard comes and goes with the key.
  // NOTE: without -s wtype removes its keyboard before the press lands.
  void press(const std::string& key) const {
    if (keyboard_)
      std::ofstream(folder_ + "/keyboard") << "key " << key << std::endl;
    else
      output("wtype -s 200 -k " + key);
  }
  // A word of lower-case letters, digits and '-' typed by the lasting keyboard.
  void type(const std::string& word) const {
    std::ofstream(folder_ + "/keyboard") << "text " << word << std::endl;
  }
  pid_t pid() const { return desktop_ ? desktop_->pid() : -1; }
  void kill(int signal) const { ::kill(pid(), signal); }
  const std::string& folder() const { return folder_; }  // its XDG_RUNTIME_DIR
  std::string mark() const { return "XDG_RUNTIME_DIR=" + folder_; }  // in its clients' environment
  // What a client needs to reach it, and more entries.
  std::vector<std::string> env(const std::vector<std::string>& more = {}) const {
    std::vector<std::string> all = {"XDG_RUNTIME_DIR=" + folder_, "WAYLAND_DISPLAY=" + socket_,
                                    "SWAYSOCK=" + ipc_};
    if (!bus_.empty()) all.push_back("DBUS_SESSION_BUS_ADDRESS=" + bus_);
    all.insert(all.end(), more.begin(), more.end());
    return all;
  }

 private:
  // A desktop not set up as the tests expect is no desktop: ended, and not ready, with why.
  void giveUp(const char* why) {
    std::fprintf(stderr, "%s\n", why);
    stop();
    socket_.clear();
  }

  Desktop kind_;
  std::unique_ptr<ChildProcess> desktop_, bus_daemon_, session_, proxy_, keyboard_, pointer_;
  std::string folder_, socket_, ipc_, bus_;  // runtime folder, socket name, sway's IPC, the bus
};
using PrivateSway = PrivateDesktop;

// The tests' virtual_pointer on the private sway: a mouse that comes, makes its moves ("move
// DX DY") and clicks ("button") and goes; the cursor stays where it was left.
inline void useMouse(const std::string& steps) {
  output(std::string(VORLIX_VIRTUAL_POINTER) + " 300 " + steps);
}
