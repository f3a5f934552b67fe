// The saver window and its message loop, the host's window procedure, and the dismiss rules
// that end a full-screen saver on input, loss of activation and power events.
#include "host/saver_window.h"

#include <cstdlib>
#include <exception>

#include "host/host_main.h"
#include "host/password_hooks.h"
#include "host/system_library.h"
#include "saver/saver_proc_win.h"

SaverWindowState saverWindow;

namespace {

constexpr UINT saverClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
constexpr int saverIcon = 100;

// Posts the close request that every dismiss rule makes.
void requestClose(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

// The AC line status now; 0xFF when it cannot be read.
BYTE readAcLineStatus() {
  SYSTEM_POWER_STATUS status;
  return GetSystemPowerStatus(&status) ? status.ACLineStatus : 0xFF;
}

// The full-screen window's rectangle: the virtual screen, or the screen's clip box when the
// platform reports no virtual screen.
RECT fullScreenRect() {
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (width != 0 && height != 0) {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + width, top + height};
  }
  RECT clip{};
  HDC screen = GetDC(nullptr);
  GetClipBox(screen, &clip);
  ReleaseDC(nullptr, screen);
  return clip;
}

// The power-broadcast rule: which events end the saver.
bool powerEventCloses(WPARAM event, LPARAM flags) {
  switch (event) {
    case PBT_APMQUERYSUSPEND: case PBT_APMQUERYSTANDBY: case PBT_APMQUERYSUSPENDFAILED:
    case PBT_APMQUERYSTANDBYFAILED: case PBT_APMSUSPEND: case PBT_APMSTANDBY:
      return true;
    case PBT_APMRESUMECRITICAL: case PBT_APMRESUMESUSPEND: case PBT_APMRESUMESTANDBY:
    case PBT_APMRESUMEAUTOMATIC:
      return (flags & PBTF_APMRESUMEFROMFAILURE) == 0;
    case PBT_APMPOWERSTATUSCHANGE: {
      const BYTE status = readAcLineStatus();
      const bool changed = status != saverWindow.lastAcLineStatus;
      saverWindow.lastAcLineStatus = status;
      return changed;
    }
    default:
      return true;  // battery low, OEM events and anything unknown
  }
}

// WM_CREATE's host part: input method off, mouse reference, cursor hidden (full-screen).
void onCreate(HWND window) {
  saverWindow.immModule = GetModuleHandleA("IMM32.DLL");  // never loaded here
  if (saverWindow.immModule) {
    saverWindow.immAssociate =
        entryPoint<ImmAssociateFn>(saverWindow.immModule, "ImmAssociateContext");
    if (saverWindow.immAssociate)
      saverWindow.savedInputContext = saverWindow.immAssociate(window, nullptr);
  }
  GetCursorPos(&saverWindow.mouseReference);
  if (!saverWindow.previewMode) SetCursor(nullptr);
}

// The end of the default handling: the shell's AutoPlay question (95 family) is answered
// here, in every state; everything else goes to the platform.
LRESULT defaultTail(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (saverWindow.autoPlayMessage != 0 && message == saverWindow.autoPlayMessage) {
    requestClose(window);
    return verifyPasswordFn ? 1 : 0;  // 1 cancels the AutoPlay the shell would start
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      onCreate(window);
      break;
    case WM_DESTROY:
      if (saverWindow.immModule && saverWindow.immAssociate && saverWindow.savedInputContext)
        saverWindow.immAssociate(window, saverWindow.savedInputContext);
      PostQuitMessage(0);
      break;
    case WM_SETTEXT:
      return 0;  // the title never changes
    case WM_PAINT:
      if (saverWindow.closeApproved) return DefWindowProcA(window, message, wParam, lParam);
      if (!saverWindow.previewMode) SetCursor(nullptr);
      break;
    case WM_HELP:
    case WM_CONTEXTMENU:
      if (!saverWindow.previewMode) break;
      if (HWND parent = GetParent(window); parent && IsWindow(parent))
        PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
      return 1;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (saverWindow.closeApproved) return DefWindowProcA(window, message, wParam, lParam);
      break;
    case WM_SYSCOMMAND:
      if (saverWindow.previewMode) break;
      switch (wParam) {  // compared whole, the low four bits included
        case SC_NEXTWINDOW:
        case SC_PREVWINDOW:
        case SC_SCREENSAVE:
          return 0;  // no task switching, no second saver start
        case SC_MONITORPOWER:
          requestClose(window);  // and passed on, so the display still powers down
          break;
      }
      break;
    case WM_TIMER:
      if (saverWindow.closeApproved) return 0;
      Sleep(0);
      break;
  }
  return SceneWindowProc(window, message, wParam, lParam);
}

LRESULT HostDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // In preview no input ends anything, and after an approved close nothing needs to.
  if (saverWindow.previewMode || saverWindow.closeApproved)
    return defaultTail(window, message, wParam, lParam);

  if (message == WM_CLOSE && is95Family && !AskPasswordBeforeClose(window)) {
    GetCursorPos(&saverWindow.mouseReference);  // the rules start afresh from here
    return 0;
  }
  if (message == HOSTM_VERIFYPASSWORD && is95Family)
    return verifyPasswordFn ? verifyPasswordFn(window) : 1;

  if (!saverWindow.askingPassword) {
    switch (message) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        requestClose(window);
        break;
      case WM_MOUSEMOVE: {
        POINT now;
        GetCursorPos(&now);
        const unsigned travel = static_cast<unsigned>(std::abs(now.x - saverWindow.mouseReference.x) +
                                                      std::abs(now.y - saverWindow.mouseReference.y));
        if (travel > mouseThreshold) {
          requestClose(window);
          saverWindow.mouseReference = now;
        }
        break;
      }
      case WM_ACTIVATEAPP:
        if (wParam == 0) requestClose(window);
        break;
      case WM_SHOWWINDOW:
        if (wParam != 0) SetCursor(nullptr);
        break;
      case WM_SETCURSOR:
        SetCursor(nullptr);
        return 1;
      case WM_POWER:
        if (wParam == PWR_CRITICALRESUME) requestClose(window);
        break;
      case WM_POWERBROADCAST:
        if (powerEventCloses(wParam, lParam)) requestClose(window);
        break;
    }
  }
  return defaultTail(window, message, wParam, lParam);
}

int RunSaverWindow(HWND parent) {
  WNDCLASSA windowClass{};
  windowClass.style = saverClassStyle;
  windowClass.lpfnWndProc = HostWindowProc;
  windowClass.hInstance = hostInstance;
  windowClass.hIcon = LoadIconA(hostInstance, MAKEINTRESOURCEA(saverIcon));
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = saverClassName;

  DWORD exStyle = 0, style = 0;
  const char* title = nullptr;
  RECT area{};
  if (parent) {
    RECT client{};
    GetClientRect(parent, &client);
    area = {0, 0, client.right, client.bottom};
    exStyle = 0;
    style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
    title = previewTitle;
    saverWindow.previewMode = true;
  } else {
    area = fullScreenRect();
    exStyle = WS_EX_TOPMOST;
    style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    title = fullScreenTitle;
    // One full-screen saver at a time: a second start hands over to the first.
    HWND running = FindWindowA(saverClassName, fullScreenTitle);
    if (running && IsWindow(running)) {
      SetForegroundWindow(running);
      return 0;
    }
    saverWindow.lastAcLineStatus = readAcLineStatus();
    LoadPasswordVerifier();
  }
  saverWindow.autoPlayMessage = is95Family ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;

  HWND window = nullptr;
  if (RegisterClassA(&windowClass))
    window = CreateWindowExA(exStyle, saverClassName, title, style, area.left, area.top,
                             area.right - area.left, area.bottom - area.top, parent, nullptr,
                             hostInstance, nullptr);
  // A saver that could not make its window says so: 0 would report the failure as success.
  int result = -1;
  if (window) {
    if (!parent) SetForegroundWindow(window);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    result = static_cast<int>(msg.wParam);
  }
  UnloadPasswordVerifier();
  if (sceneStartFailure) {
    // NOTE: the failed window's destruction posted WM_QUIT; left in the queue it would close
    // the guard's message box the moment it opens.
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    std::exception_ptr failure = sceneStartFailure;
    sceneStartFailure = nullptr;
    std::rethrow_exception(failure);
  }
  return result;
}
