// The real VorlixSS.scr started with the desktop's command lines: exit codes, the windows it
// makes, the dismiss rules of a full-screen saver, the preview inside a window of ours, and
// the lock-password path of the Windows 95 family.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "message_box.h"
#include "test_window.h"

namespace {

constexpr DWORD startTimeoutMs = 15000;

// The top-level or child window of class and title that process pid made, once it exists.
struct Found {
  DWORD pid;
  const char* title;
  HWND window;
};
BOOL CALLBACK findSaverWindow(HWND window, LPARAM param) {
  auto* found = reinterpret_cast<Found*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char cls[64] = {}, title[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  GetWindowTextA(window, title, sizeof title);
  if (pid == found->pid && std::string(cls) == "WindowsScreenSaverClass" &&
      std::string(title) == found->title) {
    found->window = window;
    return FALSE;
  }
  return TRUE;
}
HWND waitForSaverWindow(const SaverProcess& saver, const char* title, HWND parent = nullptr) {
  Found found{saver.info.dwProcessId, title, nullptr};
  for (DWORD waited = 0; waited < startTimeoutMs; waited += 50) {
    found.window = nullptr;
    if (parent)
      EnumChildWindows(parent, findSaverWindow, reinterpret_cast<LPARAM>(&found));
    else
      EnumWindows(findSaverWindow, reinterpret_cast<LPARAM>(&found));
    // Visible only once creation, and with it the scene's start, is over: on a busy machine
    // that can take longer than any fixed pause.
    if (found.window && IsWindowVisible(found.window)) {
      pumpMessages(300);  // let the first frames go
      return found.window;
    }
    // NOTE: a saver window inside ours, or a dialog owned by ours, sends our windows messages
    // while it is created; a test that did not pump them would hold the saver up.
    pumpMessages(50);
  }
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(saver.info.hProcess, &code);
  ADD_FAILURE() << "no visible \"" << title << "\" window; the saver "
                << (code == STILL_ACTIVE ? "still runs" : "ended with " + std::to_string(code))
                << (found.window ? ", its window exists but is hidden" : ", no window of it");
  return nullptr;
}

class HostModes : public ::testing::Test {
 protected:
  void SetUp() override { SetCursorPos(500, 400); }
};

TEST_F(HostModes, RefusedCommandLinesEndWithMinusOne) {
  for (const char* tail : {"/x", "/p:1234", "/p", "/p 0", "/p 99999", "\x80", "/a 1234", "-?"}) {
    SaverProcess saver = startSaver(tail);
    ASSERT_TRUE(saver.started);
    EXPECT_EQ(saver.waitExit(startTimeoutMs), 0xFFFFFFFFu) << tail;
  }
}

TEST_F(HostModes, EveryWayOfWritingSaveStartsTheFullScreenSaverAndAKeyEndsIt) {
  for (const char* tail : {"/s", "-S", "s", "/ s"}) {
    SaverProcess saver = startSaver(tail);
    HWND window = waitForSaverWindow(saver, "Screen Saver");
    ASSERT_NE(window, nullptr) << tail;
    PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(saver.waitExit(startTimeoutMs), 0u) << tail;
  }
}

TEST_F(HostModes, TheFullScreenWindowIsATopmostPopupOverTheVirtualScreen) {
  SaverProcess saver = startSaver("/s");
  HWND window = waitForSaverWindow(saver, "Screen Saver");
  ASSERT_NE(window, nullptr);
  RECT r;
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
  EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
  EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & 0xFFFF0000u, 0x96000000u);
  // A second full-screen start makes no window and hands over to the first.
  SaverProcess second = startSaver("/s");
  EXPECT_EQ(second.waitExit(startTimeoutMs), 0u);
  EXPECT_TRUE(IsWindow(window));
  PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  EXPECT_EQ(saver.waitExit(startTimeoutMs), 0u);
}

TEST_F(HostModes, ButtonReleasesWheelTurnsAndSmallMouseTravelKeepTheSaver) {
  SaverProcess saver = startSaver("/s");
  HWND window = waitForSaverWindow(saver, "Screen Saver");
  ASSERT_NE(window, nullptr);
  PostMessageA(window, WM_LBUTTONUP, 0, 0);
  PostMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
  SetCursorPos(502, 402);  // travel 4
  PostMessageA(window, WM_MOUSEMOVE, 0, 0);
  EXPECT_EQ(saver.waitExit(700), static_cast<DWORD>(STILL_ACTIVE));
  SetCursorPos(503, 402);  // travel 5
  PostMessageA(window, WM_MOUSEMOVE, 0, 0);
  EXPECT_EQ(saver.waitExit(startTimeoutMs), 0u);
}

TEST_F(HostModes, PowerEventsAndLossOfActivationEndTheSaver) {
  const struct { UINT message; WPARAM wParam; LPARAM lParam; } events[] = {
      {WM_POWERBROADCAST, PBT_APMSUSPEND, 0},
      {WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0},
      {WM_ACTIVATEAPP, 0, 0},
      {WM_SYSCOMMAND, SC_MONITORPOWER, 2},
  };
  for (const auto& event : events) {
    SaverProcess saver = startSaver("/s");
    HWND window = waitForSaverWindow(saver, "Screen Saver");
    ASSERT_NE(window, nullptr);
    if (event.message == WM_POWERBROADCAST && event.wParam == PBT_APMRESUMESUSPEND) {
      // With the resume-from-failure bit nothing happens; without it the saver ends.
      PostMessageA(window, event.message, event.wParam, PBTF_APMRESUMEFROMFAILURE);
      EXPECT_EQ(saver.waitExit(700), static_cast<DWORD>(STILL_ACTIVE));
    }
    PostMessageA(window, event.message, event.wParam, event.lParam);
    EXPECT_EQ(saver.waitExit(startTimeoutMs), 0u) << std::hex << event.message << " " << event.wParam;
  }
}

// The last context-menu request that reached the owner window below.
MSG ownerRequest{};
LRESULT CALLBACK recordingOwner(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CONTEXTMENU) ownerRequest = {window, message, wParam, lParam, 0, {}};
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(HostModes, ThePreviewFillsItsOwnerIgnoresInputAndEndsWithIt) {
  HWND owner = createTestWindow(152, 112, recordingOwner);
  const std::string tail = "/p " + std::to_string(reinterpret_cast<uintptr_t>(owner));
  SaverProcess saver = startSaver(tail);
  HWND preview = waitForSaverWindow(saver, "Preview", owner);
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(GetParent(preview), owner);
  RECT r;
  GetClientRect(preview, &r);
  EXPECT_EQ(r.right, 152);
  EXPECT_EQ(r.bottom, 112);
  EXPECT_EQ(GetWindowLongA(preview, GWL_STYLE) & (WS_CHILD | WS_POPUP | WS_CLIPCHILDREN),
            WS_CHILD | WS_CLIPCHILDREN);
  PostMessageA(preview, WM_KEYDOWN, VK_SPACE, 0);
  PostMessageA(preview, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  // A context-menu request goes on to the owner, with the owner's own handle. (WM_HELP
  // takes the same way, but the platform posts no message that carries a pointer from one
  // process to another, so only the in-process tests can see it.)
  ownerRequest = {};
  PostMessageA(preview, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(preview), MAKELPARAM(7, 9));
  pumpMessages(700);
  EXPECT_EQ(saver.waitExit(0), static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_EQ(ownerRequest.hwnd, owner);
  EXPECT_EQ(ownerRequest.wParam, reinterpret_cast<WPARAM>(owner));
  EXPECT_EQ(ownerRequest.lParam, MAKELPARAM(7, 9));
  DestroyWindow(owner);
  EXPECT_EQ(saver.waitExitPumping(startTimeoutMs), 0u);
}

TEST_F(HostModes, AWindowNumberOfMoreThanTenDigitsWrapsBeforeItIsJudged) {
  HWND owner = createTestWindow(80, 60);
  const uint64_t wrapped = reinterpret_cast<uintptr_t>(owner) + (uint64_t{1} << 32) * 3;
  SaverProcess saver = startSaver("/p " + std::to_string(wrapped));
  ASSERT_NE(waitForSaverWindow(saver, "Preview", owner), nullptr);
  DestroyWindow(owner);
  EXPECT_EQ(saver.waitExitPumping(startTimeoutMs), 0u);
}

TEST_F(HostModes, TwentyPreviewsInARowLeaveNoSaverBehind) {
  for (int i = 0; i < 20; ++i) {
    HWND owner = createTestWindow(80, 60);
    SaverProcess saver =
        startSaver("/p" + std::to_string(reinterpret_cast<uintptr_t>(owner)));  // no blank
    ASSERT_NE(waitForSaverWindow(saver, "Preview", owner), nullptr) << i;
    DestroyWindow(owner);
    ASSERT_EQ(saver.waitExitPumping(startTimeoutMs), 0u) << i;
  }
}

TEST_F(HostModes, ConfigureOwnsTheDialogByTheNumberAfterTheColonOnly) {
  HWND owner = createTestWindow(100, 100);
  const std::string number = std::to_string(reinterpret_cast<uintptr_t>(owner));
  for (const std::string& tail : {"/c:" + number, std::string("")}) {
    SaverProcess saver = startSaver(tail);
    HWND dialog = waitForProcessDialog(saver, "Vorlix");
    ASSERT_NE(dialog, nullptr) << tail;
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), tail.empty() ? nullptr : owner) << tail;
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(saver.waitExitPumping(startTimeoutMs), 0u) << tail;
  }
  DestroyWindow(owner);
}

// The Windows 95 family, through Wine's per-program version, with the password double.
class Family95 : public ::testing::Test {
 protected:
  void SetUp() override {
    setString("Software\\Wine\\AppDefaults\\VorlixSS.scr", "Version", "win98");
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    installed = std::string(system) + "\\PASSWORD.CPL";
    ASSERT_TRUE(CopyFileA(VORLIX_PASSWORD_DOUBLE, installed.c_str(), FALSE));
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VorlixTest\\PasswordDouble");
    SetCursorPos(500, 400);
  }
  void TearDown() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\VorlixSS.scr");
    setNumber("Control Panel\\Desktop", "ScreenSaveUsePassword", 0);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VorlixTest\\PasswordDouble");
    DeleteFileA(installed.c_str());
  }
  static void setString(const char* path, const char* name, const char* value) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(strlen(value) + 1));
    RegCloseKey(key);
  }
  static void setNumber(const char* path, const char* name, DWORD value) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
    RegCloseKey(key);
  }
  // A number of the password double's record: "calls", "loads", "running", "stopped".
  static DWORD doubleRecord(const char* name = "calls") {
    HKEY key = nullptr;
    DWORD value = 0, size = 4;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\VorlixTest\\PasswordDouble", 0, KEY_READ,
                      &key) == ERROR_SUCCESS) {
      RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
      RegCloseKey(key);
    }
    return value;
  }
  static DWORD verifications() { return doubleRecord("calls"); }
  // Input of every kind and then a close request, posted to window.
  static void pressEverythingAndClose(HWND window) {
    for (UINT press : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN})
      PostMessageA(window, press, VK_SPACE, 0);
    SetCursorPos(600, 500);
    PostMessageA(window, WM_MOUSEMOVE, 0, 0);
    pumpMessages(500);
    PostMessageA(window, WM_CLOSE, 0, 0);
  }
  std::string installed;
};

TEST_F(Family95, WithoutTheLockPasswordAKeyEndsTheSaverAtOnce) {
  setNumber("Control Panel\\Desktop", "ScreenSaveUsePassword", 0);
  SaverProcess saver = startSaver("/s");
  HWND window = waitForSaverWindow(saver, "Screen Saver");
  ASSERT_NE(window, nullptr);
  PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(saver.waitExit(startTimeoutMs), 0u);
  EXPECT_EQ(verifications(), 0u);
}

TEST_F(Family95, AWrongPasswordKeepsTheSaverAndARightOneEndsIt) {
  setNumber("Control Panel\\Desktop", "ScreenSaveUsePassword", 1);
  setNumber("Software\\VorlixTest\\PasswordDouble", "answer", 0);
  SaverProcess saver = startSaver("/s");
  HWND window = waitForSaverWindow(saver, "Screen Saver");
  ASSERT_NE(window, nullptr);
  PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
  Sleep(700);
  EXPECT_EQ(saver.waitExit(0), static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_EQ(verifications(), 1u);
  setNumber("Software\\VorlixTest\\PasswordDouble", "answer", 1);
  PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(saver.waitExit(startTimeoutMs), 0u);
  EXPECT_EQ(verifications(), 2u);
}

TEST_F(Family95, PreviewAndConfigureNeverLoadThePasswordLibraryNorAnnounceASaver) {
  setNumber("Control Panel\\Desktop", "ScreenSaveUsePassword", 1);
  setNumber("Software\\VorlixTest\\PasswordDouble", "countAnnouncements", 1);
  HWND owner = createTestWindow(80, 60);
  const std::string number = std::to_string(reinterpret_cast<uintptr_t>(owner));
  SaverProcess preview = startSaver("/p " + number);
  HWND window = waitForSaverWindow(preview, "Preview", owner);
  ASSERT_NE(window, nullptr);
  pressEverythingAndClose(window);  // the close ends a preview without asking
  EXPECT_EQ(preview.waitExitPumping(startTimeoutMs), 0u);

  SaverProcess configure = startSaver("/c:" + number);
  HWND dialog = waitForProcessDialog(configure, "Vorlix");
  ASSERT_NE(dialog, nullptr);
  pressEverythingAndClose(dialog);
  EXPECT_EQ(configure.waitExitPumping(startTimeoutMs), 0u);
  DestroyWindow(owner);
  // The announcements go through the password hooks, and are counted from the load on.
  EXPECT_EQ(doubleRecord("loads"), 0u);
  EXPECT_EQ(doubleRecord("running") + doubleRecord("stopped"), 0u);
  EXPECT_EQ(verifications(), 0u);
}

TEST_F(Family95, ChangePasswordCallsThePlatformServiceAndEndsWithZero) {
  // The double stands in for Wine's stub of the service, for the saver only.
  char system[MAX_PATH];
  GetSystemDirectoryA(system, MAX_PATH);
  const std::string service = std::string(system) + "\\MPR.DLL";
  const std::string kept = service + ".kept";
  ASSERT_TRUE(CopyFileA(service.c_str(), kept.c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(VORLIX_MPR_DOUBLE, service.c_str(), FALSE));
  setString("Software\\Wine\\AppDefaults\\VorlixSS.scr\\DllOverrides", "mpr", "native");
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VorlixTest\\MprDouble");

  HWND parent = createTestWindow(80, 60);
  SaverProcess saver = startSaver("/a " + std::to_string(reinterpret_cast<uintptr_t>(parent)));
  const DWORD code = saver.waitExitPumping(startTimeoutMs);

  char provider[32] = {};
  DWORD calls = 0, reserved = 99, size = sizeof provider;
  uint64_t window = 0;
  const char* record = "Software\\VorlixTest\\MprDouble";
  RegGetValueA(HKEY_CURRENT_USER, record, "provider", RRF_RT_REG_SZ, nullptr, provider, &size);
  size = sizeof calls;
  RegGetValueA(HKEY_CURRENT_USER, record, "calls", RRF_RT_DWORD, nullptr, &calls, &size);
  size = sizeof reserved;
  RegGetValueA(HKEY_CURRENT_USER, record, "reserved", RRF_RT_DWORD, nullptr, &reserved, &size);
  size = sizeof window;
  RegGetValueA(HKEY_CURRENT_USER, record, "window", RRF_RT_QWORD, nullptr, &window, &size);

  DestroyWindow(parent);
  CopyFileA(kept.c_str(), service.c_str(), FALSE);
  DeleteFileA(kept.c_str());
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\VorlixSS.scr\\DllOverrides");
  RegDeleteTreeA(HKEY_CURRENT_USER, record);

  EXPECT_EQ(code, 0u);
  EXPECT_EQ(calls, 1u);
  EXPECT_STREQ(provider, "SCRSAVE");
  EXPECT_EQ(window, reinterpret_cast<uintptr_t>(parent));
  EXPECT_EQ(reserved, 0u);
}

}  // namespace
