// The Linux program vorlixss: an XScreenSaver module, or a window of its own.
#include <cstdio>
#include <cstdlib>

#include "host_x11/options.h"
#include "host_x11/saver_run.h"

// Reads the command line and the environment, then runs the saver; exit code 1 for a bad
// command line, after one line that names the option and what it accepts.
int main(int argc, char** argv) {
  const ParsedOptions parsed = parseOptions(argc, argv, std::getenv("XSCREENSAVER_WINDOW"));
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "vorlixss: %s\n", parsed.error.c_str());
    return 1;
  }
  if (parsed.options.help) {
    std::fputs(optionsHelp().c_str(), stdout);
    return 0;
  }
  return runSaver(parsed.options);
}
