// The settings store against Wine's real registry.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "scene/settings.h"
#include "test_window.h"

namespace {

class SettingsStore : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, settingsKeyPath);
    saverSettings = SaverSettings{};
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, settingsKeyPath); }

  static void store(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = openSettingsKey();
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  static void storeNumber(const char* name, DWORD value) {
    store(name, REG_DWORD, &value, sizeof value);
  }
  // Type and data of a stored value; type REG_NONE with size 0 when absent.
  static bool readStored(const char* name, DWORD& type, DWORD& value) {
    HKEY key = openSettingsKey();
    DWORD size = sizeof value;
    const bool ok = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                     &size) == ERROR_SUCCESS && size == 4;
    RegCloseKey(key);
    return ok;
  }
  static DWORD valueCount() {
    HKEY key = openSettingsKey();
    DWORD count = 0, subkeys = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &count, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return count + subkeys;
  }
};

void expectSame(const SaverSettings& a, const SaverSettings& b) {
  EXPECT_EQ(a.nBalls, b.nBalls);
  EXPECT_EQ(a.motionBlur, b.motionBlur);
  EXPECT_EQ(a.feather, b.feather);
  EXPECT_EQ(a.contour, b.contour);
  EXPECT_EQ(a.blobbiness, b.blobbiness);
  EXPECT_EQ(a.maxRadius, b.maxRadius);
  EXPECT_EQ(a.minRadius, b.minRadius);
  EXPECT_EQ(a.springK, b.springK);
  EXPECT_EQ(a.damping, b.damping);
  EXPECT_EQ(a.func_type, b.func_type);
}

TEST_F(SettingsStore, FreshAccountLoadsTheDefaultsAndLeavesAnEmptyKey) {
  loadSettings();
  expectSame(saverSettings, SaverSettings{12, false, false, false, 1, 50, 30, 20, 0, 0});
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, settingsKeyPath, 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(valueCount(), 0u);
}

TEST_F(SettingsStore, ASwitchStoredAsTwoLoadsTrueAndIsSavedBackAsOne) {
  storeNumber("motionBlur", 2);
  storeNumber("contour", 0xFFFFFFFF);
  loadSettings();
  EXPECT_TRUE(saverSettings.motionBlur);
  EXPECT_TRUE(saverSettings.contour);
  EXPECT_FALSE(saverSettings.feather);
  ASSERT_TRUE(saveSettings());
  DWORD type = 0, value = 0;
  ASSERT_TRUE(readStored("motionBlur", type, value));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(value, 1u);
  ASSERT_TRUE(readStored("contour", type, value));
  EXPECT_EQ(value, 1u);
}

TEST_F(SettingsStore, DataLongerThanFourBytesCountsAsAbsent) {
  const unsigned long long wide = 7;
  store("nBalls", REG_QWORD, &wide, sizeof wide);
  store("springK", REG_SZ, "1234", 5);  // four characters and the terminating zero
  storeNumber("damping", 60);           // a neighbour that must be unaffected
  loadSettings();
  EXPECT_EQ(saverSettings.nBalls, 12u);
  EXPECT_EQ(saverSettings.springK, 20u);
  EXPECT_EQ(saverSettings.damping, 60u);
}

TEST_F(SettingsStore, FourBytesOfAnyTypeReadAsALittleEndianNumber) {
  const unsigned char bytes[4] = {0x2C, 0x01, 0x00, 0x00};  // 300
  store("blobbiness", REG_BINARY, bytes, sizeof bytes);
  store("func_type", REG_SZ, "\x01\x00\x00", 4);  // three bytes and the zero: still four
  loadSettings();
  EXPECT_EQ(saverSettings.blobbiness, 300u);
  EXPECT_EQ(saverSettings.func_type, 1);
}

TEST_F(SettingsStore, DataShorterThanFourBytesTakesTheDefault) {
  const unsigned char two[2] = {5, 0};
  store("nBalls", REG_BINARY, two, sizeof two);
  store("maxRadius", REG_BINARY, two, 0);
  loadSettings();
  EXPECT_EQ(saverSettings.nBalls, 12u);
  EXPECT_EQ(saverSettings.maxRadius, 50u);
}

TEST_F(SettingsStore, OutOfRangeNumbersLoadUnchanged) {
  storeNumber("nBalls", 50);
  storeNumber("func_type", 7);
  storeNumber("minRadius", 300);
  storeNumber("maxRadius", 40);
  storeNumber("blobbiness", 0xFFFFFFFF);
  loadSettings();
  EXPECT_EQ(saverSettings.nBalls, 50u);
  EXPECT_EQ(saverSettings.func_type, 7);
  EXPECT_EQ(saverSettings.minRadius, 300u);
  EXPECT_EQ(saverSettings.maxRadius, 40u);
  EXPECT_EQ(saverSettings.blobbiness, 0xFFFFFFFFu);
}

TEST_F(SettingsStore, ASaveWritesAllTenAsDwordsAndALoadReturnsThem) {
  saverSettings = SaverSettings{20, true, false, true, 300, 200, 10, 0, 100, 2};
  ASSERT_TRUE(saveSettings());
  EXPECT_EQ(valueCount(), 10u);
  uint32_t expected[settingCount];
  settingsToNumbers(saverSettings, expected);
  for (int i = 0; i < settingCount; ++i) {
    DWORD type = 0, value = 0;
    ASSERT_TRUE(readStored(settingTable[i].stored, type, value)) << settingTable[i].stored;
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << settingTable[i].stored;
    EXPECT_EQ(value, expected[i]) << settingTable[i].stored;
  }
  const SaverSettings saved = saverSettings;
  saverSettings = SaverSettings{};
  loadSettings();
  expectSame(saverSettings, saved);
}

TEST_F(SettingsStore, ANegativeFuncTypeSurvivesTheRoundTrip) {
  saverSettings = defaultSettings;
  saverSettings.func_type = -3;
  ASSERT_TRUE(saveSettings());
  saverSettings = SaverSettings{};
  loadSettings();
  EXPECT_EQ(saverSettings.func_type, -3);
}

TEST_F(SettingsStore, AKeyThatCannotBeOpenedFailsTheSaveAndLoadsDefaults) {
  // HKEY_CURRENT_USER redirected to a key that was deleted: every open fails.
  HKEY scratch = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\VorlixScratch", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &scratch, nullptr), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VorlixScratch"), ERROR_SUCCESS);
  ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, scratch), ERROR_SUCCESS);
  saverSettings = SaverSettings{3, true, true, true, 9, 99, 11, 7, 5, 1};
  const bool saved = saveSettings();
  loadSettings();
  const SaverSettings loaded = saverSettings;
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegCloseKey(scratch);
  EXPECT_FALSE(saved);
  expectSame(loaded, defaultSettings);
}

}  // namespace
