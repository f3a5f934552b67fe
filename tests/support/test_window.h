// Small helpers of the Windows tests: plain windows to draw in, message pumping, files,
// and starting the real saver as a separate process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A visible top-level popup window whose client area is width x height pixels.
HWND createTestWindow(int width, int height, WNDPROC procedure = DefWindowProcA);

// Dispatches this thread's messages for about milliseconds.
void pumpMessages(DWORD milliseconds);

// The whole content of a file, or "<missing>" when it cannot be opened.
std::string readWholeFile(const std::string& path);

// Creates or replaces a file with the given bytes.
void writeWholeFile(const std::string& path, const std::string& bytes);

// The saver's settings key, created when missing, opened for everything; null on failure.
HKEY openSettingsKey();

// Stores one setting of the saver as the dialog would (a REG_DWORD under its key).
void storeSetting(const char* name, DWORD value);

// A copy of the whole desktop, top row first, 4 bytes (blue, green, red, unused) a pixel.
struct Screen {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> bytes;
};
Screen takeScreenshot();

// A started process of the real saver (VorlixSS.scr with the given command tail).
struct SaverProcess {
  PROCESS_INFORMATION info{};
  bool started = false;

  SaverProcess() = default;
  SaverProcess(SaverProcess&& other) noexcept : info(other.info), started(other.started) {
    other.started = false;
  }
  SaverProcess(const SaverProcess&) = delete;
  SaverProcess& operator=(const SaverProcess&) = delete;

  // Waits up to milliseconds; the exit code, or STILL_ACTIVE when it has not ended.
  DWORD waitExit(DWORD milliseconds);
  // As waitExit, while answering what the process sends to this thread's windows (a saver
  // inside ours, or a dialog owned by ours, waits for them).
  DWORD waitExitPumping(DWORD milliseconds);
  // Ends the process if it still runs.
  void kill();
  ~SaverProcess();
};

// Starts VorlixSS.scr (or program) with commandTail; the working directory is the test's.
// environment, when given, is a double-NUL-terminated block for CreateProcessA.
SaverProcess startSaver(const std::string& commandTail, const char* program = nullptr,
                        const char* environment = nullptr);

// The visible dialog captioned title that process made, once it exists (pumping this
// thread's messages meanwhile); null after timeoutMs.
HWND waitForProcessDialog(const SaverProcess& process, const char* title,
                          DWORD timeoutMs = 15000);
