// Linux Wayland: --lock --daemonize, for swayidle's before-sleep and the idle line: the
// program forks before it connects, the parent waits until the child says that the session
// is locked and returns 0 then, and the child draws on in the background.
#pragma once

// Forks. In the child: -1 (it goes on). In the parent, once the child said "locked": 0;
// once the child ended without saying it: the child's exit code (its line said why).
int forkLockDaemon();

// In the child: tells the parent that the session is locked (once; nothing without a parent
// waiting).
void tellLocked();
