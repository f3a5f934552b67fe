// The Linux program vorlixss-wayland: a screen saver over every output that idle daemons
// such as swayidle start, or a window of its own.
#include <fcntl.h>

#include <cerrno>
#include <cstdio>

#include "host_linux/options.h"
#include "host_wayland/idle_run.h"
#include "host_wayland/wayland_run.h"

// Reads the command line, then runs the own window, the saver over every output, or the idle
// watcher that runs the saver at each idle spell; exit code 1 for a bad command line, after
// one line.
int main(int argc, char** argv) {
  // NOTE: started with a standard descriptor closed, the compositor's socket would take its
  // number, and a message would go into the protocol; /dev/null takes each closed one first.
  for (int descriptor = 0; descriptor <= 2; ++descriptor)
    if (fcntl(descriptor, F_GETFD) < 0 && errno == EBADF && open("/dev/null", O_RDWR) != descriptor)
      return 1;
  const ParsedOptions parsed = parseOptions(argc, argv, nullptr, LinuxProgram::wayland);
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "vorlixss-wayland: %s\n", parsed.error.c_str());
    return 1;
  }
  if (parsed.options.help) {
    std::fputs(optionsHelp(LinuxProgram::wayland).c_str(), stdout);
    return 0;
  }
  if (parsed.options.version) {
    std::fputs(versionLine(LinuxProgram::wayland).c_str(), stdout);
    return 0;
  }
  if (parsed.options.idleSeconds > 0) return runIdle(parsed.options);
  return runWayland(parsed.options);
}
