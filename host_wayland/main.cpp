// The Linux program vorlixss-wayland: a screen saver over every output that idle daemons
// such as swayidle start, or a window of its own.
#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "host_linux/options.h"
#include "host_wayland/idle_run.h"
#include "host_wayland/output_group.h"
#include "host_wayland/surface_run.h"

// Reads the command line, then runs the own window, the saver's group, the idle watcher that
// runs the group at each idle spell, or (started by the group) the cover of one output; exit
// code 1 for a bad command line, after one line.
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
  if (parsed.options.place != DrawPlace::rootWindow) return runSurface(parsed.options, {});
  unsigned long global = 0, index = 0;
  const char* cover = std::getenv(coverVariable);
  if (cover && std::sscanf(cover, "%lu:%lu", &global, &index) == 2) {
    SurfacePlace place;
    place.saver = true;
    place.outputGlobal = static_cast<uint32_t>(global);
    place.index = static_cast<uint32_t>(index);
    place.report = coverReportDescriptor;
    return runSurface(parsed.options, place);
  }
  if (parsed.options.idleSeconds > 0) return runIdle(parsed.options, argv);
  return runOutputGroup(parsed.options, argv);
}
