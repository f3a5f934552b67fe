// The picture seen on the screen: the real VorlixSS.scr saving the screen under Wine with
// default settings and with one and twenty balls, judged from two screenshots of the desktop.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "scene/settings.h"
#include "test_window.h"

namespace {

// Rows at the bottom of the screen where the floor glow lights dim pixels of its own.
constexpr int floorRows = 80;

// A pixel inside a blob has a fully saturated colour whose brightest channel is far above
// this; the black outside is 0.
constexpr int litLow = 38;

// Hue sectors of 60 degrees: red, yellow, green, cyan, blue, magenta.
constexpr int hueSectors = 6;

// Hue in degrees 0..360 of a pixel's red, green and blue; -1 for a grey.
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

// What the tests read from the picture above the floor rows.
struct PictureCounts {
  int lit = 0;                      // pixels whose brightest channel is litLow or more
  int perSector[hueSectors] = {};   // lit pixels in each hue sector
  double referenceHue = -1.0;       // hue of the first coloured lit pixel
  double widestHueGap = 0.0;        // largest hue distance of a lit pixel from it, 0..180
};

class Picture : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, settingsKeyPath); }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, settingsKeyPath); }



  // Lit pixels and their hues above the floor rows.
  static PictureCounts countPicture(const Screen& screen) {
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

  // Pixels whose colour differs between two screenshots of the same size.
  static int changedPixels(const Screen& a, const Screen& b) {
    int changed = 0;
    for (size_t i = 0; i + 3 < a.bytes.size() && i + 3 < b.bytes.size(); i += 4)
      if (a.bytes[i] != b.bytes[i] || a.bytes[i + 1] != b.bytes[i + 1] ||
          a.bytes[i + 2] != b.bytes[i + 2])
        ++changed;
    return changed;
  }

  // Hue sectors holding at least minimum lit pixels.
  static int sectorsWithAtLeast(const PictureCounts& counts, int minimum) {
    int sectors = 0;
    for (int count : counts.perSector) sectors += count >= minimum ? 1 : 0;
    return sectors;
  }

  // Runs the saver full-screen and takes two screenshots a second apart.
  static void screenshotsOfSaver(Screen& first, Screen& second) {
    SaverProcess saver = startSaver("/s");
    ASSERT_TRUE(saver.started);
    HWND window = nullptr;
    for (int i = 0; i < 200 && !window; ++i) {
      Sleep(100);
      window = FindWindowA("WindowsScreenSaverClass", nullptr);
    }
    ASSERT_NE(window, nullptr) << "the saver showed no window";
    Sleep(1500);  // past the first frames
    first = takeScreenshot();
    Sleep(1000);
    second = takeScreenshot();
    EXPECT_EQ(saver.waitExit(0), static_cast<DWORD>(STILL_ACTIVE)) << "the saver ended early";
    saver.kill();
    for (int i = 0; i < 50 && FindWindowA("WindowsScreenSaverClass", nullptr); ++i) Sleep(100);
  }

  // The checks every ball count shares: blobs drawn, not a screen of NaN black, and moving.
  static PictureCounts expectMovingBlobs(const char* label) {
    Screen first, second;
    screenshotsOfSaver(first, second);
    const PictureCounts counts = countPicture(second);
    const int changed = changedPixels(first, second);
    std::printf("%s: %d lit, %d changed; sectors %d %d %d %d %d %d\n", label, counts.lit, changed,
                counts.perSector[0], counts.perSector[1], counts.perSector[2],
                counts.perSector[3], counts.perSector[4], counts.perSector[5]);
    EXPECT_GT(counts.lit, 500) << label << ": no blobs on the screen";
    EXPECT_GT(changed, 100) << label << ": the blobs do not move";
    return counts;
  }
};

TEST_F(Picture, DefaultSettingsShowMovingBlobsOfSeveralHues) {
  const PictureCounts counts = expectMovingBlobs("default");
  EXPECT_GE(sectorsWithAtLeast(counts, 100), 3) << "twelve random hues but hardly any colour";
}

TEST_F(Picture, OneBallShowsOneMovingBlobOfOneHue) {
  storeSetting("nBalls", 1);
  const PictureCounts counts = expectMovingBlobs("one ball");
  // Every lit pixel of a lone ball is its own colour scaled: one hue, up to rounding.
  EXPECT_LE(counts.widestHueGap, 8.0) << "more than one ball drawn";
}

TEST_F(Picture, TwentyBallsShowMovingBlobsOfSeveralHues) {
  storeSetting("nBalls", 20);
  const PictureCounts counts = expectMovingBlobs("twenty balls");
  EXPECT_GE(sectorsWithAtLeast(counts, 100), 3) << "twenty random hues but hardly any colour";
}

}  // namespace
