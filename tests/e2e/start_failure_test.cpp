// The real saver on a GL without the OpenGL 2.0 shader functions: after the probe's warning
// it says in a box of its own why it cannot start, and ends with -1 instead of crashing.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "message_box.h"
#include "test_window.h"

TEST(StartFailure, WithoutShaderFunctionsTheSaverExplainsAndEndsWithMinusOne) {
  if (!std::getenv("MESA_GL_VERSION_OVERRIDE")) GTEST_SKIP() << "needs Mesa's version override";
  SaverProcess saver = startSaver("/s");
  ASSERT_TRUE(saver.started);
  MessageBoxWatcher boxes(saver.info.dwProcessId);
  boxes.waitFor(2, 20000);
  const DWORD code = saver.waitExit(20000);
  const auto seen = boxes.stop();
  EXPECT_EQ(code, 0xFFFFFFFFu);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].title, "Warning");
  EXPECT_EQ(seen[0].text,
            "OpenGL 2.0 not supported, therefore using ARB extension for GLSL shaders\n");
  EXPECT_EQ(seen[1].title, "Error");
  EXPECT_NE(seen[1].text.find("OpenGL 2.0"), std::string::npos) << seen[1].text;
  EXPECT_EQ(seen[1].owner, nullptr);
  EXPECT_EQ(seen[1].buttons, 1);
}
