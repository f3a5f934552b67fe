// Lock-password hooks: load, announce, ask, release. Outside the 95 family none of them does
// anything, and a close request is never refused.
#include "host/password_hooks.h"

#include "host/host_main.h"
#include "host/saver_window.h"
#include "host/system_library.h"

HMODULE passwordModule = nullptr;
VerifyPasswordFn verifyPasswordFn = nullptr;
DWORD lastVerifyTick = 0xFFFFFFFF;  // never

namespace {

const char* const desktopKey = "Control Panel\\Desktop";
const char* const usePasswordValue = "ScreenSaveUsePassword";
const char* const passwordLibrary = "PASSWORD.CPL";
const char* const verifyEntryPoint = "VerifyScreenSavePwd";

}  // namespace

void SetSaverRunning(bool running) {
  if (!is95Family) return;
  BOOL previous = FALSE;  // the earlier state, not used
  SystemParametersInfoA(SPI_SCREENSAVERRUNNING, running ? 1 : 0, &previous, 0);
}

void LoadPasswordVerifier() {
  if (!is95Family) return;
  if (passwordModule) UnloadPasswordVerifier();
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, desktopKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return;
  // Four bytes of raw data, whatever type the value has; nonzero puts the password in force.
  DWORD value = 0, size = sizeof value;
  if (RegQueryValueExA(key, usePasswordValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                       &size) == ERROR_SUCCESS &&
      value != 0) {
    passwordModule = loadSystemLibrary(passwordLibrary);
    if (passwordModule) {
      verifyPasswordFn = entryPoint<VerifyPasswordFn>(passwordModule, verifyEntryPoint);
      if (verifyPasswordFn)
        SetSaverRunning(true);
      else
        UnloadPasswordVerifier();
    }
  }
  RegCloseKey(key);  // only once the library is in place
}

void UnloadPasswordVerifier() {
  if (!is95Family || !passwordModule) return;
  FreeLibrary(passwordModule);
  passwordModule = nullptr;
  if (verifyPasswordFn) {
    verifyPasswordFn = nullptr;
    SetSaverRunning(false);  // only after a running saver had been announced
  }
}

int AskPasswordBeforeClose(HWND window) {
  if (saverWindow.askingPassword || saverWindow.closeApproved) return 0;
  if (!verifyPasswordFn) {
    saverWindow.closeApproved = true;
    return 1;
  }
  if (lastVerifyTick != 0xFFFFFFFF && GetTickCount() - lastVerifyTick < verifyRefusalWindowMs)
    return 0;  // a close right after a refused password is refused without asking again
  saverWindow.askingPassword = true;
  // Ticks queued meanwhile would only draw late frames behind the dialog.
  MSG dropped;
  for (int i = 0; i < 2; ++i)
    PeekMessageA(&dropped, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
  saverWindow.closeApproved = SendMessageA(window, HOSTM_VERIFYPASSWORD, 0, 0) != 0;
  saverWindow.askingPassword = false;
  if (!saverWindow.closeApproved) SetCursor(nullptr);
  lastVerifyTick = GetTickCount();
  return saverWindow.closeApproved ? 1 : 0;
}
