// Checking build only (VORLIX_GL_CHECKS): per-tick GL error reading and a once-a-minute
// health line in logChecks.txt (ticks, GL errors, the process's GDI objects), read by the
// soak watcher. The shipped saver does not contain it.
#pragma once

// Reads the GL error flag once; once a minute (and at the first call) appends a line.
void checkTick();
