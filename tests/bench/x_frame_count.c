/* Preloaded by scripts/bench into the peer X hack and into vorlixss (and by the tests into
 * vorlixss-wayland): counts the image transfers that put the hack's frames on the screen
 * (XPutImage, XShmPutImage, XCopyArea) and the GLX or EGL buffer swaps of a GL program, and
 * writes the counts to $VORLIX_FRAME_COUNT_FILE when the program ends or receives SIGTERM
 * (a process that counted nothing writes nothing). Of the swaps it also notes the wall-clock
 * time of the first, once the X server has processed it (and the
 * process's CPU time by then), and the monotonic and process CPU times of swap
 * $VORLIX_WARMUP_SWAPS (default 50) and of the last, so that the rate and the CPU leave the
 * start-up out. Reads nothing of the program; it only wraps the library entry points. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

static volatile long putImages, shmPutImages, copyAreas, swaps;
static struct timespec started;
static long warmupSwaps = 50;
static struct timespec firstSwapWall, firstSwapCpu, warmSwap, warmSwapCpu, lastSwap, lastSwapCpu;

static double seconds(struct timespec t) { return t.tv_sec + t.tv_nsec / 1e9; }

static void writeCounts(void) {
  const char* path = getenv("VORLIX_FRAME_COUNT_FILE");
  /* A process that showed nothing (vorlixss-wayland --root's group, whose covers are its
   * children with the same environment) leaves the file to those that did. */
  if (!path || (swaps == 0 && putImages == 0 && shmPutImages == 0 && copyAreas == 0)) return;
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  FILE* file = fopen(path, "w");
  if (!file) return;
  fprintf(file, "seconds=%.3f\nput_image=%ld\nshm_put_image=%ld\ncopy_area=%ld\n",
          (now.tv_sec - started.tv_sec) + (now.tv_nsec - started.tv_nsec) / 1e9, putImages,
          shmPutImages, copyAreas);
  if (swaps > 0) {
    fprintf(file, "swaps=%ld\nfirst_swap_unix_s=%.6f\nfirst_swap_cpu_s=%.6f\nwarmup_swaps=%ld\n",
            swaps, seconds(firstSwapWall), seconds(firstSwapCpu), warmupSwaps);
  }
  if (swaps > warmupSwaps) {
    const double span = seconds(lastSwap) - seconds(warmSwap);
    fprintf(file, "measured_swaps=%ld\nmeasured_seconds=%.3f\nswap_fps=%.2f\nswap_cpu_percent=%.1f\n",
            swaps - warmupSwaps, span, (swaps - warmupSwaps) / span,
            (seconds(lastSwapCpu) - seconds(warmSwapCpu)) / span * 100);
  }
  fclose(file);
}

static void onTerm(int sig) {
  (void)sig;
  writeCounts();
  _exit(0);
}

__attribute__((constructor)) static void start(void) {
  clock_gettime(CLOCK_MONOTONIC, &started);
  const char* warmup = getenv("VORLIX_WARMUP_SWAPS");
  if (warmup) warmupSwaps = atol(warmup);
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

/* The bookkeeping of a swap that has been made. The first frame counts once the server has
 * processed the swap's image (one round trip of X; none on Wayland, where the compositor
 * shows it at its next frame), so its time is when the frame is on the screen. */
static void countSwap(void* xDisplay) {
  static int (*sync)(void*, int);
  if (++swaps == 1) {
    if (xDisplay && !sync) sync = dlsym(RTLD_DEFAULT, "XSync");
    if (xDisplay && sync) sync(xDisplay, 0);
    clock_gettime(CLOCK_REALTIME, &firstSwapWall);
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &firstSwapCpu);
  }
  struct timespec* now = swaps == warmupSwaps ? &warmSwap : &lastSwap;
  struct timespec* cpu = swaps == warmupSwaps ? &warmSwapCpu : &lastSwapCpu;
  clock_gettime(CLOCK_MONOTONIC, now);
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, cpu);
}

void glXSwapBuffers(void* d, unsigned long drawable) {
  static void (*real)(void*, unsigned long);
  if (!real) real = dlsym(RTLD_NEXT, "glXSwapBuffers");
  real(d, drawable);
  countSwap(d);
}

unsigned eglSwapBuffers(void* display, void* surface) {
  static unsigned (*real)(void*, void*);
  if (!real) real = dlsym(RTLD_NEXT, "eglSwapBuffers");
  const unsigned swapped = real(display, surface);
  countSwap(NULL);
  return swapped;
}
