// The configuration dialog with Wine's real dialog manager and common controls: the modal
// dialog runs on the test's thread while a driver thread looks at it and acts as a user.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <thread>

#include "host/config_dialog.h"
#include "host/host_main.h"
#include "message_box.h"
#include "test_window.h"
#include "scene/settings.h"

namespace {

// Waits for this process's dialog captioned "Vorlix".
HWND waitForDialog() {
  for (int i = 0; i < 500; ++i) {
    HWND dialog = FindWindowA("#32770", "Vorlix");
    if (dialog && IsWindowVisible(dialog)) return dialog;
    Sleep(10);
  }
  return nullptr;
}

// Dialog 2003 as the resource compiler wrote it, read word by word: an extended template.
struct TemplateReader {
  const WORD* at;
  WORD word() { return *at++; }
  DWORD dword() {
    const DWORD low = word();
    return low | static_cast<DWORD>(word()) << 16;
  }
  std::wstring text() {
    std::wstring s;
    while (*at) s += static_cast<wchar_t>(*at++);
    ++at;
    return s;
  }
  // A name or, after 0xFFFF, an ordinal; the predefined control classes by their names.
  std::wstring nameOrOrdinal() {
    if (*at != 0xFFFF) return text();
    ++at;
    switch (word()) {
      case 0x80: return L"BUTTON";
      case 0x81: return L"EDIT";
      case 0x82: return L"STATIC";
      default: return L"#ordinal";
    }
  }
  void alignToDword() {
    if (reinterpret_cast<uintptr_t>(at) % 4) ++at;
  }
};

struct TemplateControl {
  int id;
  const wchar_t* cls;
  DWORD style;  // besides WS_CHILD and WS_VISIBLE
  short x, y, cx, cy;
  const wchar_t* text;
};

constexpr DWORD sliderStyle = TBS_HORZ | TBS_TOP | WS_TABSTOP;
const TemplateControl templateControls[27] = {
    {-1, L"STATIC", SS_LEFT | WS_GROUP, 15, 12, 192, 36,
     L"Animation of 2D Metaballs using GLSL and FBOs for ghosting."},
    {1, L"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 230, 7, 50, 14, L"Alrighty Then"},
    {2, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 230, 24, 50, 14, L"Nevermind"},
    {-1, L"BUTTON", BS_GROUPBOX, 7, 48, 273, 47, L"Motion"},
    {1012, L"msctls_trackbar32", sliderStyle, 11, 58, 128, 20, L"Slider1"},
    {-1, L"STATIC", SS_CENTER | WS_GROUP, 43, 77, 69, 12, L"Spring K (stiffness)"},
    {1013, L"msctls_trackbar32", sliderStyle, 147, 58, 128, 21, L"Slider1"},
    {-1, L"STATIC", SS_CENTER | WS_GROUP, 191, 78, 32, 13, L"Damping"},
    {-1, L"BUTTON", BS_GROUPBOX, 7, 102, 273, 143, L"Appearance"},
    {1009, L"STATIC", SS_LEFT | WS_GROUP, 15, 121, 60, 10, L"How many balls:"},
    {1006, L"EDIT", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 78, 119, 29, 12, L""},
    {-1, L"STATIC", SS_LEFT | WS_GROUP, 15, 142, 49, 8, L"Distance Func:"},
    {1020, L"BUTTON", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 70, 142, 47, 10,
     L"exp( - D\u00b2 )"},
    {1021, L"BUTTON", BS_AUTORADIOBUTTON | WS_TABSTOP, 70, 155, 47, 10, L"exp( - |D| )"},
    {1022, L"BUTTON", BS_AUTORADIOBUTTON | WS_TABSTOP, 70, 168, 41, 10, L"cos( D )"},
    {1017, L"msctls_trackbar32", sliderStyle, 14, 178, 110, 21, L""},
    {-1, L"STATIC", SS_CENTER | WS_GROUP, 37, 198, 51, 13, L"Max Radius"},
    {1018, L"msctls_trackbar32", sliderStyle, 14, 208, 110, 21, L""},
    {-1, L"STATIC", SS_CENTER | WS_GROUP, 38, 227, 51, 13, L"Min Radius"},
    {1016, L"msctls_trackbar32", sliderStyle, 147, 117, 128, 21, L""},
    {-1, L"STATIC", SS_CENTER | WS_GROUP, 170, 137, 51, 13, L"Blobbiness"},
    {-1, L"STATIC", SS_LEFT | WS_GROUP, 160, 157, 56, 11, L"Ghosting"},
    {1011, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 223, 157, 10, 8, L""},
    {-1, L"STATIC", SS_LEFT | WS_GROUP, 160, 172, 56, 11, L"Feather"},
    {1014, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 223, 172, 10, 8, L""},
    {-1, L"STATIC", SS_LEFT | WS_GROUP, 160, 186, 56, 11, L"Contours"},
    {1015, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 223, 186, 10, 8, L""},
};

TEST(ConfigDialogTemplate, HoldsTheDialogAndItsControlsInTabOrder) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(2003), MAKEINTRESOURCEA(5));  // RT_DIALOG
  ASSERT_NE(found, nullptr);
  TemplateReader in{static_cast<const WORD*>(LockResource(LoadResource(nullptr, found)))};
  EXPECT_EQ(in.word(), 1);       // dlgVer
  EXPECT_EQ(in.word(), 0xFFFF);  // signature of an extended template
  in.dword();                    // help id
  EXPECT_EQ(in.dword(), 0u);     // no extended styles
  EXPECT_EQ(in.dword(),
            static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
  EXPECT_EQ(in.word(), 27);
  const short x = in.word(), y = in.word(), cx = in.word(), cy = in.word();
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(cx, 287);
  EXPECT_EQ(cy, 252);
  EXPECT_EQ(in.word(), 0);  // no menu
  EXPECT_EQ(in.word(), 0);  // no class of its own
  EXPECT_EQ(in.text(), L"Vorlix");
  EXPECT_EQ(in.word(), 8);    // points
  EXPECT_EQ(in.word(), 400);  // normal weight
  const WORD italicAndCharset = in.word();
  EXPECT_EQ(italicAndCharset, 0);
  EXPECT_EQ(in.text(), L"MS Sans Serif");

  for (const TemplateControl& want : templateControls) {
    SCOPED_TRACE(want.id);
    in.alignToDword();
    in.dword();  // help id
    EXPECT_EQ(in.dword(), 0u);
    EXPECT_EQ(in.dword(), want.style | WS_CHILD | WS_VISIBLE);
    const short rx = in.word(), ry = in.word(), rcx = in.word(), rcy = in.word();
    EXPECT_EQ(rx, want.x);
    EXPECT_EQ(ry, want.y);
    EXPECT_EQ(rcx, want.cx);
    EXPECT_EQ(rcy, want.cy);
    EXPECT_EQ(static_cast<int>(in.dword()), want.id);
    const std::wstring cls = in.nameOrOrdinal();  // class names are case-blind
    EXPECT_EQ(_wcsicmp(cls.c_str(), want.cls), 0);
    EXPECT_EQ(in.nameOrOrdinal(), want.text);
    EXPECT_EQ(in.word(), 0);  // no creation data
  }
}

class ConfigDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    hostInstance = GetModuleHandleA(nullptr);
    RegDeleteTreeA(HKEY_CURRENT_USER, settingsKeyPath);
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, settingsKeyPath); }

  // Runs the dialog here while driver acts on it from another thread; the dialog's result.
  static int run(const std::function<void(HWND)>& driver) {
    std::thread user([&] {
      HWND dialog = waitForDialog();
      if (dialog) driver(dialog);
    });
    const int result = RunConfigDialog(nullptr);
    user.join();
    return result;
  }

  static DWORD valueCount() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, settingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
      return 0;
    DWORD count = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return count;
  }
  static SaverSettings stored() {
    loadSettings();
    return saverSettings;
  }

  static LRESULT slider(HWND dialog, int id) {
    return SendMessageA(GetDlgItem(dialog, id), TBM_GETPOS, 0, 0);
  }
  static void setSlider(HWND dialog, int id, long position) {
    SendMessageA(GetDlgItem(dialog, id), TBM_SETPOS, TRUE, position);
  }
  static bool checked(HWND dialog, int id) {
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  static std::string text(HWND dialog, int id) {
    char buffer[64] = {};
    GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
    return buffer;
  }
  static void press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  }
  static HWND upDown(HWND dialog) { return FindWindowExA(dialog, nullptr, UPDOWN_CLASSA, nullptr); }
  // A click on the upper or lower arrow of the up-down control, waiting for it to count.
  static void clickArrow(HWND dialog, bool up) {
    HWND control = upDown(dialog);
    RECT r;
    GetClientRect(control, &r);
    const LPARAM at = MAKELPARAM(r.right / 2, up ? r.bottom / 4 : r.bottom * 3 / 4);
    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(control, WM_LBUTTONUP, 0, at);
  }
};

TEST_F(ConfigDialog, FreshAccountShowsTheDefaults) {
  const int result = run([](HWND dialog) {
    EXPECT_EQ(text(dialog, 1006), "12");
    EXPECT_FALSE(checked(dialog, 1011));
    EXPECT_FALSE(checked(dialog, 1014));
    EXPECT_FALSE(checked(dialog, 1015));
    EXPECT_TRUE(checked(dialog, 1020));
    EXPECT_FALSE(checked(dialog, 1021));
    EXPECT_FALSE(checked(dialog, 1022));
    EXPECT_EQ(slider(dialog, 1016), 1);
    EXPECT_EQ(slider(dialog, 1017), 50);
    EXPECT_EQ(slider(dialog, 1018), 30);
    EXPECT_EQ(slider(dialog, 1012), 20);
    EXPECT_EQ(slider(dialog, 1013), 0);
    // The template's texts, the superscript two a real character.
    wchar_t label[32] = {};
    GetWindowTextW(GetDlgItem(dialog, 1020), label, 32);
    EXPECT_STREQ(label, L"exp( - D\u00b2 )");
    EXPECT_EQ(text(dialog, 1021), "exp( - |D| )");
    EXPECT_EQ(text(dialog, 1), "Alrighty Then");
    // The up-down control made at run time, with its buddy and range.
    HWND control = upDown(dialog);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(control, UDM_GETBUDDY, 0, 0)),
              GetDlgItem(dialog, 1006));
    const LRESULT range = SendMessageA(control, UDM_GETRANGE, 0, 0);
    EXPECT_EQ(LOWORD(range), 20);  // maximum
    EXPECT_EQ(HIWORD(range), 1);   // minimum
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    EXPECT_EQ(style & (UDS_WRAP | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS),
              UDS_WRAP | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS);
    press(dialog, 2);
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(valueCount(), 0u);
}

TEST_F(ConfigDialog, ConfirmingAtOnceWritesAllTenDefaults) {
  EXPECT_EQ(run([](HWND dialog) { press(dialog, 1); }), 1);
  EXPECT_EQ(valueCount(), 10u);
  const SaverSettings s = stored();
  EXPECT_EQ(s.nBalls, 12u);
  EXPECT_EQ(s.blobbiness, 1u);
  EXPECT_EQ(s.maxRadius, 50u);
  EXPECT_EQ(s.minRadius, 30u);
  EXPECT_EQ(s.springK, 20u);
  EXPECT_EQ(s.damping, 0u);
  EXPECT_FALSE(s.motionBlur);
  EXPECT_FALSE(s.feather);
  EXPECT_FALSE(s.contour);
  EXPECT_EQ(s.func_type, 0);
}

TEST_F(ConfigDialog, StoredSwitchesAndEitherOtherDistanceFunctionShowAsStored) {
  storeSetting("motionBlur", 1);
  storeSetting("feather", 1);
  storeSetting("contour", 1);
  for (int funcType : {1, 2}) {
    storeSetting("func_type", funcType);
    EXPECT_EQ(run([funcType](HWND dialog) {
                EXPECT_TRUE(checked(dialog, 1011));
                EXPECT_TRUE(checked(dialog, 1014));
                EXPECT_TRUE(checked(dialog, 1015));
                EXPECT_FALSE(checked(dialog, 1020));
                EXPECT_EQ(checked(dialog, 1021), funcType == 1);
                EXPECT_EQ(checked(dialog, 1022), funcType == 2);
                press(dialog, 2);
              }),
              0)
        << funcType;
  }
}

TEST_F(ConfigDialog, ControlsChangedByTheUserAreSavedOnConfirmation) {
  EXPECT_EQ(run([](HWND dialog) {
              setSlider(dialog, 1016, 300);
              setSlider(dialog, 1012, 200);
              setSlider(dialog, 1013, 100);
              SendMessageA(GetDlgItem(dialog, 1011), BM_CLICK, 0, 0);
              SendMessageA(GetDlgItem(dialog, 1015), BM_CLICK, 0, 0);
              SendMessageA(GetDlgItem(dialog, 1022), BM_CLICK, 0, 0);
              SetDlgItemTextA(dialog, 1006, "17");
              press(dialog, 1);
            }),
            1);
  const SaverSettings s = stored();
  EXPECT_EQ(s.blobbiness, 300u);
  EXPECT_EQ(s.springK, 200u);
  EXPECT_EQ(s.damping, 100u);
  EXPECT_TRUE(s.motionBlur);
  EXPECT_FALSE(s.feather);
  EXPECT_TRUE(s.contour);
  EXPECT_EQ(s.func_type, 2);
  EXPECT_EQ(s.nBalls, 17u);
}

TEST_F(ConfigDialog, EqualRadiiAreAcceptedAndSaved) {
  EXPECT_EQ(run([](HWND dialog) {
              setSlider(dialog, 1017, 100);
              setSlider(dialog, 1018, 100);
              press(dialog, 1);
            }),
            1);
  EXPECT_EQ(stored().maxRadius, 100u);
  EXPECT_EQ(stored().minRadius, 100u);
}

TEST_F(ConfigDialog, MinimumAboveMaximumIsRefusedAndTheDialogStaysOpen) {
  MessageBoxWatcher boxes;
  HWND seenDialog = nullptr;
  bool stillOpen = false;
  const int result = run([&](HWND dialog) {
    seenDialog = dialog;
    setSlider(dialog, 1017, 40);
    setSlider(dialog, 1018, 41);
    press(dialog, 1);
    boxes.waitFor(1);
    Sleep(100);
    stillOpen = IsWindow(dialog) && IsWindowVisible(dialog);
    press(dialog, 2);
  });
  const auto seen = boxes.stop();
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(result, 0);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, "ERROR");
  EXPECT_EQ(seen[0].text, "Cannot have min radius bigger than max");
  EXPECT_EQ(seen[0].owner, seenDialog);
  EXPECT_EQ(seen[0].buttons, 1);
  EXPECT_EQ(valueCount(), 0u);
}

TEST_F(ConfigDialog, StoredNumbersOf2To31AndAboveShowAtTheUpperEnd) {
  storeSetting("blobbiness", 0xFFFFFFFFu);
  storeSetting("maxRadius", 0x80000000u);
  storeSetting("springK", 0x80000001u);
  EXPECT_EQ(run([](HWND dialog) {
              EXPECT_EQ(slider(dialog, 1016), 300);
              EXPECT_EQ(slider(dialog, 1017), 200);
              EXPECT_EQ(slider(dialog, 1012), 200);
              press(dialog, 1);
            }),
            1);
  EXPECT_EQ(stored().blobbiness, 300u);
  EXPECT_EQ(stored().maxRadius, 200u);
  EXPECT_EQ(stored().springK, 200u);
}

TEST_F(ConfigDialog, StoredNumbersOutsideTheControlsShowAtTheEdgeOrNotAtAll) {
  storeSetting("maxRadius", 300);
  storeSetting("func_type", 7);
  EXPECT_EQ(run([](HWND dialog) {
              EXPECT_EQ(slider(dialog, 1017), 200);
              EXPECT_FALSE(checked(dialog, 1020) || checked(dialog, 1021) || checked(dialog, 1022));
              press(dialog, 1);
            }),
            1);
  EXPECT_EQ(stored().maxRadius, 200u);
  EXPECT_EQ(stored().func_type, 7);
}

TEST_F(ConfigDialog, EveryWayOfCancellingWritesNothing) {
  const std::function<void(HWND)> cancels[] = {
      [](HWND dialog) { SendMessageA(GetDlgItem(dialog, 2), BM_CLICK, 0, 0); },
      [](HWND dialog) {
        HWND focus = GetDlgItem(dialog, 1006);
        PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageA(focus, WM_KEYUP, VK_ESCAPE, 0);
      },
      [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
  };
  for (const auto& cancel : cancels) {
    EXPECT_EQ(run([&](HWND dialog) {
                setSlider(dialog, 1016, 250);
                setSlider(dialog, 1012, 5);
                cancel(dialog);
              }),
              0);
    EXPECT_EQ(valueCount(), 0u);
  }
}

TEST_F(ConfigDialog, AFailedSaveIsReportedAndStillConfirms) {
  HKEY scratch = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\VorlixScratch", 0, nullptr, 0, KEY_ALL_ACCESS,
                  nullptr, &scratch, nullptr);
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VorlixScratch");
  ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, scratch), ERROR_SUCCESS);
  MessageBoxWatcher boxes;
  const int result = run([](HWND dialog) { press(dialog, 1); });
  const auto seen = boxes.stop();
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegCloseKey(scratch);
  EXPECT_EQ(result, 1);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, "ERROR");
  EXPECT_EQ(seen[0].text, "Could not save settings. Contact the programmer.");
}

TEST_F(ConfigDialog, TheArrowsWrapAtTheEndsOfTheRange) {
  storeSetting("nBalls", 20);
  EXPECT_EQ(run([](HWND dialog) {
              clickArrow(dialog, true);
              EXPECT_EQ(text(dialog, 1006), "1");
              clickArrow(dialog, false);
              EXPECT_EQ(text(dialog, 1006), "20");
              press(dialog, 2);
            }),
            0);
}

TEST_F(ConfigDialog, TheStoredCountIsAlwaysOneToTwenty) {
  const struct { const char* typed; uint32_t saved; } rows[] = {
      {"50", 20}, {"0", 1}, {"hello", 12}, {"", 12}, {"7", 7}};
  for (const auto& row : rows) {
    RegDeleteTreeA(HKEY_CURRENT_USER, settingsKeyPath);
    EXPECT_EQ(run([&](HWND dialog) {
                SetDlgItemTextA(dialog, 1006, row.typed);
                press(dialog, 1);
              }),
              1);
    EXPECT_EQ(stored().nBalls, row.saved) << "typed \"" << row.typed << "\"";
  }
}

TEST_F(ConfigDialog, WithoutItsTemplateTheDialogCannotBeCreated) {
  hostInstance = GetModuleHandleA("kernel32.dll");  // a module without dialog 2003
  EXPECT_EQ(RunConfigDialog(nullptr), -1);
}

}  // namespace
