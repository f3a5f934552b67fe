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

// The same on the Windows 95 family with the lock password in force, the password library's
// double counting the saver's announcements: the stop is announced once, as the start was.
TEST(StartFailure, OnThe95FamilyTheStopIsAnnouncedOnce) {
  if (!std::getenv("MESA_GL_VERSION_OVERRIDE")) GTEST_SKIP() << "needs Mesa's version override";
  const char* const versionKey = "Software\\Wine\\AppDefaults\\VorlixSS.scr";
  const char* const record = "Software\\VorlixTest\\PasswordDouble";
  const char* const desktop = "Control Panel\\Desktop";
  char system[MAX_PATH];
  GetSystemDirectoryA(system, MAX_PATH);
  const std::string installed = std::string(system) + "\\PASSWORD.CPL";
  ASSERT_TRUE(CopyFileA(VORLIX_PASSWORD_DOUBLE, installed.c_str(), FALSE));
  RegDeleteTreeA(HKEY_CURRENT_USER, record);
  const DWORD on = 1, off = 0;
  RegSetKeyValueA(HKEY_CURRENT_USER, versionKey, "Version", REG_SZ, "win98", 6);
  RegSetKeyValueA(HKEY_CURRENT_USER, desktop, "ScreenSaveUsePassword", REG_DWORD, &on, 4);
  RegSetKeyValueA(HKEY_CURRENT_USER, record, "countAnnouncements", REG_DWORD, &on, 4);

  SaverProcess saver = startSaver("/s");
  MessageBoxWatcher boxes(saver.info.dwProcessId);
  boxes.waitFor(2, 20000);
  const DWORD code = saver.waitExit(20000);
  const size_t seen = boxes.stop().size();
  DWORD running = 0, stopped = 0, size = 4;
  RegGetValueA(HKEY_CURRENT_USER, record, "running", RRF_RT_DWORD, nullptr, &running, &size);
  size = 4;
  RegGetValueA(HKEY_CURRENT_USER, record, "stopped", RRF_RT_DWORD, nullptr, &stopped, &size);

  RegDeleteTreeA(HKEY_CURRENT_USER, versionKey);
  RegSetKeyValueA(HKEY_CURRENT_USER, desktop, "ScreenSaveUsePassword", REG_DWORD, &off, 4);
  RegDeleteTreeA(HKEY_CURRENT_USER, record);
  DeleteFileA(installed.c_str());
  EXPECT_EQ(code, 0xFFFFFFFFu);
  EXPECT_EQ(seen, 2u);
  EXPECT_EQ(running, 1u);
  EXPECT_EQ(stopped, 1u);
}
