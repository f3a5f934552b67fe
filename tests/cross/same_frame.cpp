// The same core in both builds: from one seed and one sequence of tick times the Linux and
// the Windows program must move the balls bit for bit alike and draw the same picture within
// 1/255 per channel (both on Mesa llvmpipe). Each build renders with its own context code:
//   same_frame FILE            renders the frame and writes positions and pixels to FILE
//   same_frame --compare A B   compares two such files; exit code 0 when they agree
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include "render/gl_context_wgl.h"
#include "test_window.h"
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
constexpr int positionWords = BALL_SLOTS * 3;

// The platform's window with the program's context on it, clientRect set.
bool openContext() {
  clientRect = {0, 0, width, height};
#ifdef _WIN32
  initGLContext(createTestWindow(width, height));
  return true;
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
  uint32_t now = 5000;
  for (int tick = 0; tick < ticks; ++tick) {
    now += 10 + static_cast<uint32_t>(tick * 7 % 23);
    // The last frame stays in the back buffer to be read.
    if (runFrameTick(now) && tick + 1 < ticks) swap();
  }
  glFinish();
  std::vector<unsigned char> pixels(width * height * 3);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  FILE* file = std::fopen(path, "wb");
  if (!file) return 2;
  std::fwrite(&ballPos[0].x, sizeof(float), positionWords, file);
  std::fwrite(pixels.data(), 1, pixels.size(), file);
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

int compare(const char* first, const char* second) {
  const std::vector<unsigned char> a = readFile(first), b = readFile(second);
  const size_t expected = positionWords * sizeof(float) + width * height * 3;
  if (a.size() != expected || b.size() != expected) {
    std::printf("same_frame: the files are not both frames (%zu and %zu bytes)\n", a.size(),
                b.size());
    return 1;
  }
  const size_t positionBytes = positionWords * sizeof(float);
  const bool samePositions = std::memcmp(a.data(), b.data(), positionBytes) == 0;
  int worst = 0, differing = 0, lit = 0;
  for (size_t i = positionBytes; i < expected; ++i) {
    const int difference = std::abs(a[i] - b[i]);
    worst = difference > worst ? difference : worst;
    differing += difference != 0;
    lit += a[i] > 40;
  }
  std::printf("same_frame: positions %s; channels differing %d, by at most %d/255; lit %d\n",
              samePositions ? "identical" : "DIFFER", differing, worst, lit);
  return samePositions && worst <= 1 && lit > 1000 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--compare") == 0) return compare(argv[2], argv[3]);
  if (argc == 2) return render(argv[1]);
  std::fprintf(stderr, "usage: same_frame FILE | same_frame --compare A B\n");
  return 2;
}
