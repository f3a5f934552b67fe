// Finds modal message boxes, reads their caption and text, and presses OK, from a thread of
// its own: a box blocks the thread that shows it, so the test cannot answer it itself.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SeenMessageBox {
  std::string title;
  std::string text;
  int buttons = 0;     // push buttons on the box
  HWND owner = nullptr;
};

class MessageBoxWatcher {
 public:
  // Watches the top-level dialog windows of processId (default: this process).
  explicit MessageBoxWatcher(DWORD processId = GetCurrentProcessId());
  ~MessageBoxWatcher();

  // Stops watching; returns every box answered so far, in the order seen.
  std::vector<SeenMessageBox> stop();

  // Waits up to timeoutMs until at least count boxes were answered; returns the list so far.
  std::vector<SeenMessageBox> waitFor(size_t count, DWORD timeoutMs = 10000);

 private:
  void run();

  DWORD processId_;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::vector<SeenMessageBox> seen_;
  std::thread thread_;
};
