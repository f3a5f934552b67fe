// The release installer and its uninstaller in silent mode, against Wine's real registry and
// file system: which saver goes where, what becomes the active saver, what the uninstall
// removes and keeps, and that the installed saver runs. A 64-bit prefix plays 64-bit
// Windows, a 32-bit one 32-bit Windows.
#include <gtest/gtest.h>
#include <windows.h>
// tlhelp32.h needs windows.h first.
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "test_window.h"

namespace {

const char* const uninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VorlixSS";
const char* const desktopKey = "Control Panel\\Desktop";
const char* const settingsKey = "Software\\Tamrune\\VorlixSS";
const char* const settingsVersionKey = "Software\\Tamrune\\VorlixSS\\v1.0";
const DWORD installerWaitMs = 120000;

// A registry string value, or "<absent>".
std::string readString(const char* key, const char* name) {
  char data[1024] = {};
  DWORD size = sizeof data - 1;
  if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, data, &size) !=
      ERROR_SUCCESS)
    return "<absent>";
  return data;
}

// A registry DWORD value, or -1 when it cannot be read.
long long readDword(const char* key, const char* name) {
  DWORD data = 0, size = sizeof data;
  if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &data, &size) !=
      ERROR_SUCCESS)
    return -1;
  return data;
}

bool keyExists(const char* key) {
  HKEY handle;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

void writeString(const char* key, const char* name, const std::string& value) {
  RegSetKeyValueA(HKEY_CURRENT_USER, key, name, REG_SZ, value.c_str(), DWORD(value.size() + 1));
}

void writeDword(const char* key, const char* name, DWORD value) {
  RegSetKeyValueA(HKEY_CURRENT_USER, key, name, REG_DWORD, &value, sizeof value);
}

bool fileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string environment(const char* name) {
  char value[MAX_PATH] = {};
  GetEnvironmentVariableA(name, value, sizeof value);
  return value;
}

std::string systemFolder() {
  char path[MAX_PATH] = {};
  GetSystemDirectoryA(path, sizeof path);
  return path;
}

// NOTE: the NSIS uninstaller copies itself to the temporary folder, starts the copy and
// ends at once; the removal happens in the copy, a child process, so the test waits for it.
// The first window of a fresh Wine prefix starts Wine's desktop process, which is then a child
// too, but lives as long as the session.
void waitForChildrenOf(DWORD parentId) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
  std::vector<HANDLE> children;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ParentProcessID != parentId || lstrcmpiA(entry.szExeFile, "explorer.exe") == 0)
      continue;
    if (HANDLE child = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID)) children.push_back(child);
  }
  CloseHandle(snapshot);
  for (HANDLE child : children) {
    EXPECT_EQ(WaitForSingleObject(child, installerWaitMs), WAIT_OBJECT_0) << "uninstaller hangs";
    CloseHandle(child);
  }
}

// The saver the installer must put in on this machine: x64 on 64-bit Windows, else x86.
std::string expectedPayload() {
  SYSTEM_INFO info{};
  GetNativeSystemInfo(&info);
  return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ? VORLIX_X64_PAYLOAD
                                                                     : VORLIX_X86_PAYLOAD;
}

std::string otherPayload() {
  return expectedPayload() == VORLIX_X64_PAYLOAD ? VORLIX_X86_PAYLOAD : VORLIX_X64_PAYLOAD;
}

// Runs a program with a command tail to its end, and the processes it left running; its exit
// code (STILL_ACTIVE if it hangs).
DWORD runToEnd(const std::string& program, const std::string& tail) {
  SaverProcess process = startSaver(tail, program.c_str());
  EXPECT_TRUE(process.started) << program;
  const DWORD code = process.waitExit(installerWaitMs);
  waitForChildrenOf(process.info.dwProcessId);
  return code;
}

// Removes every trace of an installation the way a fresh account would have none.
void removeInstallation(const std::string& folder) {
  DeleteFileA((folder + "\\VorlixSS.scr").c_str());
  DeleteFileA((folder + "\\uninstall.exe").c_str());
  RemoveDirectoryA(folder.c_str());
  RegDeleteTreeA(HKEY_CURRENT_USER, uninstallKey);
}

class Installer : public ::testing::Test {
 protected:
  const std::string installer = VORLIX_TEST_INSTALLER;
  const std::string folder = environment("LOCALAPPDATA") + "\\Programs\\VorlixSS";
  const std::string otherFolder = environment("LOCALAPPDATA") + "\\Programs\\VorlixOther";
  const std::string scr = folder + "\\VorlixSS.scr";
  const std::string uninstaller = folder + "\\uninstall.exe";
  const std::string systemScr = systemFolder() + "\\VorlixSS.scr";

  std::string savedActiveSaver;
  bool hadSettings = false;

  // Starts from a machine without VorlixSS; other tests' settings and saver are put back later.
  void SetUp() override {
    savedActiveSaver = readString(desktopKey, "SCRNSAVE.EXE");
    hadSettings = keyExists(settingsKey);
    removeInstallation(folder);
    removeInstallation(otherFolder);
    DeleteFileA(systemScr.c_str());
    RegDeleteKeyValueA(HKEY_CURRENT_USER, desktopKey, "SCRNSAVE.EXE");
  }

  void TearDown() override {
    removeInstallation(folder);
    removeInstallation(otherFolder);
    DeleteFileA(systemScr.c_str());
    if (savedActiveSaver == "<absent>")
      RegDeleteKeyValueA(HKEY_CURRENT_USER, desktopKey, "SCRNSAVE.EXE");
    else
      writeString(desktopKey, "SCRNSAVE.EXE", savedActiveSaver);
    if (!hadSettings) RegDeleteTreeA(HKEY_CURRENT_USER, settingsKey);
  }

  void install(const std::string& tail = "/S") {
    ASSERT_EQ(runToEnd(installer, tail), 0u) << "installer " << tail;
  }

  void uninstall(const std::string& tail = "/S") {
    ASSERT_EQ(runToEnd(uninstaller, tail), 0u) << "uninstaller " << tail;
  }
};

TEST_F(Installer, SilentInstallPutsTheSaverOfThisArchitectureInTheUserProgramFolder) {
  install();
  ASSERT_TRUE(fileExists(scr));
  EXPECT_EQ(readWholeFile(scr), readWholeFile(expectedPayload()));
  EXPECT_NE(readWholeFile(scr), readWholeFile(otherPayload()));
  EXPECT_TRUE(fileExists(uninstaller));
  EXPECT_FALSE(fileExists(systemScr)) << "the system folder is used only when asked for";
}

TEST_F(Installer, SilentInstallMakesItTheActiveSaver) {
  install();
  EXPECT_STRCASEEQ(readString(desktopKey, "SCRNSAVE.EXE").c_str(), scr.c_str());
  EXPECT_EQ(readString(desktopKey, "ScreenSaveActive"), "1");
}

TEST_F(Installer, SilentInstallRegistersTheUninstallerForTheUser) {
  install();
  EXPECT_EQ(readString(uninstallKey, "DisplayName"), "VorlixSS");
  EXPECT_EQ(readString(uninstallKey, "Publisher"), "Tamrune");
  EXPECT_STRCASEEQ(readString(uninstallKey, "InstallLocation").c_str(), folder.c_str());
  EXPECT_STRCASEEQ(readString(uninstallKey, "UninstallString").c_str(),
                   ("\"" + uninstaller + "\"").c_str());
  EXPECT_STRCASEEQ(readString(uninstallKey, "QuietUninstallString").c_str(),
                   ("\"" + uninstaller + "\" /S").c_str());
  EXPECT_EQ(readDword(uninstallKey, "NoModify"), 1);
}

TEST_F(Installer, InstalledSaverRunsFullScreenAndEndsOnAKeyPress) {
  install();
  DeleteFileA("logInit.txt");
  SaverProcess saver = startSaver("/s", scr.c_str());
  ASSERT_TRUE(saver.started);
  HWND window = nullptr;
  for (int i = 0; i < 300 && !window && saver.waitExit(0) == STILL_ACTIVE; ++i) {
    window = FindWindowA("WindowsScreenSaverClass", "Screen Saver");
    if (!window) Sleep(100);
  }
  ASSERT_NE(window, nullptr) << "the installed saver showed no full-screen window";
  pumpMessages(500);  // a few frames
  PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(saver.waitExit(30000), 0u);
  // A context with GLEW loaded leaves the start-up log empty.
  EXPECT_EQ(readWholeFile("logInit.txt"), "");
}

TEST_F(Installer, SilentUninstallRemovesFilesEntryAndActiveSaverAndKeepsTheSettings) {
  install();
  writeDword(settingsVersionKey, "nBalls", 7);
  uninstall();
  EXPECT_FALSE(fileExists(scr));
  EXPECT_FALSE(fileExists(uninstaller));
  EXPECT_FALSE(fileExists(folder)) << "the program folder stays behind";
  EXPECT_FALSE(keyExists(uninstallKey));
  EXPECT_EQ(readString(desktopKey, "SCRNSAVE.EXE"), "<absent>");
  EXPECT_EQ(readDword(settingsVersionKey, "nBalls"), 7);
}

TEST_F(Installer, UninstallLeavesAnotherActiveSaverAlone) {
  install();
  const std::string other = "C:\\windows\\system32\\ribbons.scr";
  writeString(desktopKey, "SCRNSAVE.EXE", other);
  uninstall();
  EXPECT_EQ(readString(desktopKey, "SCRNSAVE.EXE"), other);
  EXPECT_FALSE(fileExists(scr));
}

TEST_F(Installer, UninstallWithRemoveSettingsDeletesTheSavedSettings) {
  install();
  writeDword(settingsVersionKey, "nBalls", 7);
  uninstall("/S /REMOVESETTINGS");
  EXPECT_FALSE(keyExists(settingsKey));
  EXPECT_FALSE(keyExists(uninstallKey));
}

TEST_F(Installer, InstallingTwiceLeavesOneInstallation) {
  install();
  install();
  EXPECT_TRUE(fileExists(scr));
  EXPECT_STRCASEEQ(readString(uninstallKey, "InstallLocation").c_str(), folder.c_str());
  // One uninstall removes everything: nothing of a first installation is left over.
  uninstall();
  EXPECT_FALSE(fileExists(folder));
  EXPECT_FALSE(keyExists(uninstallKey));
  EXPECT_EQ(readString(desktopKey, "SCRNSAVE.EXE"), "<absent>");
}

TEST_F(Installer, InstallingIntoAnotherFolderMovesTheInstallation) {
  install();
  install("/S /D=" + otherFolder);
  EXPECT_FALSE(fileExists(folder)) << "the first installation is still there";
  EXPECT_TRUE(fileExists(otherFolder + "\\VorlixSS.scr"));
  EXPECT_STRCASEEQ(readString(uninstallKey, "InstallLocation").c_str(), otherFolder.c_str());
  EXPECT_STRCASEEQ(readString(desktopKey, "SCRNSAVE.EXE").c_str(),
                   (otherFolder + "\\VorlixSS.scr").c_str());
}

TEST_F(Installer, StaleEntryDoesNotTakeAnotherProgramsFilesAway) {
  // An entry that names a folder where our saver is not: its files belong to someone else.
  CreateDirectoryA(otherFolder.c_str(), nullptr);
  writeWholeFile(otherFolder + "\\uninstall.exe", "another program's uninstaller");
  writeString(uninstallKey, "InstallLocation", otherFolder);
  install("/S /D=" + folder);
  EXPECT_EQ(readWholeFile(otherFolder + "\\uninstall.exe"), "another program's uninstaller");
  EXPECT_STRCASEEQ(readString(uninstallKey, "InstallLocation").c_str(), folder.c_str());
}

// NOTE: Wine's user holds administrator rights, so the system-folder copy is possible here.
TEST_F(Installer, SystemSwitchAddsTheSaverToTheSystemFolderAndUninstallTakesItAway) {
  install("/S /SYSTEM");
  ASSERT_TRUE(fileExists(systemScr));
  EXPECT_EQ(readWholeFile(systemScr), readWholeFile(expectedPayload()));
  EXPECT_STRCASEEQ(readString(desktopKey, "SCRNSAVE.EXE").c_str(), scr.c_str());
  uninstall();
  EXPECT_FALSE(fileExists(systemScr));
  EXPECT_FALSE(keyExists(uninstallKey));
}

}  // namespace
