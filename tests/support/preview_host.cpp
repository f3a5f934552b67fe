// A stand-in for the desktop's preview monitor: owns a small window, starts the saver in it
// with /p, says where the saver's window sits, keeps it for a while, then closes the window
// and reports whether the saver's window went with it and the saver's exit code.
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

// The saver's preview window inside owner, waiting up to milliseconds; null when none came.
HWND findPreview(HWND owner, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    if (HWND preview = FindWindowExA(owner, nullptr, "WindowsScreenSaverClass", "Preview"))
      return preview;
    pump(50);
  } while (GetTickCount() - start < milliseconds);
  return nullptr;
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
  const DWORD shown = GetTickCount();
  HWND preview = findPreview(owner, seconds * 1000);
  if (preview) {
    RECT area, mine;
    GetClientRect(preview, &area);
    GetClientRect(owner, &mine);
    std::printf("preview_host: the saver's window \"Preview\", %ldx%ld, is a child of my "
                "window, whose client area is %ldx%ld\n",
                area.right, area.bottom, mine.right, mine.bottom);
  } else {
    std::printf("preview_host: no preview window of the saver appeared in my window\n");
  }
  std::fflush(stdout);
  const DWORD elapsed = GetTickCount() - shown;
  if (elapsed < seconds * 1000) pump(seconds * 1000 - elapsed);
  DestroyWindow(owner);  // the preview ends with its owner
  DWORD code = STILL_ACTIVE;
  for (int i = 0; i < 100 && code == STILL_ACTIVE; ++i) {
    pump(50);
    GetExitCodeProcess(saver.hProcess, &code);
  }
  if (preview)
    std::printf("preview_host: my window is closed, and the saver's window %s\n",
                IsWindow(preview) ? "is still there" : "went with it");
  std::printf("preview_host: the saver ended with exit code %lu\n", code);
  return code == 0 ? 0 : 1;
}
