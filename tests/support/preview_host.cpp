// A stand-in for the desktop's preview monitor: owns a small window, starts the saver in it
// with /p, keeps it for a while, then closes the window and reports the saver's exit code.
//   preview_host SCR [SECONDS]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int previewWidth = 152;   // the size of the desktop dialog's little monitor
constexpr int previewHeight = 112;

// Dispatches this thread's messages for about milliseconds: the preview sends us some.
void pump(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(10);
  } while (GetTickCount() - start < milliseconds);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: preview_host SCR [SECONDS]\n");
    return 2;
  }
  const DWORD seconds = argc > 2 ? static_cast<DWORD>(std::atoi(argv[2])) : 5;
  WNDCLASSA monitor{};
  monitor.lpfnWndProc = DefWindowProcA;
  monitor.hInstance = GetModuleHandleA(nullptr);
  monitor.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  monitor.lpszClassName = "VorlixPreviewHost";
  RegisterClassA(&monitor);
  // The owner clips its children, as the desktop's preview monitor does: it must not paint
  // over the saver's window.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE | WS_CLIPCHILDREN;
  RECT frame{0, 0, previewWidth, previewHeight};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  HWND owner = CreateWindowExA(0, monitor.lpszClassName, "Preview host", style, 40, 40,
                               frame.right - frame.left, frame.bottom - frame.top, nullptr,
                               nullptr, monitor.hInstance, nullptr);
  std::string commandLine = std::string("\"") + argv[1] + "\" /p " +
                            std::to_string(reinterpret_cast<uintptr_t>(owner));
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION saver{};
  if (!CreateProcessA(argv[1], &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &saver)) {
    std::fprintf(stderr, "preview_host: cannot start %s\n", argv[1]);
    return 2;
  }
  pump(seconds * 1000);
  DestroyWindow(owner);  // the preview ends with its owner
  DWORD code = STILL_ACTIVE;
  for (int i = 0; i < 100 && code == STILL_ACTIVE; ++i) {
    pump(50);
    GetExitCodeProcess(saver.hProcess, &code);
  }
  std::printf("preview_host: the saver ended with exit code %lu\n", code);
  return code == 0 ? 0 : 1;
}
