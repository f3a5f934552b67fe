// The Linux program vorlixss: an XScreenSaver module, or a window of its own.
#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "host_linux/options.h"
#include "host_x11/saver_run.h"

// Reads the command line and the environment, then runs the saver; exit code 1 for a bad
// command line, after one line that names the option and what it accepts.
int main(int argc, char** argv) {
  // NOTE: started with standard error (or input or output) closed, as some launchers do, the
  // X connection would take that number, and a message would go into the X protocol and
  // block the program for ever. /dev/null takes each closed one first.
  for (int descriptor = 0; descriptor <= 2; ++descriptor)
    if (fcntl(descriptor, F_GETFD) < 0 && errno == EBADF && open("/dev/null", O_RDWR) != descriptor)
      return 1;
  const ParsedOptions parsed = parseOptions(argc, argv, std::getenv("XSCREENSAVER_WINDOW"));
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "vorlixss: %s\n", parsed.error.c_str());
    return 1;
  }
  if (parsed.options.help) {
    std::fputs(optionsHelp().c_str(), stdout);
    return 0;
  }
  if (parsed.options.version) {
    std::fputs(versionLine().c_str(), stdout);
    return 0;
  }
  return runSaver(parsed.options);
}
