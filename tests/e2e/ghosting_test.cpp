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

  static void storeSetting(const char* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, settingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
  }

  // Counts faint and lit pixels of the desktop above the floor rows.
  static ScreenCounts countScreen() {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP shot = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, shot);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    ScreenCounts counts;
    const auto* pixels = static_cast<const unsigned char*>(bits);
    for (int y = 0; y < height - floorRows; ++y) {
      for (int x = 0; x < width; ++x) {
        const unsigned char* p = pixels + 4 * (static_cast<size_t>(y) * width + x);
        const int brightest = std::max({p[0], p[1], p[2]});
        if (brightest >= faintLow && brightest <= faintHigh) ++counts.faint;
        if (brightest >= litLow) ++counts.lit;
      }
    }
    SelectObject(memory, old);
    DeleteObject(shot);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
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
