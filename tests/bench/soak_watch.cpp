// Soak watcher under Wine: starts the checking build of the saver full-screen and, once a
// minute, prints its working set, private bytes, user objects (its windows), GDI objects and
// GL errors (the last two from the saver's own logChecks.txt), then closes it.
//   soak_watch PROGRAM MINUTES
// One line per sample: "minute M ws_kib W private_kib P user_objects U gdi_objects G
// gl_errors E ticks T"; then "exit_code C". It judges nothing; scripts/soak does.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* checksLogName = "logChecks.txt";
constexpr DWORD minuteMs = 60000;

struct WindowCount {
  DWORD processId;  // the saver's process
  int count;        // its windows found so far
};

BOOL CALLBACK countChild(HWND window, LPARAM param) {
  auto* counter = reinterpret_cast<WindowCount*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == counter->processId) ++counter->count;
  return TRUE;
}

BOOL CALLBACK countTopLevel(HWND window, LPARAM param) {
  countChild(window, param);
  EnumChildWindows(window, countChild, param);
  return TRUE;
}

// Windows of the process, top-level, child and message-only.
// NOTE: Wine's GetGuiResources answers 0 for every process, so the user objects that a
// saver can leak (windows) are counted one by one instead.
int countWindows(DWORD processId) {
  WindowCount counter{processId, 0};
  EnumWindows(countTopLevel, reinterpret_cast<LPARAM>(&counter));
  for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
       w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr))
    countTopLevel(w, reinterpret_cast<LPARAM>(&counter));
  return counter.count;
}

// The latest health line of the saver's checking build; false when there is none yet.
bool readLatestChecks(unsigned& ticks, unsigned& glErrors, int& gdiObjects) {
  FILE* file = std::fopen(checksLogName, "rb");
  if (!file) return false;
  char line[200];
  bool found = false;
  while (std::fgets(line, sizeof line, file)) {
    unsigned minute = 0, first = 0;
    if (std::sscanf(line, "report %u ticks %u glErrors %u firstError 0x%x gdiObjects %d",
                    &minute, &ticks, &glErrors, &first, &gdiObjects) == 5)
      found = true;
  }
  std::fclose(file);
  return found;
}

BOOL CALLBACK findSaverWindow(HWND window, LPARAM param) {
  auto* counter = reinterpret_cast<WindowCount*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  if (owner == counter->processId && std::strcmp(name, "WindowsScreenSaverClass") == 0) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    ++counter->count;
  }
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc != 3) {
    std::fprintf(stderr, "usage: soak_watch PROGRAM MINUTES\n");
    return 2;
  }
  const int minutes = std::atoi(argv[2]);
  DeleteFileA(checksLogName);
  char commandLine[MAX_PATH + 8];
  std::snprintf(commandLine, sizeof commandLine, "\"%s\" /s", argv[1]);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION saver{};
  if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &saver)) {
    std::printf("error=could not start %s (%lu)\n", argv[1], GetLastError());
    return 2;
  }
  const DWORD start = GetTickCount();
  for (int minute = 1; minute <= minutes; ++minute) {
    // Sample at whole minutes after the start, however long a sample takes.
    const DWORD due = start + DWORD(minute) * minuteMs;
    const DWORD now = GetTickCount();
    if (WaitForSingleObject(saver.hProcess, due > now ? due - now : 0) != WAIT_TIMEOUT) {
      std::printf("error=the saver ended early in minute %d\n", minute);
      break;
    }
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(saver.hProcess, &memory, sizeof memory);
    unsigned ticks = 0, glErrors = 0;
    int gdiObjects = -1;
    readLatestChecks(ticks, glErrors, gdiObjects);
    // NOTE: for another process Wine leaves PrivateUsage at 0 but fills WorkingSetSize and
    // PagefileUsage from Linux's resident and resident-anonymous sizes (VmRSS, RssAnon).
    std::printf("minute %d ws_kib %llu private_kib %llu user_objects %d gdi_objects %d "
                "gl_errors %u ticks %u\n",
                minute, static_cast<unsigned long long>(memory.WorkingSetSize / 1024),
                static_cast<unsigned long long>(memory.PagefileUsage / 1024),
                countWindows(saver.dwProcessId), gdiObjects, glErrors, ticks);
  }
  WindowCount closer{saver.dwProcessId, 0};
  EnumWindows(findSaverWindow, reinterpret_cast<LPARAM>(&closer));
  if (WaitForSingleObject(saver.hProcess, 10000) == WAIT_TIMEOUT) {
    std::printf("error=the saver did not end on WM_CLOSE\n");
    TerminateProcess(saver.hProcess, 3);
  }
  DWORD code = 0;
  GetExitCodeProcess(saver.hProcess, &code);
  std::printf("exit_code %lu\n", code);
  CloseHandle(saver.hThread);
  CloseHandle(saver.hProcess);
  return 0;
}
