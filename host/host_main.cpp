// The top of the process: the command tail, the shared controls, the platform family, the
// guard over the run, and the one mode that the first switch selects.
#include "host/host_main.h"

#include <commctrl.h>

#include <exception>
#include <string>

#include "host/command_line.h"
#include "host/config_dialog.h"
#include "host/crash_guard.h"
#include "host/password_hooks.h"
#include "host/saver_window.h"
#include "host/system_library.h"
#include "render/shaders/shader_program.h"

HINSTANCE hostInstance = nullptr;
bool is95Family = false;

namespace {

const char* const startFailureTitle = "Error";
const char* const startFailurePrefix = "The saver could not start:\n";

// CharNextA with the command-line reader's signature.
const char* nextCharacter(const char* c) { return CharNextA(c); }

// The window of a number in the tail, or null when there is none or it is no window.
HWND windowAt(const char* number) {
  if (!number) return nullptr;
  HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(ParseWindowNumber(number)));
  return window && IsWindow(window) ? window : nullptr;
}

// Runs the mode of the tail's first switch; its result, or -1 for a refused tail.
int runMode(const char* tail) {
  const SwitchRequest request = readSwitch(tail);
  switch (request.mode) {
    case SaverMode::configure:
      return RunConfigDialog(nullptr);
    case SaverMode::configureSwitch: {
      HWND parent = windowAt(request.number);
      return RunConfigDialog(parent ? parent : GetForegroundWindow());
    }
    case SaverMode::save:
      return RunSaverWindow(nullptr);
    case SaverMode::preview: {
      HWND parent = windowAt(request.number);
      return parent ? RunSaverWindow(parent) : -1;
    }
    case SaverMode::changePassword: {
      if (!is95Family) return -1;
      HWND parent = windowAt(request.number);
      ChangeLockPassword(parent ? parent : GetForegroundWindow());
      return 0;
    }
    case SaverMode::refused:
      break;
  }
  return -1;
}

// What the guarded run needs and gives back.
struct GuardedRun {
  const char* tail;
  int result;
};

// Shows why the saver could not start, in a box of its own.
void showStartFailure(const std::string& reason) {
  MessageBoxA(nullptr, (startFailurePrefix + reason).c_str(), startFailureTitle, MB_OK);
}

// The body under the crash guard. A C++ exception (a shader that did not build, a GL without
// the shader functions) ends the run here with a box instead of a crash report. The password
// library is released rather than the stop announced outright: the saver window has
// usually released it already, and announced the stop then, which must not be said twice.
void runGuarded(void* context) {
  auto* run = static_cast<GuardedRun*>(context);
  try {
    run->result = runMode(run->tail);
  } catch (const ShaderBuildError& error) {
    UnloadPasswordVerifier();
    showStartFailure(error.userText());
    run->result = -1;
  } catch (const std::exception& error) {
    UnloadPasswordVerifier();
    showStartFailure(std::string(error.what()) + "\n");
    run->result = -1;
  }
}

}  // namespace

void HostEntry() {
  const char* tail = commandTail(GetCommandLineA(), nextCharacter);
  ExitProcess(static_cast<UINT>(HostMain(GetModuleHandleA(nullptr), tail)));
}

int HostMain(HINSTANCE instance, const char* commandTail) {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  hostInstance = instance;
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  is95Family = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;

  GuardedRun run{commandTail, -1};
  if (!runUnderCrashGuard(runGuarded, &run)) {
    SetSaverRunning(false);
    return -1;
  }
  return run.result;
}

void ChangeLockPassword(HWND parent) {
  // "PwdChangePasswordA" of MPR.DLL: provider, parent window and two zero values.
  using ChangePasswordFn = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, void*);
  HMODULE mpr = loadSystemLibrary("MPR.DLL");
  if (!mpr) return;
  auto change = entryPoint<ChangePasswordFn>(mpr, "PwdChangePasswordA");
  if (change) change("SCRSAVE", parent, 0, nullptr);
  FreeLibrary(mpr);
}
