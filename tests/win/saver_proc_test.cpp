// The saver procedure and the frame tick on a real window and Mesa context: what window
// creation starts and in which order, what one tick draws, what destruction stops, and that
// every other message reaches the host's default handling unchanged.
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "host/saver_window.h"
#include "gl_samples.h"
#include "message_box.h"
#include "render/context/gl_context.h"
#include "render/context/gl_context_wgl.h"
#include "render/scene_setup.h"
#include "render/shaders/shader_program.h"
#include "saver/saver_proc_win.h"
#include "scene/balls.h"
#include "scene/frame_clock.h"
#include "scene/settings.h"
#include "test_window.h"

namespace {

constexpr int width = 240;
constexpr int height = 180;

// Fragments that passed while work ran: one full-window quad is width x height of them.

GLint currentProgram() {
  GLint program = 0;
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  return program;
}

// A window whose procedure is the saver procedure itself, client area width x height.
HWND createSceneWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc{};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = SceneWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VorlixSceneTest";
    registered = RegisterClassA(&wc) != 0;
  }
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, WS_POPUP, FALSE, 0);
  return CreateWindowExA(0, "VorlixSceneTest", "scene", WS_POPUP | WS_VISIBLE, 0, 0,
                         frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}


bool closeRequested(HWND window) {
  MSG msg;
  return PeekMessageA(&msg, window, WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0;
}

class SaverProcedure : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, settingsKeyPath);
    lastTickTime = 0;
    stepRemainder = 0.0f;
    saverWindow = SaverWindowState{};
    saverWindow.previewMode = true;  // no dismiss rule: the test decides when it ends
  }
  void TearDown() override {
    if (window) DestroyWindow(window);
    RegDeleteTreeA(HKEY_CURRENT_USER, settingsKeyPath);
  }
  HWND window = nullptr;
};

TEST_F(SaverProcedure, CreationStartsTheSceneFromTheClientAreaAndTheStoredSettings) {
  storeSetting("nBalls", 3);
  storeSetting("blobbiness", 100);
  window = createSceneWindow();
  ASSERT_NE(window, nullptr);
  // The client rectangle came first: the viewport and the ball area are sized from it.
  EXPECT_EQ(clientRect.right, width);
  EXPECT_EQ(clientRect.bottom, height);
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], width);
  EXPECT_EQ(viewport[3], height);
  for (int i = 0; i < BALL_SLOTS; ++i) {
    EXPECT_LE(ballPos[i].x, width);
    EXPECT_LE(ballPos[i].y, height);
  }
  // The settings were loaded before the scene was built from them.
  EXPECT_EQ(saverSettings.nBalls, 3u);
  EXPECT_NEAR(blobExponent, 0.5840155f, 2e-6f);
  ASSERT_NE(metaballShader, nullptr);
  EXPECT_EQ(currentProgram(), static_cast<GLint>(metaballShader->program));
  EXPECT_NE(windowDC, nullptr);
  EXPECT_EQ(lastTickTime, 0u);  // no tick yet
}

TEST_F(SaverProcedure, TheTimerDrivesTicksEveryTenMilliseconds) {
  window = createSceneWindow();
  const Vec3 before = ballPos[0];
  pumpMessages(400);
  EXPECT_NE(lastTickTime, 0u);
  EXPECT_TRUE(ballPos[0].x != before.x || ballPos[0].y != before.y);
}

TEST_F(SaverProcedure, TheFirstTickOnlyRecordsTheTime) {
  window = createSceneWindow();
  KillTimer(window, frameTimerId);  // the test ticks by hand
  const Vec3 before = ballPos[5];
  const GLuint samples = samplesDrawnBy([] { FrameTimerProc(nullptr, WM_TIMER, frameTimerId, 0); });
  EXPECT_EQ(samples, 0u);
  EXPECT_NE(lastTickTime, 0u);
  EXPECT_EQ(ballPos[5].x, before.x);
  EXPECT_EQ(ballPos[5].y, before.y);
}

TEST_F(SaverProcedure, ATickStepsThenDrawsOneFrameAndLeavesTheMetaballProgramCurrent) {
  window = createSceneWindow();
  KillTimer(window, frameTimerId);
  glUseProgram(0);  // the tick itself must make the metaball program current again
  lastTickTime = timeGetTime() - 100;  // about ten steps' worth
  const Vec3 before = ballPos[5];
  const GLuint samples = samplesDrawnBy([] { FrameTimerProc(nullptr, WM_TIMER, frameTimerId, 0); });
  EXPECT_EQ(samples, static_cast<GLuint>(width * height));  // one quad, no ghosting
  EXPECT_TRUE(ballPos[5].x != before.x || ballPos[5].y != before.y);
  EXPECT_EQ(currentProgram(), static_cast<GLint>(metaballShader->program));
  EXPECT_LE(stepRemainder, simulationStep);
}

TEST_F(SaverProcedure, DestructionStopsTheTimerThenReleasesTheScene) {
  window = createSceneWindow();
  pumpMessages(100);
  DestroyWindow(window);
  window = nullptr;
  EXPECT_EQ(metaballShader, nullptr);
  EXPECT_EQ(ghostShader, nullptr);
  const uint32_t lastTick = lastTickTime;
  pumpMessages(100);
  EXPECT_EQ(lastTickTime, lastTick);  // no tick after the release
}

TEST_F(SaverProcedure, OtherMessagesReachTheHostDefaultHandlingUnchanged) {
  window = createSceneWindow();
  // The title's length comes from the platform's default handling at the end of the chain.
  EXPECT_EQ(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 5);
  saverWindow.previewMode = false;  // the dismiss rules now apply
  EXPECT_EQ(SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), 0), 1);
  EXPECT_FALSE(closeRequested(window));
  SendMessageA(window, WM_KEYDOWN, 'A', 0);
  EXPECT_TRUE(closeRequested(window));
  saverWindow.previewMode = true;
}

// Run by its own ctest entry, on a Mesa that reports OpenGL 1.5.
TEST(SaverProcedureStartFailure, WithoutTheShaderFunctionsCreationFailsAndKeepsTheReason) {
  if (!std::getenv("MESA_GL_VERSION_OVERRIDE")) GTEST_SKIP() << "needs Mesa's version override";
  saverWindow = SaverWindowState{};
  saverWindow.previewMode = true;
  MessageBoxWatcher boxes;  // the probe's warning about OpenGL 2.0
  HWND window = createSceneWindow();
  const auto seen = boxes.stop();
  EXPECT_EQ(window, nullptr);
  ASSERT_TRUE(sceneStartFailure);
  try {
    std::rethrow_exception(sceneStartFailure);
  } catch (const std::exception& error) {
    EXPECT_NE(std::string(error.what()).find("OpenGL 2.0"), std::string::npos) << error.what();
  }
  sceneStartFailure = nullptr;
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, "Warning");
  EXPECT_EQ(metaballShader, nullptr);
}

}  // namespace
