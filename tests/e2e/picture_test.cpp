// The picture seen on the screen: the real VorlixSS.scr saving the screen under Wine with
// default settings and with one and twenty balls, judged from two screenshots of the desktop.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "scene/settings.h"
#include "saver_picture.h"

namespace {

class Picture : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, settingsKeyPath); }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, settingsKeyPath); }

  // The checks every ball count shares: blobs drawn, not a screen of NaN black, and moving.
  static PictureCounts expectMovingBlobs(const char* label) {
    Screen first, second;
    std::string failure;
    EXPECT_TRUE(screenshotsOfSaver(first, second, failure)) << label << ": " << failure;
    const PictureCounts counts = countFullerPicture(first, second);
    const int changed = changedPixels(first, second);
    std::printf("%s: %d lit, %d changed; sectors %d %d %d %d %d %d\n", label, counts.lit, changed,
                counts.perSector[0], counts.perSector[1], counts.perSector[2],
                counts.perSector[3], counts.perSector[4], counts.perSector[5]);
    EXPECT_GT(counts.lit, 500) << label << ": no blobs on the screen";
    EXPECT_GT(changed, 100) << label << ": the blobs do not move";
    return counts;
  }
};

TEST_F(Picture, DefaultSettingsShowMovingBlobsOfSeveralHues) {
  const PictureCounts counts = expectMovingBlobs("default");
  EXPECT_GE(sectorsWithAtLeast(counts, 100), 3) << "twelve random hues but hardly any colour";
}

TEST_F(Picture, OneBallShowsOneMovingBlobOfOneHue) {
  storeSetting("nBalls", 1);
  const PictureCounts counts = expectMovingBlobs("one ball");
  // Every lit pixel of a lone ball is its own colour scaled: one hue, up to rounding.
  EXPECT_LE(counts.widestHueGap, 8.0) << "more than one ball drawn";
}

TEST_F(Picture, TwentyBallsShowMovingBlobsOfSeveralHues) {
  storeSetting("nBalls", 20);
  const PictureCounts counts = expectMovingBlobs("twenty balls");
  EXPECT_GE(sectorsWithAtLeast(counts, 100), 3) << "twenty random hues but hardly any colour";
}

}  // namespace
