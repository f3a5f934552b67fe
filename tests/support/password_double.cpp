// Test double of the Windows 95 family's PASSWORD.CPL, which cannot exist here: its one entry
// point VerifyScreenSavePwd records each call and answers as the test says. Both live under
// HKCU\Software\VorlixTest\PasswordDouble, so tests in other processes can read them:
//   answer (DWORD, in)       what the verification returns
//   closeDuring (DWORD, in)  1: ask the saver window to close while "the dialog is open"
//   calls (DWORD, out)       verifications so far
//   reentrantResult (out)    what that close request inside the verification returned
//   loads (DWORD, out)       times a process loaded the library
//   countAnnouncements (in)  1: count the running announcements of the program that loads it
//   running, stopped (out)   SPI_SCREENSAVERRUNNING calls with 1 and with 0 made since
#include <windows.h>

#include "import_patch.h"

namespace {

const char* const doubleKey = "Software\\VorlixTest\\PasswordDouble";

DWORD readNumber(HKEY key, const char* name) {
  DWORD value = 0, size = sizeof value;
  RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
  return value;
}

void writeNumber(HKEY key, const char* name, DWORD value) {
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// Adds one to a number of the record.
void countUp(const char* name) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, doubleKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  writeNumber(key, name, readNumber(key, name) + 1);
  RegCloseKey(key);
}

using SystemParametersFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT);
SystemParametersFn realSystemParameters = nullptr;

// SystemParametersInfoA as the loading program sees it once counting is on.
BOOL WINAPI countingSystemParameters(UINT action, UINT number, PVOID data, UINT flags) {
  if (action == SPI_SCREENSAVERRUNNING) countUp(number ? "running" : "stopped");
  return realSystemParameters(action, number, data, flags);
}

// Whether the test asked for the announcements to be counted.
bool countingAsked() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, doubleKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  const bool asked = readNumber(key, "countAnnouncements") == 1;
  RegCloseKey(key);
  return asked;
}

}  // namespace

// Records each load; with counting asked, redirects the loading program's announcements
// through the counter and stays loaded, so that the stop announced after the library is
// freed is counted as well.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  countUp("loads");
  if (countingAsked()) {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCSTR>(&countingSystemParameters), &self);
    patchImport(nullptr, "SystemParametersInfoA",
                reinterpret_cast<void*>(countingSystemParameters),
                reinterpret_cast<void**>(&realSystemParameters));
  }
  return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, doubleKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return FALSE;
  writeNumber(key, "calls", readNumber(key, "calls") + 1);
  if (readNumber(key, "closeDuring") == 1)
    writeNumber(key, "reentrantResult",
                static_cast<DWORD>(SendMessageA(window, WM_CLOSE, 0, 0)) + 100);
  const BOOL answer = readNumber(key, "answer") != 0;
  RegCloseKey(key);
  return answer;
}
