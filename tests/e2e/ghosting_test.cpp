// Ghosting seen on the screen: the real VorlixSS.scr saving the screen under Wine, with and
// without motionBlur, judged from screenshots of the whole desktop.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "scene/settings.h"
#include "test_window.h"

namespace {

// Rows at the bottom of the screen where the metaball pass's floor glow gives dim colours
// of its own; from 80 rows up the glow adds less than 1e-5 to the density.
constexpr int floorRows = 80;

// Without ghosting a lit pixel above the floor has a density over 0.5 from balls whose
// colours are fully saturated, which keeps its brightest channel above 38 of 255. Only the
// blend of older frames (0.08 and 0.12 of them behind a moving blob) makes pixels this faint.
constexpr int faintLow = 3;
constexpr int faintHigh = 30;
constexpr int litLow = 38;

struct ScreenCounts {
  int faint = 0;  // brightest channel in faintLow..faintHigh
  int lit = 0;    // brightest channel litLow or more
};

class Ghosting : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, settingsKeyPath); }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, settingsKeyPath); }


  // Counts faint and lit pixels of the desktop above the floor rows.
  static ScreenCounts countScreen() {
    const Screen screen = takeScreenshot();
    ScreenCounts counts;
    for (int y = 0; y < screen.height - floorRows; ++y) {
      for (int x = 0; x < screen.width; ++x) {
        const unsigned char* p = &screen.bytes[4 * (static_cast<size_t>(y) * screen.width + x)];
        const int brightest = std::max({p[0], p[1], p[2]});
        if (brightest >= faintLow && brightest <= faintHigh) ++counts.faint;
        if (brightest >= litLow) ++counts.lit;
      }
    }
    return counts;
  }

  // Runs the saver with ghosting on or off and counts a screenshot taken after a while.
  static ScreenCounts screenOfSaver(bool motionBlur) {
    storeSetting("motionBlur", motionBlur ? 1 : 0);
    SaverProcess saver = startSaver("/s");
    if (!saver.started) {
      ADD_FAILURE() << "VorlixSS.scr did not start";
      return {};
    }
    HWND window = nullptr;
    for (int i = 0; i < 200 && !window; ++i) {
      Sleep(100);
      window = FindWindowA("WindowsScreenSaverClass", nullptr);
    }
    EXPECT_NE(window, nullptr) << "the saver showed no window";
    Sleep(3000);  // long enough for the blobs to move and the ring to turn many times
    ScreenCounts counts = countScreen();
    EXPECT_EQ(saver.waitExit(0), static_cast<DWORD>(STILL_ACTIVE)) << "the saver ended early";
    saver.kill();
    for (int i = 0; i < 50 && FindWindowA("WindowsScreenSaverClass", nullptr); ++i) Sleep(100);
    return counts;
  }
};

TEST_F(Ghosting, MovingBlobsLeaveFaintTrailsOnlyWithGhostingOn) {
  const ScreenCounts plain = screenOfSaver(false);
  const ScreenCounts ghosted = screenOfSaver(true);
  std::printf("plain: %d faint, %d lit; ghosting: %d faint, %d lit\n", plain.faint, plain.lit,
              ghosted.faint, ghosted.lit);
  ASSERT_GT(plain.lit, 1000) << "the plain saver drew no blobs";
  ASSERT_GT(ghosted.lit, 1000) << "the ghosting saver drew no blobs";
  EXPECT_LE(plain.faint, plain.lit / 1000) << "hard edges without ghosting";
  EXPECT_GT(ghosted.faint, 100) << "no trails behind the blobs";
  EXPECT_GT(ghosted.faint, 20 * (plain.faint + 1));
}

}  // namespace
