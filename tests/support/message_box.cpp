// Message-box watcher: polls the desktop's top-level windows for dialog-class windows of a
// process, reads them and presses their OK (or only) button.
#include "message_box.h"

#include <algorithm>

namespace {

struct Search {
  DWORD processId;
  std::vector<HWND> boxes;
};

BOOL CALLBACK collectDialogs(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  // A message box is a dialog-class window whose text is the static control 0xFFFF; other
  // dialogs of the process (the configuration dialog) are left alone.
  if (pid == search->processId && IsWindowVisible(window) && std::string(cls) == "#32770" &&
      GetDlgItem(window, 0xFFFF))
    search->boxes.push_back(window);
  return TRUE;
}

BOOL CALLBACK countButtons(HWND child, LPARAM param) {
  char cls[64] = {};
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "Button") == 0 && IsWindowVisible(child)) ++*reinterpret_cast<int*>(param);
  return TRUE;
}

// A message box's text is the static control with id 0xFFFF.
std::string boxText(HWND box) {
  char text[4096] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  return text;
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher(DWORD processId)
    : processId_(processId), thread_([this] { run(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() { stop(); }

std::vector<SeenMessageBox> MessageBoxWatcher::stop() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  return seen_;
}

std::vector<SeenMessageBox> MessageBoxWatcher::waitFor(size_t count, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (seen_.size() >= count || GetTickCount() - start > timeoutMs) return seen_;
    }
    Sleep(20);
  }
}

void MessageBoxWatcher::run() {
  std::vector<HWND> answered;
  while (!stopping_) {
    answered.erase(std::remove_if(answered.begin(), answered.end(),
                                  [](HWND box) { return !IsWindow(box); }),
                   answered.end());
    Search search{processId_, {}};
    EnumWindows(collectDialogs, reinterpret_cast<LPARAM>(&search));
    for (HWND box : search.boxes) {
      if (std::find(answered.begin(), answered.end(), box) != answered.end()) continue;
      SeenMessageBox seen;
      char title[512] = {};
      GetWindowTextA(box, title, sizeof title);
      seen.title = title;
      seen.text = boxText(box);
      EnumChildWindows(box, countButtons, reinterpret_cast<LPARAM>(&seen.buttons));
      seen.owner = GetWindow(box, GW_OWNER);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        seen_.push_back(seen);
      }
      answered.push_back(box);
      // NOTE: IDOK may be absent (a box with other buttons); then the first button answers.
      HWND ok = GetDlgItem(box, IDOK);
      if (ok)
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
      else
        PostMessageA(box, WM_CLOSE, 0, 0);
    }
    Sleep(20);
  }
}
