// The host's window procedure, its dismiss rules and the lock-password gate, with real
// windows and messages: which messages ask the saver to close, and which do not.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <vector>

#include "host/host_main.h"
#include "host/password_hooks.h"
#include "host/saver_window.h"
#include "import_patch.h"
#include "test_window.h"

namespace {

const char* const doubleKey = "Software\\VorlixTest\\PasswordDouble";

// Password verifiers for the hook; WINAPI, which x86 code cannot get from a lambda.
BOOL WINAPI approvingVerifier(HWND) { return TRUE; }
BOOL WINAPI refusingVerifier(HWND) { return FALSE; }

bool closeRequested(HWND window) {
  MSG msg;
  bool any = false;
  while (PeekMessageA(&msg, window, WM_CLOSE, WM_CLOSE, PM_REMOVE)) any = true;
  return any;
}

class HostRules : public ::testing::Test {
 protected:
  void SetUp() override {
    window = CreateWindowExA(0, "STATIC", "saver", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                             nullptr, nullptr);
    saverWindow = SaverWindowState{};
    is95Family = false;
    verifyPasswordFn = nullptr;
    lastVerifyTick = 0xFFFFFFFF;
    SetCursorPos(300, 300);
    GetCursorPos(&saverWindow.mouseReference);
    closeRequested(window);
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
    is95Family = false;
    verifyPasswordFn = nullptr;
  }
  bool closes(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    HostDefaultProc(window, message, wParam, lParam);
    return closeRequested(window);
  }
  HWND window = nullptr;
};

TEST_F(HostRules, KeyAndButtonPressesCloseButReleasesWheelAndDoubleClicksDoNot) {
  for (UINT press : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN})
    EXPECT_TRUE(closes(press)) << std::hex << press;
  for (UINT other : {WM_KEYUP, WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP, WM_MOUSEWHEEL,
                     WM_LBUTTONDBLCLK, WM_CHAR})
    EXPECT_FALSE(closes(other)) << std::hex << other;
}

TEST_F(HostRules, MouseTravelOfFourKeepsTheSaverAndFiveEndsIt) {
  SetCursorPos(302, 302);  // 2 and 2
  EXPECT_FALSE(closes(WM_MOUSEMOVE));
  SetCursorPos(298, 298);  // 2 and 2 the other way: still measured from the reference
  EXPECT_FALSE(closes(WM_MOUSEMOVE));
  SetCursorPos(303, 302);  // 3 and 2
  EXPECT_TRUE(closes(WM_MOUSEMOVE));
  EXPECT_EQ(saverWindow.mouseReference.x, 303);  // the closing move is the new reference
  SetCursorPos(305, 304);
  EXPECT_FALSE(closes(WM_MOUSEMOVE));
}

TEST_F(HostRules, LosingActivationClosesAndGainingItDoesNot) {
  EXPECT_TRUE(closes(WM_ACTIVATEAPP, 0));
  EXPECT_FALSE(closes(WM_ACTIVATEAPP, 1));
}

TEST_F(HostRules, SetCursorIsAnsweredAtOnce) {
  EXPECT_EQ(HostDefaultProc(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), 0), 1);
  EXPECT_FALSE(closeRequested(window));
}

TEST_F(HostRules, FullScreenHidesTheCursorAndThePreviewLeavesItAlone) {
  const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  for (bool preview : {false, true}) {
    saverWindow.previewMode = preview;
    SetCursor(arrow);
    HostDefaultProc(window, WM_SHOWWINDOW, 1, 0);
    EXPECT_EQ(GetCursor() == nullptr, !preview) << "shown, preview " << preview;
    SetCursor(arrow);
    HostDefaultProc(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), HTCLIENT);
    EXPECT_EQ(GetCursor() == nullptr, !preview) << "set cursor, preview " << preview;
  }
  SetCursor(arrow);
}

TEST_F(HostRules, PowerEventsFollowTheirTable) {
  for (WPARAM suspend = 0; suspend <= 5; ++suspend)
    EXPECT_TRUE(closes(WM_POWERBROADCAST, suspend)) << suspend;
  for (WPARAM resume : {6, 7, 8, 0x12}) {
    EXPECT_TRUE(closes(WM_POWERBROADCAST, resume, 0)) << resume;
    EXPECT_FALSE(closes(WM_POWERBROADCAST, resume, PBTF_APMRESUMEFROMFAILURE)) << resume;
  }
  for (WPARAM other : {9, 0x0B, 0x0C, 0x11, 0x13, 0x8013})
    EXPECT_TRUE(closes(WM_POWERBROADCAST, other)) << other;
  EXPECT_TRUE(closes(WM_POWER, PWR_CRITICALRESUME));
  EXPECT_FALSE(closes(WM_POWER, PWR_SUSPENDRESUME));
}

TEST_F(HostRules, APowerStatusChangeClosesOnlyWhenTheMainsStatusChanged) {
  SYSTEM_POWER_STATUS status{};
  const BYTE now = GetSystemPowerStatus(&status) ? status.ACLineStatus : 0xFF;
  saverWindow.lastAcLineStatus = now;
  EXPECT_FALSE(closes(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE));
  saverWindow.lastAcLineStatus = static_cast<BYTE>(now ^ 1);
  EXPECT_TRUE(closes(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE));
  EXPECT_EQ(saverWindow.lastAcLineStatus, now);  // remembered either way
}

TEST_F(HostRules, InPreviewAfterApprovalAndWhileAskingNothingCloses) {
  saverWindow.previewMode = true;
  EXPECT_FALSE(closes(WM_KEYDOWN));
  saverWindow.previewMode = false;
  saverWindow.closeApproved = true;
  EXPECT_FALSE(closes(WM_LBUTTONDOWN));
  saverWindow.closeApproved = false;
  saverWindow.askingPassword = true;
  EXPECT_FALSE(closes(WM_KEYDOWN));
  EXPECT_FALSE(closes(WM_ACTIVATEAPP, 0));
}

TEST_F(HostRules, TheAutoPlayQuestionClosesAndIsCancelledOnlyWithAPasswordInEveryState) {
  saverWindow.autoPlayMessage = RegisterWindowMessageA("QueryCancelAutoPlay");
  for (int state = 0; state < 3; ++state) {  // running, in preview, after an approved close
    saverWindow.previewMode = state == 1;
    saverWindow.closeApproved = state == 2;
    verifyPasswordFn = nullptr;
    EXPECT_EQ(HostDefaultProc(window, saverWindow.autoPlayMessage, 0, 0), 0) << state;
    EXPECT_TRUE(closeRequested(window)) << state;
    verifyPasswordFn = approvingVerifier;
    EXPECT_EQ(HostDefaultProc(window, saverWindow.autoPlayMessage, 0, 0), 1) << state;
    EXPECT_TRUE(closeRequested(window)) << state;
  }
}

TEST_F(HostRules, OutsideThe95FamilyACloseIsNeverRefused) {
  verifyPasswordFn = refusingVerifier;  // would refuse, if it were asked
  HostDefaultProc(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));  // the platform's default handling destroyed it
  // The verification message goes to the platform (0), neither to the verifier (1) nor to
  // the 95 family's answer without one (also 1).
  verifyPasswordFn = approvingVerifier;
  EXPECT_EQ(HostDefaultProc(nullptr, HOSTM_VERIFYPASSWORD, 0, 0), 0);
}

TEST_F(HostRules, TheWindowProcedureSwallowsTitleChangesTaskSwitchesAndSaverStarts) {
  EXPECT_EQ(HostWindowProc(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("other")), 0);
  char title[16] = {};
  GetWindowTextA(window, title, sizeof title);
  EXPECT_STREQ(title, "saver");
  for (WPARAM command : {SC_NEXTWINDOW, SC_PREVWINDOW, SC_SCREENSAVE}) {
    EXPECT_EQ(HostWindowProc(window, WM_SYSCOMMAND, command, 0), 0);
    EXPECT_FALSE(closeRequested(window));
  }
  HostWindowProc(window, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
  EXPECT_TRUE(closeRequested(window));
  saverWindow.closeApproved = true;
  EXPECT_EQ(HostWindowProc(window, WM_TIMER, 1, 0), 0);
  HostWindowProc(window, WM_KEYDOWN, 'A', 0);
  EXPECT_FALSE(closeRequested(window));
}

TEST_F(HostRules, InPreviewHelpRequestsGoToTheOwnerWithResultOne) {
  HWND owner = createTestWindow(100, 100);
  HWND child = CreateWindowExA(0, "STATIC", "Preview", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                               owner, nullptr, nullptr, nullptr);
  saverWindow.previewMode = true;
  EXPECT_EQ(HostWindowProc(child, WM_HELP, 0, 1234), 1);
  EXPECT_EQ(HostWindowProc(child, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(child), 99), 1);
  // NOTE: the platform refuses to post WM_HELP (its second parameter is a pointer), so only
  // the context-menu request can be seen arriving at the owner.
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, owner, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_REMOVE));
  EXPECT_EQ(msg.wParam, reinterpret_cast<WPARAM>(owner));
  EXPECT_EQ(msg.lParam, 99);
  DestroyWindow(owner);
}

TEST_F(HostRules, ASaverWindowThatCannotBeMadeEndsWithMinusOne) {
  // The class name taken already: registration fails, and no window can be made.
  WNDCLASSA taken{};
  taken.lpfnWndProc = DefWindowProcA;
  taken.hInstance = GetModuleHandleA(nullptr);
  taken.lpszClassName = saverClassName;
  ASSERT_TRUE(RegisterClassA(&taken));
  hostInstance = GetModuleHandleA(nullptr);
  HWND owner = createTestWindow(60, 40);
  EXPECT_EQ(RunSaverWindow(owner), -1);
  DestroyWindow(owner);
  UnregisterClassA(saverClassName, hostInstance);
}

// The gate on the 95 family, with the password library's test double installed.
class PasswordGate : public HostRules {
 protected:
  void SetUp() override {
    HostRules::SetUp();
    is95Family = true;
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    installed = std::string(system) + "\\PASSWORD.CPL";
    ASSERT_TRUE(CopyFileA(VORLIX_PASSWORD_DOUBLE, installed.c_str(), FALSE));
    RegDeleteTreeA(HKEY_CURRENT_USER, doubleKey);
    setDesktopPassword(1);
  }
  void TearDown() override {
    UnloadPasswordVerifier();
    setDesktopPassword(0);
    RegDeleteTreeA(HKEY_CURRENT_USER, doubleKey);
    DeleteFileA(installed.c_str());
    HostRules::TearDown();
  }
  static void setDesktopPassword(DWORD value) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &key, nullptr);
    RegSetValueExA(key, "ScreenSaveUsePassword", 0, REG_DWORD,
                   reinterpret_cast<const BYTE*>(&value), 4);
    RegCloseKey(key);
  }
  static void setDouble(const char* name, DWORD value) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, doubleKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
    RegCloseKey(key);
  }
  static DWORD readDouble(const char* name) {
    HKEY key = nullptr;
    DWORD value = 0, size = 4;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, doubleKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
      RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
      RegCloseKey(key);
    }
    return value;
  }
  // A window whose procedure is the host's, so the gate's message reaches the verifier.
  static LRESULT CALLBACK gateProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return HostDefaultProc(w, m, wp, lp);
  }
  std::string installed;
};

TEST_F(PasswordGate, WithoutTheDesktopSettingNothingIsLoadedAndACloseIsApprovedAtOnce) {
  setDesktopPassword(0);
  LoadPasswordVerifier();
  EXPECT_EQ(passwordModule, nullptr);
  EXPECT_EQ(verifyPasswordFn, nullptr);
  EXPECT_EQ(AskPasswordBeforeClose(window), 1);
  EXPECT_EQ(readDouble("calls"), 0u);
}

// Whether the system has been told that a saver runs.
bool saverAnnounced() {
  BOOL running = FALSE;
  SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
  return running != FALSE;
}

// The running announcements the host makes, counted through this program's import of
// SystemParametersInfoA (the host code is linked into it).
struct Announcements {
  int running = 0, stopped = 0;
} announcements;
using SystemParametersFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT);
SystemParametersFn realSystemParameters = nullptr;
BOOL WINAPI countingSystemParameters(UINT action, UINT number, PVOID data, UINT flags) {
  if (action == SPI_SCREENSAVERRUNNING) ++(number ? announcements.running : announcements.stopped);
  return realSystemParameters(action, number, data, flags);
}

TEST_F(PasswordGate, ARunThatLoadedTheEntryPointAnnouncesOnceRunningAndOnceStopped) {
  ASSERT_GT(patchImport("user32.dll", "SystemParametersInfoA",
                        reinterpret_cast<void*>(countingSystemParameters),
                        reinterpret_cast<void**>(&realSystemParameters)),
            0);
  announcements = {};
  LoadPasswordVerifier();
  EXPECT_EQ(announcements.running, 1);
  EXPECT_EQ(announcements.stopped, 0);
  UnloadPasswordVerifier();
  UnloadPasswordVerifier();  // a second unload, with nothing loaded, says nothing
  EXPECT_EQ(announcements.running, 1);
  EXPECT_EQ(announcements.stopped, 1);

  // A run without the lock password loads nothing and announces nothing.
  announcements = {};
  setDesktopPassword(0);
  LoadPasswordVerifier();
  UnloadPasswordVerifier();
  EXPECT_EQ(announcements.running + announcements.stopped, 0);
}

// Whether the entry point was in place at each RegCloseKey this program made.
std::vector<bool> entryPointAtClose;
using RegCloseKeyFn = LONG(WINAPI*)(HKEY);
RegCloseKeyFn realRegCloseKey = nullptr;
LONG WINAPI recordingRegCloseKey(HKEY key) {
  entryPointAtClose.push_back(verifyPasswordFn != nullptr);
  return realRegCloseKey(key);
}

TEST_F(PasswordGate, TheDesktopKeyIsClosedOnlyOnceTheLibraryIsLoaded) {
  ASSERT_GT(patchImport(nullptr, "RegCloseKey", reinterpret_cast<void*>(recordingRegCloseKey),
                        reinterpret_cast<void**>(&realRegCloseKey)),
            0);
  entryPointAtClose.clear();
  LoadPasswordVerifier();
  const std::vector<bool> seen = entryPointAtClose;
  patchImport(nullptr, "RegCloseKey", reinterpret_cast<void*>(realRegCloseKey), nullptr);
  EXPECT_EQ(seen, std::vector<bool>{true});
}

TEST_F(PasswordGate, TheVerifierIsLoadedFromTheSystemDirectoryAndReleasedAgain) {
  ASSERT_FALSE(saverAnnounced());
  LoadPasswordVerifier();
  ASSERT_NE(verifyPasswordFn, nullptr);
  EXPECT_TRUE(saverAnnounced());
  char path[MAX_PATH] = {};
  GetModuleFileNameA(passwordModule, path, MAX_PATH);
  EXPECT_EQ(lstrcmpiA(path, installed.c_str()), 0) << path;
  UnloadPasswordVerifier();
  EXPECT_EQ(passwordModule, nullptr);
  EXPECT_EQ(verifyPasswordFn, nullptr);
  EXPECT_FALSE(saverAnnounced());
}

TEST_F(PasswordGate, ALibraryOfThatNameInTheCurrentFolderIsNeverLoaded) {
  // The double is built into the program's own and the current folder; with the system
  // directory's copy gone, a lookup by bare name would still find it there.
  DeleteFileA(installed.c_str());
  ASSERT_NE(GetFileAttributesA("PASSWORD.CPL"), INVALID_FILE_ATTRIBUTES);
  LoadPasswordVerifier();
  EXPECT_EQ(passwordModule, nullptr);
  EXPECT_EQ(verifyPasswordFn, nullptr);
}

TEST_F(PasswordGate, NothingHappensOutsideThe95Family) {
  is95Family = false;
  LoadPasswordVerifier();
  EXPECT_EQ(passwordModule, nullptr);
  SetSaverRunning(true);
  EXPECT_FALSE(saverAnnounced());
  EXPECT_EQ(AskPasswordBeforeClose(window), 1);
}

TEST_F(PasswordGate, AWrongPasswordKeepsTheSaverAndARightOneLetsItClose) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = gateProc;
  wc.lpszClassName = "VorlixGateTest";
  RegisterClassA(&wc);
  HWND saver = CreateWindowExA(0, "VorlixGateTest", "gate", WS_POPUP, 0, 0, 10, 10, nullptr,
                               nullptr, nullptr, nullptr);
  LoadPasswordVerifier();
  setDouble("answer", 0);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));  // as the password dialog leaves it
  EXPECT_EQ(SendMessageA(saver, WM_CLOSE, 0, 0), 0);
  EXPECT_TRUE(IsWindow(saver));
  EXPECT_EQ(GetCursor(), nullptr) << "the cursor was not hidden again after the refusal";
  EXPECT_EQ(readDouble("calls"), 1u);
  // Within 200 ms of the refusal a close is refused without asking.
  SendMessageA(saver, WM_CLOSE, 0, 0);
  EXPECT_EQ(readDouble("calls"), 1u);
  EXPECT_TRUE(IsWindow(saver));
  Sleep(250);
  setDouble("answer", 1);
  SendMessageA(saver, WM_CLOSE, 0, 0);
  EXPECT_EQ(readDouble("calls"), 2u);
  EXPECT_FALSE(IsWindow(saver));
  EXPECT_TRUE(saverWindow.closeApproved);
}

TEST_F(PasswordGate, ACloseDuringTheDialogIsRefusedAtOnce) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = gateProc;
  wc.lpszClassName = "VorlixGateTest2";
  RegisterClassA(&wc);
  HWND saver = CreateWindowExA(0, "VorlixGateTest2", "gate", WS_POPUP, 0, 0, 10, 10, nullptr,
                               nullptr, nullptr, nullptr);
  LoadPasswordVerifier();
  setDouble("answer", 0);
  setDouble("closeDuring", 1);
  SendMessageA(saver, WM_CLOSE, 0, 0);
  EXPECT_EQ(readDouble("calls"), 1u);           // no second dialog inside the first
  EXPECT_EQ(readDouble("reentrantResult"), 100u);  // the inner close answered 0
  EXPECT_TRUE(IsWindow(saver));
  DestroyWindow(saver);
}

}  // namespace
