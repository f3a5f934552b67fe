// Test helpers: windows, message pumping, files and the saver process.
#include "test_window.h"

#include <fstream>
#include <sstream>

#include "scene/settings.h"

HWND createTestWindow(int width, int height, WNDPROC procedure) {
  static int classCounter = 0;
  const std::string className = "VorlixTestWindow" + std::to_string(++classCounter);
  WNDCLASSA wc{};
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = className.c_str();
  RegisterClassA(&wc);
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, WS_POPUP, FALSE, 0);
  HWND window = CreateWindowExA(0, className.c_str(), "Vorlix test", WS_POPUP | WS_VISIBLE, 0, 0,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, wc.hInstance, nullptr);
  pumpMessages(50);
  return window;
}

void pumpMessages(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  } while (GetTickCount() - start < milliseconds);
}

std::string readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

HKEY openSettingsKey() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, settingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

void storeSetting(const char* name, DWORD value) {
  HKEY key = openSettingsKey();
  if (!key) return;
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

Screen takeScreenshot() {
  Screen screen;
  screen.width = GetSystemMetrics(SM_CXSCREEN);
  screen.height = GetSystemMetrics(SM_CYSCREEN);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = screen.width;
  info.bmiHeader.biHeight = -screen.height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC desktop = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(desktop);
  HBITMAP shot = CreateDIBSection(desktop, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, shot);
  BitBlt(memory, 0, 0, screen.width, screen.height, desktop, 0, 0, SRCCOPY);
  const auto* pixels = static_cast<const unsigned char*>(bits);
  screen.bytes.assign(pixels, pixels + 4 * static_cast<size_t>(screen.width) * screen.height);
  SelectObject(memory, old);
  DeleteObject(shot);
  DeleteDC(memory);
  ReleaseDC(nullptr, desktop);
  return screen;
}

DWORD SaverProcess::waitExit(DWORD milliseconds) {
  if (!started) return STILL_ACTIVE;
  WaitForSingleObject(info.hProcess, milliseconds);
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(info.hProcess, &code);
  return code;
}

DWORD SaverProcess::waitExitPumping(DWORD milliseconds) {
  for (DWORD waited = 0; waited < milliseconds; waited += 50) {
    if (waitExit(0) != STILL_ACTIVE) break;
    pumpMessages(50);
  }
  return waitExit(0);
}

void SaverProcess::kill() {
  if (started && waitExit(0) == STILL_ACTIVE) {
    TerminateProcess(info.hProcess, 99);
    WaitForSingleObject(info.hProcess, 5000);
  }
}

SaverProcess::~SaverProcess() {
  kill();
  if (started) {
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
}

SaverProcess startSaver(const std::string& commandTail, const char* program,
                        const char* environment) {
  const std::string path = program ? program : VORLIX_SCR_PATH;
  std::string commandLine = "\"" + path + "\"";
  if (!commandTail.empty()) commandLine += " " + commandTail;
  SaverProcess process;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  process.started = CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                                   const_cast<char*>(environment), nullptr, &startup,
                                   &process.info) != FALSE;
  return process;
}

HWND waitForProcessDialog(const SaverProcess& process, const char* title, DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    HWND found = nullptr;
    while ((found = FindWindowExA(nullptr, found, "#32770", title)) != nullptr) {
      DWORD pid = 0;
      GetWindowThreadProcessId(found, &pid);
      if (pid == process.info.dwProcessId && IsWindowVisible(found)) return found;
    }
    pumpMessages(50);
  }
  return nullptr;
}
