// Windows: the saver procedure and the frame timer: where window creation, destruction and
// every timer tick reach the scene, and in which order.
#include "saver/saver_proc_win.h"

#include <mmsystem.h>

#include <ctime>

#include "host/saver_window.h"
#include "render/context/gl_context.h"
#include "render/context/gl_context_wgl.h"
#include "render/scene_setup.h"
#include "saver/frame_tick.h"
#include "scene/frame_clock.h"
#include "scene/random.h"
#include "scene/settings.h"
#ifdef VORLIX_GL_CHECKS
#include "saver/tick_checks_win.h"  // the soak's checking build only
#endif

std::exception_ptr sceneStartFailure;

namespace {

// Window creation: the whole scene start, in its fixed order. Raises what the scene raises.
void startScene(HWND window) {
  seedRandom(static_cast<uint32_t>(std::time(nullptr)));
  RECT client;
  GetClientRect(window, &client);
  clientRect = {client.left, client.top, client.right, client.bottom};
  initGLContext(window);
  probeShaderSupport();
  requireShaderEntryPoints();
  loadSettings();
  initScene();
  SetTimer(window, frameTimerId, frameTimerPeriodMs, FrameTimerProc);
}

}  // namespace

LRESULT CALLBACK SceneWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      try {
        startScene(window);
      } catch (...) {
        // Returning -1 makes CreateWindowEx fail; the host rethrows the failure.
        sceneStartFailure = std::current_exception();
        return -1;
      }
      return 0;  // creation is not passed on
    case WM_DESTROY:
      KillTimer(window, frameTimerId);
      releaseScene();
      return HostDefaultProc(window, message, wParam, lParam);
    default:
      return HostDefaultProc(window, message, wParam, lParam);
  }
}

void CALLBACK FrameTimerProc(HWND, UINT, UINT_PTR, DWORD) {
  if (!runFrameTick(timeGetTime())) return;  // the first tick only records the time
  SwapBuffers(windowDC);
#ifdef VORLIX_GL_CHECKS
  checkTick();
#endif
}
