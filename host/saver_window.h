// The saver window: class, full-screen or preview window, message loop, and the host's
// window procedure with the dismiss rules.
#pragma once

#include <windows.h>
#include <imm.h>

// "ImmAssociateContext" of IMM32.DLL, looked up only when the library is already loaded.
using ImmAssociateFn = HIMC(WINAPI*)(HWND, HIMC);

// Host state of the one saver window of the process.
struct SaverWindowState {
  bool previewMode = false;      // a parent window was given: no input ends anything
  bool closeApproved = false;    // the gate approved closing; input leads nowhere from now on
  bool askingPassword = false;   // a verification runs: no dismiss rule applies
  POINT mouseReference{};        // where mouse travel is measured from, screen pixels
  BYTE lastAcLineStatus = 0xFF;  // AC line status last read; 0xFF when none was read
  UINT autoPlayMessage = 0;      // "QueryCancelAutoPlay" on the 95 family, else 0
  HMODULE immModule = nullptr;   // the input-method library, when already loaded
  ImmAssociateFn immAssociate = nullptr;
  HIMC savedInputContext = nullptr;  // detached from the window at creation, restored at the end
};
extern SaverWindowState saverWindow;

// The largest mouse travel (|dx| + |dy|, pixels) that does not end the saver.
constexpr unsigned mouseThreshold = 4;

constexpr const char* saverClassName = "WindowsScreenSaverClass";
constexpr const char* fullScreenTitle = "Screen Saver";
constexpr const char* previewTitle = "Preview";

// Creates the one saver window (full-screen without a parent, preview inside parent) and
// runs the message loop until the window is destroyed. Result: the quit code; 0 when a
// full-screen saver already runs; -1 when the window could not be made.
int RunSaverWindow(HWND parent);

// The window class's procedure: host concerns, then SceneWindowProc.
LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The host's default handling, where the dismiss rules and the password gate live.
LRESULT HostDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
