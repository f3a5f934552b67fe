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
// A key pressed and released; NOTE: without -s wtype removes its keyboard before the press lands.
inline void press(const std::string& key) { output("wtype -s 200 -k " + key); }

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
// entry given ("NAME=VALUE"), such as the runtime folder of one private sway.
inline int countProcesses(const std::string& path, const std::string& entry) {
  char wanted[PATH_MAX] = "";
  if (!path.empty() && !realpath(path.c_str(), wanted)) return -1;
  int count = 0;
  DIR* proc = opendir("/proc");
  for (dirent* process; proc && (process = readdir(proc));) {
    const std::string folder = std::string("/proc/") + process->d_name;
    char exe[PATH_MAX] = "";
    const ssize_t length = readlink((folder + "/exe").c_str(), exe, sizeof exe - 1);
    if (length <= 0 || (!path.empty() && std::string(exe, length) != wanted)) continue;
    std::ifstream in(folder + "/environ");
    const std::string environment((std::istreambuf_iterator<char>(in)), {});
    count += ('\0' + environment).find('\0' + entry + '\0') != std::string::npos;
  }
  if (proc) closedir(proc);
  return count;
}

// Debian's sway, headless, as user 65534 when the test runs as root (sway refuses root), with a
// runtime folder of its own: outputs HEADLESS-1 640x480 and HEADLESS-2 480x320 beside it, and
// HEADLESS-3 320x240 once "create_output" adds it. Its seat has a keyboard and a mouse from
// the start, as a user's desktop has. Its clients' environment is set in this process too, for
// grim, wtype, swaymsg and the like.
class PrivateSway {
 public:
  PrivateSway() {
    const uid_t user = geteuid() == 0 ? 65534 : geteuid();
    char folder[] = "/tmp/vorlixss-sway-XXXXXX";
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
    const std::vector<std::string> environment = {
        "XDG_RUNTIME_DIR=" + folder_, "HOME=" + home, "WLR_BACKENDS=headless",
        "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman", "WLR_HEADLESS_OUTPUTS=2"};
    const std::string id = std::to_string(user);
    std::vector<std::string> command = {"/usr/bin/sway", "-c", config};
    if (geteuid() == 0)
      command.insert(command.begin(), {"/usr/bin/setpriv", "--reuid=" + id, "--regid=" + id,
                                       "--clear-groups"});
    sway_ = std::make_unique<ChildProcess>(
        command[0], std::vector<std::string>(command.begin() + 1, command.end()), environment);
    for (int tries = 0; tries < 500 && (socket_.empty() || ipc_.empty()); ++tries, pause(20)) {
      if (sway_->waitEnd(0)) return;
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
    setenv("SWAYSOCK", ipc_.c_str(), 1);
    if (ready()) holdDevices(true, true);
  }
  ~PrivateSway() {
    stop();
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("SWAYSOCK");
    if (!folder_.empty()) output("rm -rf '" + folder_ + "'");
  }
  void stop() {
    if (!sway_) return;
    holdDevices(false, false);
    kill(SIGTERM);
    sway_->waitEnd(5000);
    sway_.reset();
  }
  bool ready() const { return !socket_.empty() && !ipc_.empty(); }
  // The seat's lasting devices from now on, each there until the next call: a keyboard (a wtype
  // asleep before its one key) and a mouse (the tests' pointer, waiting). Keys and moves come
  // from devices that come and go beside them (press, useMouse), as a second keyboard's would.
  void holdDevices(bool keyboard, bool pointer) {
    keyboard_.reset();
    pointer_.reset();
    if (keyboard)
      keyboard_ = std::make_unique<ChildProcess>(
          "/usr/bin/wtype", std::vector<std::string>{"-s", "600000", "-k", "F24"}, env());
    if (pointer)
      pointer_ = std::make_unique<ChildProcess>(
          VORLIX_VIRTUAL_POINTER, std::vector<std::string>{"0", "wait", "600000"}, env());
    // The seat has the devices asked for, and only those, before anything else starts.
    for (int tries = 0; tries < 250; ++tries, pause(20)) {
      const std::string inputs = swaymsg("-t get_inputs");
      if ((inputs.find("\"type\": \"keyboard\"") != std::string::npos) == keyboard &&
          (inputs.find("\"type\": \"pointer\"") != std::string::npos) == pointer)
        return;
    }
  }
  pid_t pid() const { return sway_ ? sway_->pid() : -1; }
  void kill(int signal) const { ::kill(pid(), signal); }
  const std::string& folder() const { return folder_; }  // its XDG_RUNTIME_DIR
  std::string mark() const { return "XDG_RUNTIME_DIR=" + folder_; }  // in its clients' environment
  // What a client needs to reach it, and more entries.
  std::vector<std::string> env(const std::vector<std::string>& more = {}) const {
    std::vector<std::string> all = {"XDG_RUNTIME_DIR=" + folder_, "WAYLAND_DISPLAY=" + socket_,
                                    "SWAYSOCK=" + ipc_};
    all.insert(all.end(), more.begin(), more.end());
    return all;
  }

 private:
  std::unique_ptr<ChildProcess> sway_, keyboard_, pointer_;
  std::string folder_, socket_, ipc_;  // runtime folder, socket name, IPC socket path
};

// The tests' virtual_pointer on the private sway: a mouse that comes, makes its moves ("move
// DX DY") and clicks ("button") and goes; the cursor stays where it was left.
inline void useMouse(const std::string& steps) {
  output(std::string(VORLIX_VIRTUAL_POINTER) + " 300 " + steps);
}
