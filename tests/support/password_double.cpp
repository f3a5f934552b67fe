// Test double of the Windows 95 family's PASSWORD.CPL, which cannot exist here: its one entry
// point VerifyScreenSavePwd records each call and answers as the test says. Both live under
// HKCU\Software\VorlixTest\PasswordDouble, so tests in other processes can read them:
//   answer (DWORD, in)       what the verification returns
//   closeDuring (DWORD, in)  1: ask the saver window to close while "the dialog is open"
//   calls (DWORD, out)       verifications so far
//   reentrantResult (out)    what that close request inside the verification returned
#include <windows.h>

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

}  // namespace

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
