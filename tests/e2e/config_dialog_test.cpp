// The real VorlixSS.scr /c:<window>, as the desktop's Screen Saver Settings start it, driven
// from outside as a user would: messages to its controls, typed text, Enter and Esc. What it
// saved is read back from the registry, and what the next saver run draws from the screen.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "message_box.h"
#include "saver_picture.h"
#include "scene/settings.h"

namespace {

constexpr DWORD exitTimeoutMs = 15000;

class ConfigureMode : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, settingsKeyPath);
    owner = createTestWindow(200, 150);  // plays the Screen Saver Settings window
  }
  void TearDown() override {
    DestroyWindow(owner);
    RegDeleteTreeA(HKEY_CURRENT_USER, settingsKeyPath);
  }

  // Starts configure mode owned by our window and waits for its dialog.
  SaverProcess open(HWND& dialog) {
    SaverProcess saver = startSaver("/c:" + std::to_string(reinterpret_cast<uintptr_t>(owner)));
    dialog = waitForProcessDialog(saver, "Vorlix");
    return saver;
  }

  // A key pressed and released while the control has the focus.
  static void key(HWND control, WPARAM virtualKey) {
    PostMessageA(control, WM_KEYDOWN, virtualKey, 1);
    PostMessageA(control, WM_KEYUP, virtualKey, 0xC0000001);
  }
  // Replaces the edit's text by typing: everything selected, then the characters.
  static void type(HWND edit, const char* text) {
    SendMessageA(edit, EM_SETSEL, 0, -1);
    for (const char* c = text; *c; ++c) PostMessageA(edit, WM_CHAR, static_cast<WPARAM>(*c), 1);
  }
  static void setSlider(HWND dialog, int id, long position) {
    SendMessageA(GetDlgItem(dialog, id), TBM_SETPOS, TRUE, position);
  }
  static void click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

  // The stored number of a setting, or missing when the store has none.
  static DWORD stored(const char* name, DWORD missing = 0xDEADBEEF) {
    DWORD value = missing, size = sizeof value, type = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, settingsKeyPath, name, RRF_RT_ANY, &type, &value,
                     &size) != ERROR_SUCCESS || type != REG_DWORD)
      return missing;
    return value;
  }

  HWND owner = nullptr;
};

TEST_F(ConfigureMode, EnterSavesWhatTheUserSetAndEndsWithOne) {
  HWND dialog = nullptr;
  SaverProcess saver = open(dialog);
  ASSERT_NE(dialog, nullptr);
  pumpMessages(300);  // painted

  // The picture of the dialog as it opens on a fresh account, kept with the build.
  RECT area;
  GetWindowRect(dialog, &area);
  const Screen screen = takeScreenshot();
  // Beside the build's tests folder: the end-to-end tests run in its e2e folder.
  CreateDirectoryA("..\\..\\screenshots", nullptr);
  EXPECT_TRUE(writeBitmap("..\\..\\screenshots\\config-dialog.bmp", screen, area));
  int dark = 0, face = 0;
  const COLORREF faceColour = GetSysColor(COLOR_BTNFACE);
  for (LONG y = area.top; y < area.bottom && y < screen.height; ++y)
    for (LONG x = area.left; x < area.right && x < screen.width; ++x) {
      const unsigned char* p = &screen.bytes[4 * (static_cast<size_t>(y) * screen.width + x)];
      if (p[0] < 80 && p[1] < 80 && p[2] < 80) ++dark;
      if (RGB(p[2], p[1], p[0]) == faceColour) ++face;
    }
  const int pixels = (area.right - area.left) * (area.bottom - area.top);
  std::printf("dialog %ldx%ld: %d face, %d dark pixels\n", area.right - area.left,
              area.bottom - area.top, face, dark);
  EXPECT_GT(face, pixels / 2) << "the dialog is not on the screen";
  EXPECT_GT(dark, 500) << "the dialog shows no text";

  setSlider(dialog, 1016, 120);
  setSlider(dialog, 1017, 80);
  setSlider(dialog, 1018, 20);
  setSlider(dialog, 1012, 150);
  setSlider(dialog, 1013, 40);
  click(dialog, 1011);
  click(dialog, 1014);
  click(dialog, 1021);
  HWND edit = GetDlgItem(dialog, 1006);
  type(edit, "5");
  key(edit, VK_RETURN);
  EXPECT_EQ(saver.waitExitPumping(exitTimeoutMs), 1u);

  EXPECT_EQ(stored("nBalls"), 5u);
  EXPECT_EQ(stored("blobbiness"), 120u);
  EXPECT_EQ(stored("maxRadius"), 80u);
  EXPECT_EQ(stored("minRadius"), 20u);
  EXPECT_EQ(stored("springK"), 150u);
  EXPECT_EQ(stored("damping"), 40u);
  EXPECT_EQ(stored("motionBlur"), 1u);
  EXPECT_EQ(stored("feather"), 1u);
  EXPECT_EQ(stored("contour"), 0u);
  EXPECT_EQ(stored("func_type"), 1u);
}

TEST_F(ConfigureMode, EscapeEndsWithZeroAndLeavesTheStoreAsItWas) {
  storeSetting("springK", 77);
  HWND dialog = nullptr;
  SaverProcess saver = open(dialog);
  ASSERT_NE(dialog, nullptr);
  setSlider(dialog, 1012, 3);
  setSlider(dialog, 1016, 250);
  click(dialog, 1015);
  HWND edit = GetDlgItem(dialog, 1006);
  type(edit, "19");
  key(edit, VK_ESCAPE);
  EXPECT_EQ(saver.waitExitPumping(exitTimeoutMs), 0u);
  EXPECT_EQ(stored("springK"), 77u);
  EXPECT_EQ(stored("blobbiness"), 0xDEADBEEFu) << "cancelling wrote a setting";
  EXPECT_EQ(stored("nBalls"), 0xDEADBEEFu) << "cancelling wrote a setting";
}

TEST_F(ConfigureMode, TheRadiusRuleKeepsTheDialogOpenUntilCorrected) {
  HWND dialog = nullptr;
  SaverProcess saver = open(dialog);
  ASSERT_NE(dialog, nullptr);
  MessageBoxWatcher boxes(saver.info.dwProcessId);
  setSlider(dialog, 1017, 40);
  setSlider(dialog, 1018, 41);
  HWND edit = GetDlgItem(dialog, 1006);
  key(edit, VK_RETURN);
  std::vector<SeenMessageBox> seen;
  for (int i = 0; i < 200 && seen.empty(); ++i) {
    pumpMessages(50);  // the dialog's owner is ours
    seen = boxes.waitFor(1, 0);
  }
  pumpMessages(300);
  EXPECT_EQ(saver.waitExit(0), static_cast<DWORD>(STILL_ACTIVE)) << "the dialog closed";
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(stored("maxRadius"), 0xDEADBEEFu) << "a refused confirmation saved";
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, "ERROR");
  EXPECT_EQ(seen[0].text, "Cannot have min radius bigger than max");
  EXPECT_EQ(seen[0].owner, dialog);

  setSlider(dialog, 1018, 40);  // corrected: equal radii pass
  key(edit, VK_RETURN);
  EXPECT_EQ(saver.waitExitPumping(exitTimeoutMs), 1u);
  EXPECT_EQ(boxes.stop().size(), 1u);
  EXPECT_EQ(stored("maxRadius"), 40u);
  EXPECT_EQ(stored("minRadius"), 40u);
}

TEST_F(ConfigureMode, ACountSavedHereIsWhatTheNextSaverRunDraws) {
  HWND dialog = nullptr;
  SaverProcess saver = open(dialog);
  ASSERT_NE(dialog, nullptr);
  HWND edit = GetDlgItem(dialog, 1006);
  type(edit, "1");
  key(edit, VK_RETURN);
  ASSERT_EQ(saver.waitExitPumping(exitTimeoutMs), 1u);
  ASSERT_EQ(stored("nBalls"), 1u);

  Screen first, second;
  std::string failure;
  ASSERT_TRUE(screenshotsOfSaver(first, second, failure)) << failure;
  const PictureCounts counts = countFullerPicture(first, second);
  std::printf("one ball: %d lit, widest hue gap %.1f\n", counts.lit, counts.widestHueGap);
  EXPECT_GT(counts.lit, 500) << "no blob on the screen";
  EXPECT_LE(counts.widestHueGap, 8.0) << "more than one ball drawn";
}

}  // namespace
