// Picture judging shared by the end-to-end tests.
#include "saver_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>

double hueOf(int r, int g, int b) {
  const int high = std::max({r, g, b});
  const int low = std::min({r, g, b});
  if (high == low) return -1.0;
  const double span = high - low;
  double hue = 0.0;
  if (high == r)
    hue = 60.0 * std::fmod((g - b) / span + 6.0, 6.0);
  else if (high == g)
    hue = 60.0 * ((b - r) / span + 2.0);
  else
    hue = 60.0 * ((r - g) / span + 4.0);
  return hue;
}

PictureCounts countPicture(const Screen& screen) {
  PictureCounts counts;
  for (int y = 0; y < screen.height - floorRows; ++y) {
    for (int x = 0; x < screen.width; ++x) {
      const unsigned char* p = &screen.bytes[4 * (static_cast<size_t>(y) * screen.width + x)];
      const int b = p[0], g = p[1], r = p[2];
      if (std::max({r, g, b}) < litLow) continue;
      ++counts.lit;
      const double hue = hueOf(r, g, b);
      if (hue < 0.0) continue;
      ++counts.perSector[std::min(static_cast<int>(hue / 60.0), hueSectors - 1)];
      if (counts.referenceHue < 0.0) counts.referenceHue = hue;
      const double gap = std::fabs(hue - counts.referenceHue);
      counts.widestHueGap = std::max(counts.widestHueGap, std::min(gap, 360.0 - gap));
    }
  }
  return counts;
}

PictureCounts countFullerPicture(const Screen& first, const Screen& second) {
  const PictureCounts early = countPicture(first), late = countPicture(second);
  return early.lit > late.lit ? early : late;
}

int changedPixels(const Screen& a, const Screen& b) {
  int changed = 0;
  for (size_t i = 0; i + 3 < a.bytes.size() && i + 3 < b.bytes.size(); i += 4)
    if (a.bytes[i] != b.bytes[i] || a.bytes[i + 1] != b.bytes[i + 1] ||
        a.bytes[i + 2] != b.bytes[i + 2])
      ++changed;
  return changed;
}

int sectorsWithAtLeast(const PictureCounts& counts, int minimum) {
  int sectors = 0;
  for (int count : counts.perSector) sectors += count >= minimum ? 1 : 0;
  return sectors;
}

bool screenshotsOfSaver(Screen& first, Screen& second, std::string& failure) {
  SaverProcess saver = startSaver("/s");
  if (!saver.started) {
    failure = "the saver did not start";
    return false;
  }
  HWND window = nullptr;
  for (int i = 0; i < 200 && !window; ++i) {
    Sleep(100);
    window = FindWindowA("WindowsScreenSaverClass", nullptr);
  }
  if (!window) {
    failure = "the saver showed no window";
    return false;
  }
  Sleep(1500);  // past the first frames
  first = takeScreenshot();
  Sleep(1000);
  second = takeScreenshot();
  const bool running = saver.waitExit(0) == STILL_ACTIVE;
  saver.kill();
  for (int i = 0; i < 50 && FindWindowA("WindowsScreenSaverClass", nullptr); ++i) Sleep(100);
  if (!running) failure = "the saver ended early";
  return running;
}

namespace {
template <class T>
void put(std::string& out, T value) {
  for (size_t i = 0; i < sizeof value; ++i)
    out += static_cast<char>((static_cast<uint64_t>(value) >> (8 * i)) & 0xFF);
}
}  // namespace

bool writeBitmap(const std::string& path, const Screen& screen, const RECT& area) {
  const int left = std::max(0, static_cast<int>(area.left));
  const int top = std::max(0, static_cast<int>(area.top));
  const int right = std::min(screen.width, static_cast<int>(area.right));
  const int bottom = std::min(screen.height, static_cast<int>(area.bottom));
  if (right <= left || bottom <= top) return false;
  const int width = right - left, height = bottom - top;
  const uint32_t stride = (3 * width + 3) & ~3u;
  const uint32_t pixelBytes = stride * height;
  std::string out;
  out += "BM";
  put<uint32_t>(out, 54 + pixelBytes);
  put<uint32_t>(out, 0);
  put<uint32_t>(out, 54);
  put<uint32_t>(out, 40);
  put<int32_t>(out, width);
  put<int32_t>(out, height);  // bottom row first
  put<uint16_t>(out, 1);
  put<uint16_t>(out, 24);
  for (int i = 0; i < 6; ++i) put<uint32_t>(out, 0);
  for (int y = bottom - 1; y >= top; --y) {
    for (int x = left; x < right; ++x) {
      const unsigned char* p = &screen.bytes[4 * (static_cast<size_t>(y) * screen.width + x)];
      out.append(reinterpret_cast<const char*>(p), 3);
    }
    out.append(stride - 3 * width, '\0');
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << out;
  return static_cast<bool>(file);
}
