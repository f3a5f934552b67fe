// Random stored values against the real settings load under Wine's registry: any value
// type, 0 to 8 bytes of random data, any subset of the ten names. The load must never
// fail, and each field must come out as its default or as the number the store holds.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <random>

#include "scene/settings.h"
#include "test_window.h"

namespace {

// Registry types a value may carry, including ones no writer of ours would use and two
// numbers that name no type at all.
const DWORD valueTypes[] = {REG_NONE,      REG_SZ,        REG_EXPAND_SZ,
                            REG_BINARY,    REG_DWORD,     REG_DWORD_BIG_ENDIAN,
                            REG_LINK,      REG_MULTI_SZ,  REG_RESOURCE_LIST,
                            REG_QWORD,     0x1234,        0x7FFFFFFF};

constexpr int roundsPerSeed = 250;

// How often the rounds expected a stored number and a default, so that a generator that
// stopped producing one of the two cases shows up.
int numbersSeen = 0;
int defaultsSeen = 0;

// What the registry itself hands an ANSI reader for one value: the A call converts
// strings, so the stored size can differ from the size that was written.
struct StoredValue {
  bool present = false;
  DWORD size = 0;
  BYTE data[64] = {};
};

class SettingsFuzz : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, settingsKeyPath); }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, settingsKeyPath); }

};

// Reads one value back with a buffer large enough for anything the rounds write.
StoredValue readBack(HKEY key, const char* name) {
  StoredValue value;
  value.size = sizeof value.data;
  value.present =
      RegQueryValueExA(key, name, nullptr, nullptr, value.data, &value.size) == ERROR_SUCCESS;
  return value;
}

// The field a load should produce from what the store holds.
uint32_t expectedNumber(const StoredValue& stored, uint32_t fallback) {
  if (!stored.present || stored.size != 4) return fallback;
  return uint32_t(stored.data[0]) | uint32_t(stored.data[1]) << 8 |
         uint32_t(stored.data[2]) << 16 | uint32_t(stored.data[3]) << 24;
}

// One round: write random values under random names, load, and compare field by field.
void runRound(std::mt19937& rng, HKEY key, int round) {
  uint32_t defaults[settingCount];
  settingsToNumbers(defaultSettings, defaults);
  uint32_t expected[settingCount];
  for (int i = 0; i < settingCount; ++i) {
    RegDeleteValueA(key, settingTable[i].stored);
    if (rng() % 4 == 0) {  // about a quarter of the names stay absent
      expected[i] = defaults[i];
      continue;
    }
    const DWORD type = valueTypes[rng() % (sizeof valueTypes / sizeof valueTypes[0])];
    const DWORD size = rng() % 9;
    BYTE data[8];
    for (BYTE& b : data) b = static_cast<BYTE>(rng());
    ASSERT_EQ(RegSetValueExA(key, settingTable[i].stored, 0, type, data, size), ERROR_SUCCESS)
        << "round " << round << " " << settingTable[i].stored;
    const StoredValue stored = readBack(key, settingTable[i].stored);
    expected[i] = expectedNumber(stored, defaults[i]);
    ++(stored.present && stored.size == 4 ? numbersSeen : defaultsSeen);
  }
  saverSettings = SaverSettings{};
  loadSettings();
  uint32_t loaded[settingCount];
  settingsToNumbers(saverSettings, loaded);
  for (int i = 0; i < settingCount; ++i) {
    // The switches hold true or false only, so compare them as such.
    const bool isSwitch = i >= 1 && i <= 3;
    const uint32_t want = isSwitch ? (expected[i] != 0 ? 1u : 0u) : expected[i];
    EXPECT_EQ(loaded[i], want) << "round " << round << " " << settingTable[i].stored;
  }
}

}  // namespace

TEST_F(SettingsFuzz, AnyTypeAndSizeLoadsAsTheDefaultOrTheStoredNumber) {
  for (uint32_t seed : {1u, 2u, 3u, 4u}) {
    std::mt19937 rng(seed);
    HKEY key = openSettingsKey();
    ASSERT_NE(key, nullptr);
    for (int round = 0; round < roundsPerSeed && !HasFailure(); ++round) runRound(rng, key, round);
    RegCloseKey(key);
  }
  EXPECT_GT(numbersSeen, 500);
  EXPECT_GT(defaultsSeen, 2000);
}

TEST_F(SettingsFuzz, AFourByteValueOfEveryTypeReadsAsItsLittleEndianNumber) {
  // Every type once with the same four bytes: none of them may be rejected for its type.
  const BYTE bytes[4] = {0x78, 0x56, 0x34, 0x12};
  for (DWORD type : valueTypes) {
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) continue;  // converted
    HKEY key = openSettingsKey();
    ASSERT_EQ(RegSetValueExA(key, "springK", 0, type, bytes, sizeof bytes), ERROR_SUCCESS);
    RegCloseKey(key);
    loadSettings();
    EXPECT_EQ(saverSettings.springK, 0x12345678u) << "type " << type;
  }
}

TEST_F(SettingsFuzz, EveryShortOrLongSizeOfADwordTakesTheDefault) {
  const BYTE bytes[8] = {9, 9, 9, 9, 9, 9, 9, 9};
  for (DWORD size : {0u, 1u, 2u, 3u, 5u, 6u, 7u, 8u}) {
    HKEY key = openSettingsKey();
    ASSERT_EQ(RegSetValueExA(key, "maxRadius", 0, REG_DWORD, bytes, size), ERROR_SUCCESS);
    RegCloseKey(key);
    saverSettings = SaverSettings{};
    loadSettings();
    EXPECT_EQ(saverSettings.maxRadius, 50u) << "size " << size;
    EXPECT_EQ(saverSettings.nBalls, 12u) << "size " << size;  // a neighbour stays unaffected
  }
}
