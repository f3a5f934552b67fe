// Test double of MPR.DLL's password-change service of the Windows 95 family, which Wine has
// only as a stub: PwdChangePasswordA records what it was given under
// HKCU\Software\VorlixTest\MprDouble, so the test in the other process can read it:
//   calls (DWORD)      calls so far
//   provider (REG_SZ)  the provider name
//   window (REG_QWORD) the parent window's number
//   reserved (DWORD)   the two last arguments or'ed together (the caller passes zeros)
#include <windows.h>

#include <cstdint>
#include <cstring>

extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND window,
                                                                 DWORD reserved, void* extra) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\VorlixTest\\MprDouble", 0, nullptr, 0,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return ERROR_ACCESS_DENIED;
  DWORD calls = 0, size = sizeof calls;
  RegQueryValueExA(key, "calls", nullptr, nullptr, reinterpret_cast<BYTE*>(&calls), &size);
  ++calls;
  RegSetValueExA(key, "calls", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&calls), sizeof calls);
  const char* name = provider ? provider : "<null>";
  RegSetValueExA(key, "provider", 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                 static_cast<DWORD>(std::strlen(name) + 1));
  const uint64_t number = reinterpret_cast<uintptr_t>(window);
  RegSetValueExA(key, "window", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&number),
                 sizeof number);
  const DWORD rest = reserved | (extra ? 1u : 0u);
  RegSetValueExA(key, "reserved", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&rest), sizeof rest);
  RegCloseKey(key);
  return ERROR_SUCCESS;
}
