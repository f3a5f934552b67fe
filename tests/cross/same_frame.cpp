// The same core in every build: from one seed and one sequence of tick times the Linux, the
// Wayland and the Windows program must move the balls bit for bit alike and draw the same
// pictures (all on Mesa llvmpipe). Each build renders with its own context code:
//   same_frame FILE                   renders the frames and writes positions and pixels
//   same_frame --compare A B [SHARE]  compares two such files; exit code 0 when they agree:
//                                     every channel within 1/255, or with SHARE (a fraction)
//                                     at least that share of channels within 2/255
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include "render/gl_context_wgl.h"
#include "test_window.h"
#elif defined(VORLIX_GLES)
#include "host_wayland/wayland_display.h"
#include "host_wayland/wayland_surface.h"
#include "render/gl_api.h"
#include "render/gl_context_egl.h"
#else
#include "host_x11/x11_window.h"
#include "render/gl_context_glx.h"
#endif
#include "render/scene_setup.h"
#include "saver/frame_tick.h"
#include "scene/balls.h"
#include "scene/frame_clock.h"
#include "scene/random.h"
#include "scene/settings.h"

namespace {

constexpr int width = 256;
constexpr int height = 192;
constexpr int ticks = 40;
constexpr int frames = 4;  // the frames of ticks 10, 20, 30 and 40 are kept
constexpr int positionWords = BALL_SLOTS * 3;
constexpr size_t frameBytes = positionWords * sizeof(float) + width * height * 3;

// The platform's window with the program's context on it, clientRect set.
bool openContext() {
  clientRect = {0, 0, width, height};
#ifdef _WIN32
  initGLContext(createTestWindow(width, height));
  return true;
#elif defined(VORLIX_GLES)
  // The compositor may tile the window to another size; the frames are drawn and read at
  // this one all the same.
  std::string failure;
  if (connectWayland(failure) &&
      createDrawSurface(SurfaceRole::ownWindow, nullptr, width, height, failure) &&
      initEGLContext(wayland.display, drawSurface.surface, width, height, failure))
    return true;
  std::fprintf(stderr, "same_frame: %s\n", failure.c_str());
  return false;
#else
  HostOptions options;
  options.width = width;
  options.height = height;
  std::string failure;
  if (openDrawTarget(options, failure) &&
      initGLContext(drawTarget.display, drawTarget.window, failure))
    return true;
  std::fprintf(stderr, "same_frame: %s\n", failure.c_str());
  return false;
#endif
}

void swap() {
#ifdef _WIN32
  SwapBuffers(windowDC);
#elif defined(VORLIX_GLES)
  swapEGLBuffers();
#else
  swapWindowBuffers();
#endif
}

// Every pass of the frame at work: ghosting, feather and contour, uneven tick times.
int render(const char* path) {
  if (!openContext()) return 2;
  seedRandom(20261207);
  saverSettings = defaultSettings;
  saverSettings.nBalls = 20;
  saverSettings.motionBlur = saverSettings.feather = saverSettings.contour = true;
  saverSettings.blobbiness = 40;
  saverSettings.springK = 60;
  saverSettings.damping = 10;
  initScene();
  FILE* file = std::fopen(path, "wb");
  if (!file) return 2;
  std::vector<unsigned char> rgba(width * height * 4), rgb(width * height * 3);
  uint32_t now = 5000;
  for (int tick = 0; tick < ticks; ++tick) {
    now += 10 + static_cast<uint32_t>(tick * 7 % 23);
    if (!runFrameTick(now)) continue;
    if ((tick + 1) % (ticks / frames) == 0) {
      // Read from the back buffer before the swap; RGBA is the one form every GL reads.
      glFinish();
      glPixelStorei(GL_PACK_ALIGNMENT, 1);
      glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
      for (size_t i = 0, o = 0; i < rgba.size(); i += 4)
        for (size_t c = 0; c < 3; ++c) rgb[o++] = rgba[i + c];
      std::fwrite(&ballPos[0].x, sizeof(float), positionWords, file);
      std::fwrite(rgb.data(), 1, rgb.size(), file);
    }
    swap();
  }
  std::fclose(file);
  return 0;
}

// The bytes of a file.
std::vector<unsigned char> readFile(const char* path) {
  std::vector<unsigned char> bytes;
  if (FILE* file = std::fopen(path, "rb")) {
    unsigned char block[65536];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
      bytes.insert(bytes.end(), block, block + got);
    std::fclose(file);
  }
  return bytes;
}

int compare(const char* first, const char* second, double share) {
  const std::vector<unsigned char> a = readFile(first), b = readFile(second);
  if (a.size() != frameBytes * frames || b.size() != frameBytes * frames) {
    std::printf("same_frame: the files are not both %d frames (%zu and %zu bytes)\n", frames,
                a.size(), b.size());
    return 1;
  }
  const size_t positionBytes = positionWords * sizeof(float);
  bool agree = true;
  for (int frame = 0; frame < frames; ++frame) {
    const unsigned char* x = a.data() + frame * frameBytes;
    const unsigned char* y = b.data() + frame * frameBytes;
    const bool samePositions = std::memcmp(x, y, positionBytes) == 0;
    // NOTE: not "near", which windows.h defines as a macro.
    int worst = 0, differing = 0, within2 = 0, lit = 0;
    for (size_t i = positionBytes; i < frameBytes; ++i) {
      const int difference = std::abs(x[i] - y[i]);
      worst = difference > worst ? difference : worst;
      differing += difference != 0;
      within2 += difference <= 2;
      lit += x[i] > 40;
    }
    const double within2Share = static_cast<double>(within2) / (frameBytes - positionBytes);
    std::printf("same_frame: tick %d: positions %s; channels differing %d, by at most %d/255, "
                "%.2f %% within 2/255; lit %d\n",
                (frame + 1) * ticks / frames, samePositions ? "identical" : "DIFFER", differing,
                worst, within2Share * 100, lit);
    agree = agree && samePositions && lit > 1000 &&
            (share > 0 ? within2Share >= share : worst <= 1);
  }
  return agree ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "--compare") == 0)
    return compare(argv[2], argv[3], argc == 5 ? std::atof(argv[4]) : 0.0);
  if (argc == 2) return render(argv[1]);
  std::fprintf(stderr, "usage: same_frame FILE | same_frame --compare A B [SHARE]\n");
  return 2;
}
