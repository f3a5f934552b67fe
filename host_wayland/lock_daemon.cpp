// Linux Wayland: the fork of --daemonize and the pipe that says "locked".
#include "host_wayland/lock_daemon.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

int toParent = -1;  // the child's end of the pipe, until it said "locked"

}  // namespace

int forkLockDaemon() {
  int pipe[2];
  if (pipe2(pipe, O_CLOEXEC) != 0) {
    std::fprintf(stderr, "vorlixss-wayland: cannot make a pipe for --daemonize (%s)\n",
                 std::strerror(errno));
    return 1;
  }
  const pid_t child = fork();
  if (child < 0) {
    std::fprintf(stderr, "vorlixss-wayland: cannot fork for --daemonize (%s)\n",
                 std::strerror(errno));
    return 1;
  }
  if (child == 0) {
    close(pipe[0]);
    toParent = pipe[1];
    setsid();  // away from the caller's terminal and process group
    // Nothing waits on the caller's output for the child (a "$(...)" would); lines go on
    // to standard error.
    const int quiet = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (quiet >= 0) dup2(quiet, 0), dup2(quiet, 1), close(quiet);
    return -1;
  }
  close(pipe[1]);
  char word = 0;
  ssize_t got;
  while ((got = read(pipe[0], &word, 1)) < 0 && errno == EINTR) {
  }
  close(pipe[0]);
  if (got == 1) return 0;
  // The child ended before the lock: its exit code, its line said already.
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

void tellLocked() {
  if (toParent < 0) return;
  const char word = 'L';
  if (write(toParent, &word, 1) != 1) {
    // the parent went: nobody waits for the word
  }
  close(toParent);
  toParent = -1;
}
