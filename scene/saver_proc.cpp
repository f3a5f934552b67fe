// The saver procedure and the frame tick: where window creation, destruction and every
// timer tick reach the scene, and in which order.
#include "scene/saver_proc.h"

#include <mmsystem.h>

#include <ctime>
#include <stdexcept>

#include "host/saver_window.h"
#include "render/fullscreen_quad.h"
#include "render/ghost_ring.h"
#include "render/gl_context.h"
#include "render/scene_setup.h"
#include "render/shader_program.h"
#include "scene/balls.h"
#include "scene/frame_clock.h"
#include "scene/random.h"
#include "scene/settings.h"
#ifdef VORLIX_GL_CHECKS
#include "scene/tick_checks.h"  // the soak's checking build only
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
  // NOTE: GLEW leaves the OpenGL 2.0 entry points null on a driver without them, and the
  // scene would call through them. Stop here, after the probe has said what is missing.
  if (!shaderEntryPointsLoaded())
    throw std::runtime_error("This graphics driver does not offer the OpenGL 2.0 shader "
                             "functions that the saver needs.");
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

void advanceSimulation(float elapsed) {
  stepRemainder = runFixedSteps(stepRemainder, elapsed, stepBalls);
}

void CALLBACK FrameTimerProc(HWND, UINT, UINT_PTR, DWORD) {
  float elapsed;
  if (!takeTickReading(timeGetTime(), elapsed)) return;  // the first tick only records
  advanceSimulation(elapsed);
  if (ghostRingActive()) {
    beginGhostFrame();
    drawFullScreenQuad();  // the metaball pass into the ring
    compositeGhostFrames();
  }
  drawFullScreenQuad();  // the blend, or the metaball pass straight into the back buffer
  metaballShader->enable(true);
  SwapBuffers(windowDC);
#ifdef VORLIX_GL_CHECKS
  checkTick();
#endif
}
