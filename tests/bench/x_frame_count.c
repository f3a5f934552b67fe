/* Preloaded into the peer X hack by scripts/bench: counts the image transfers that put
 * its frames on the screen (XPutImage, XShmPutImage, XCopyArea) and writes the counts to
 * $VORLIX_FRAME_COUNT_FILE when the hack ends or receives SIGTERM. Reads nothing of the
 * hack; it only wraps the Xlib entry points. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

static volatile long putImages, shmPutImages, copyAreas;
static struct timespec started;

static void writeCounts(void) {
  const char* path = getenv("VORLIX_FRAME_COUNT_FILE");
  if (!path) return;
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  FILE* file = fopen(path, "w");
  if (!file) return;
  fprintf(file, "seconds=%.3f\nput_image=%ld\nshm_put_image=%ld\ncopy_area=%ld\n",
          (now.tv_sec - started.tv_sec) + (now.tv_nsec - started.tv_nsec) / 1e9, putImages,
          shmPutImages, copyAreas);
  fclose(file);
}

static void onTerm(int sig) {
  (void)sig;
  writeCounts();
  _exit(0);
}

__attribute__((constructor)) static void start(void) {
  clock_gettime(CLOCK_MONOTONIC, &started);
  signal(SIGTERM, onTerm);
  atexit(writeCounts);
}

/* Each wrapper counts, then calls the real entry point found behind this library. */
int XPutImage(void* d, unsigned long dr, void* gc, void* im, int sx, int sy, int dx, int dy,
              unsigned w, unsigned h) {
  static int (*real)(void*, unsigned long, void*, void*, int, int, int, int, unsigned, unsigned);
  if (!real) real = dlsym(RTLD_NEXT, "XPutImage");
  ++putImages;
  return real(d, dr, gc, im, sx, sy, dx, dy, w, h);
}

int XShmPutImage(void* d, unsigned long dr, void* gc, void* im, int sx, int sy, int dx, int dy,
                 unsigned w, unsigned h, int send_event) {
  static int (*real)(void*, unsigned long, void*, void*, int, int, int, int, unsigned, unsigned,
                     int);
  if (!real) real = dlsym(RTLD_NEXT, "XShmPutImage");
  ++shmPutImages;
  return real(d, dr, gc, im, sx, sy, dx, dy, w, h, send_event);
}

int XCopyArea(void* d, unsigned long src, unsigned long dst, void* gc, int sx, int sy,
              unsigned w, unsigned h, int dx, int dy) {
  static int (*real)(void*, unsigned long, unsigned long, void*, int, int, unsigned, unsigned,
                     int, int);
  if (!real) real = dlsym(RTLD_NEXT, "XCopyArea");
  ++copyAreas;
  return real(d, src, dst, gc, sx, sy, w, h, dx, dy);
}
