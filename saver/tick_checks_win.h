// Checking build only (VORLIX_GL_CHECKS): per-tick GL error reading and a health line every
// ten seconds in logChecks.txt (ticks, GL errors, the process's GDI objects), read by the
// soak watcher. The shipped saver does not contain it.
#pragma once

// Reads the GL error flag once; every ten seconds (and at the first call) appends a line.
void checkTick();
