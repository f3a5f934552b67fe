// The same core in every build: from one seed and one sequence of tick times the Linux, the
// Wayland and the Windows program must move the balls bit for bit alike and draw the same
// pictures (all on Mesa llvmpipe). Each build renders with its own context code:
//   same_frame FILE                   renders the frames and writes positions and pixels
//   same_frame --compare A B [SHARE]  compares two such files; exit code 0 when they agree:
//                                     every channel within 1/255, or with SHARE (a fraction)
//                                     at least that share of channels within 2/255
// The Linux builds also draw that state's last frame with any settings, size and drawing
// path, as a binary PPM (top row first), so that the two paths can be compared from outside:
//   same_frame --quality exact|fast --size WxH [the program's setting options] --ppm FILE
//   same_frame --compare-ppm A B      the share of pixels off by more than 32/255 and the
//                                     largest difference; exit code 0 for at most 1 %
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include "render/context/gl_context_wgl.h"
#include "test_window.h"
#elif defined(VORLIX_GLES)
#include "host_wayland/wayland_display.h"
#include "host_wayland/wayland_surface.h"
#include "render/context/gl_api.h"
#include "render/context/gl_context_egl.h"
#else
#include "host_x11/x11_window.h"
#include "render/context/gl_context_glx.h"
#endif
#ifndef _WIN32
#include "host_linux/options.h"
#endif
#include "render/field/field_pass.h"
#include "render/scene_setup.h"
#include "saver/frame_tick.h"
#include "scene/balls.h"
#include "scene/frame_clock.h"
#include "scene/random.h"
#include "scene/settings.h"

namespace {

int width = 256;
int height = 192;
constexpr int ticks = 40;
constexpr int frames = 4;  // the frames of ticks 10, 20, 30 and 40 are kept
constexpr int positionWords = BALL_SLOTS * 3;
constexpr size_t frameBytes = positionWords * sizeof(float) + 256 * 192 * 3;

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
  static DrawSurface surface;
  if (connectWayland(failure) &&
      createDrawSurface(surface, SurfaceRole::ownWindow, nullptr, width, height, failure) &&
      initEGLContext(wayland.display, surface.surface, width, height, failure))
    return true;
  std::fprintf(stderr, "same_frame: %s\n", failure.c_str());
  return false;
#else
  HostOptions options;
  options.width = width;
  options.height = height;
  std::string failure;
  if (openDrawTarget(options, failure) &&
      initGLContext(drawTarget.display, drawTarget.window, clientRect, failure))
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
SaverSettings comparedSettings() {
  SaverSettings settings = defaultSettings;
  settings.nBalls = 20;
  settings.motionBlur = settings.feather = settings.contour = true;
  settings.blobbiness = 40;
  settings.springK = 60;
  settings.damping = 10;
  return settings;
}

// Reads the drawn frame, bottom row first, as RGB.
void readFrame(std::vector<unsigned char>& rgba, std::vector<unsigned char>& rgb) {
  // Read from the back buffer before the swap; RGBA is the one form every GL reads.
  glFinish();
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  for (size_t i = 0, o = 0; i < rgba.size(); i += 4)
    for (size_t c = 0; c < 3; ++c) rgb[o++] = rgba[i + c];
}

// The frames of ticks 10, 20, 30 and 40 into path, each as the positions, then the pixels
// bottom row first. With ppm, the state after pictureTicks ticks instead (all but the last
// few only move the balls, so that a large picture is quick), its pixels as a PPM. With
// ghosting the last 40 are drawn: the ring turns every 8 passes, so each of its four frames is
// then one the path drew from moving balls, not a priming pass.
constexpr int pictureTicks = 300;
int render(const char* path, const SaverSettings& settings, bool ppm = false) {
  if (!openContext()) return 2;
  seedRandom(20261207);
  saverSettings = settings;
  initScene();
  FILE* file = std::fopen(path, "wb");
  if (!file) return 2;
  std::vector<unsigned char> rgba(width * height * 4), rgb(width * height * 3);
  const int total = ppm ? pictureTicks : ticks;
  uint32_t now = 5000;
  for (int tick = 0; tick < total; ++tick) {
    now += 10 + static_cast<uint32_t>(tick * 7 % 23);
    float elapsed;
    if (ppm && tick < total - (settings.motionBlur ? 40 : 4)) {
      if (takeTickReading(now, elapsed)) advanceSimulation(elapsed);
      continue;
    }
    if (!runFrameTick(now)) continue;
    if (!ppm && (tick + 1) % (ticks / frames) == 0) {
      readFrame(rgba, rgb);
      std::fwrite(&ballPos[0].x, sizeof(float), positionWords, file);
      std::fwrite(rgb.data(), 1, rgb.size(), file);
    }
    if (ppm && tick + 1 == total) {
      readFrame(rgba, rgb);
      std::fprintf(file, "P6\n%d %d\n255\n", width, height);
      for (int row = height - 1; row >= 0; --row)
        std::fwrite(rgb.data() + size_t(row) * width * 3, 1, size_t(width) * 3, file);
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


// Two pictures of one size: the share of pixels off by more than 32/255 in any channel
// (at most 1 % agrees) and the largest difference.
int comparePictures(const char* first, const char* second) {
  const std::vector<unsigned char> a = readFile(first), b = readFile(second);
  int w = 0, h = 0, wb = 0, hb = 0, header = 0, headerB = 0;
  if (a.size() < 16 || b.size() < 16 ||
      std::sscanf(reinterpret_cast<const char*>(a.data()), "P6 %d %d 255%n", &w, &h, &header) != 2 ||
      std::sscanf(reinterpret_cast<const char*>(b.data()), "P6 %d %d 255%n", &wb, &hb, &headerB) != 2 ||
      w != wb || h != hb || a.size() != size_t(header) + 1 + size_t(w) * h * 3 || b.size() != a.size()) {
    std::printf("same_frame: the pictures are not two PPMs of one size\n");
    return 1;
  }
  int off = 0, worst = 0;
  for (size_t p = header + 1; p < a.size(); p += 3) {
    int largest = 0;
    for (int c = 0; c < 3; ++c) largest = std::max(largest, std::abs(a[p + c] - b[p + c]));
    off += largest > 32;
    worst = std::max(worst, largest);
  }
  const double share = 100.0 * off / (double(w) * h);
  std::printf("same_frame: %d of %d pixels off by more than 32/255 (%.3f %%), largest "
              "difference %d/255\n", off, w * h, share, worst);
  return share <= 1.0 ? 0 : 1;
}

#ifndef _WIN32
// The --ppm form: --size and --ppm taken out, the rest read as the Linux program reads them.
int renderPicture(int argc, char** argv) {
  const char* picture = nullptr;
  std::vector<const char*> rest = {argv[0]};
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--ppm") == 0 && i + 1 < argc) {
      picture = argv[++i];
    } else if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
      if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width < 1 || height < 1 ||
          width > 4096 || height > 4096)
        return std::fprintf(stderr, "same_frame: --size takes WxH\n"), 2;
    } else {
      rest.push_back(argv[i]);
    }
  }
  const ParsedOptions parsed = parseOptions(static_cast<int>(rest.size()), rest.data(), nullptr);
  if (!picture || !parsed.error.empty())
    return std::fprintf(stderr, "same_frame: %s\n", picture ? parsed.error.c_str() : "no --ppm"), 2;
  drawQuality = parsed.options.quality == DrawQuality::fast ? DrawQuality::fast : DrawQuality::exact;
  const int status = render(picture, parsed.options.settings, true);
  std::printf("same_frame: drawn by the %s path\n", drawPathName(currentDrawPath()));
  return status;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "--compare") == 0)
    return compare(argv[2], argv[3], argc == 5 ? std::atof(argv[4]) : 0.0);
  if (argc == 4 && std::strcmp(argv[1], "--compare-ppm") == 0)
    return comparePictures(argv[2], argv[3]);
  if (argc == 2) return render(argv[1], comparedSettings());
#ifndef _WIN32
  if (argc > 2) return renderPicture(argc, argv);
#endif
  std::fprintf(stderr, "usage: same_frame FILE | same_frame --compare A B [SHARE]\n");
  return 2;
}
