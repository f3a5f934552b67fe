// Shape numbers of the metaballs and the settings as the scene draws them.
#include "render/shaders/blob_shape.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct WorkedValues {
  uint32_t blobbiness;
  float exponent, height, falloff30, falloff50;
};

TEST(BlobShape, WorkedValuesForTheBlobbinessRangeToTheLastBit) {
  // The worked table's figures as the floats they round: 0.5840155 is 0.584015548f, and
  // rounding more than the logarithms and the result would give 0.58401537f there.
  const WorkedValues table[] = {
      {0, 3.00999999f, 10.1436996f, 0.00334444433f, 0.00120399997f},
      {1, 2.64564013f, 7.04623175f, 0.00293960026f, 0.00105825602f},
      {100, 0.584015548f, 0.896612406f, 0.000648906163f, 0.000233606217f},
      {300, 0.00999999978f, 0.505025089f, 1.11111058e-05f, 3.99999817e-06f},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.blobbiness);
    const float exponent = blobExponentFor(row.blobbiness);
    EXPECT_EQ(exponent, row.exponent);
    const float height = blobHeightFor(exponent);
    EXPECT_EQ(height, row.height);
    const float scale = falloffScaleFor(height);
    EXPECT_EQ(scale / (30.0f * 30.0f), row.falloff30);
    EXPECT_EQ(scale / (50.0f * 50.0f), row.falloff50);
  }
}

TEST(BlobShape, ALoneBallReachesTheThresholdAtItsRadius) {
  for (uint32_t blobbiness : {0u, 1u, 17u, 100u, 299u, 300u}) {
    const float height = blobHeightFor(blobExponentFor(blobbiness));
    const float scale = falloffScaleFor(height);
    for (float radius : {1.0f, 10.0f, 30.0f, 50.0f, 200.0f}) {
      const float falloff = scale / (radius * radius);
      EXPECT_NEAR(height * std::exp(-falloff * radius * radius), densityThreshold, 1e-5f)
          << "blobbiness " << blobbiness << " radius " << radius;
    }
  }
}

TEST(BlobShape, DrawableSettingsKeepOneToTwentyBalls) {
  SaverSettings stored = defaultSettings;
  stored.nBalls = 0;
  EXPECT_EQ(drawableSettings(stored).nBalls, 1u);
  stored.nBalls = 21;
  EXPECT_EQ(drawableSettings(stored).nBalls, 20u);
  stored.nBalls = 0xFFFFFFFFu;
  EXPECT_EQ(drawableSettings(stored).nBalls, 20u);
  stored.nBalls = 7;
  EXPECT_EQ(drawableSettings(stored).nBalls, 7u);
}

TEST(BlobShape, DrawableSettingsDrawAnUnknownDistanceFunctionAsSquaredDistance) {
  SaverSettings stored = defaultSettings;
  for (int32_t unknown : {3, 7, -1, 1 << 30}) {
    stored.func_type = unknown;
    EXPECT_EQ(drawableSettings(stored).func_type, 0);
    EXPECT_EQ(stored.func_type, unknown);  // the record itself is not touched
  }
  for (int32_t known : {0, 1, 2}) {
    stored.func_type = known;
    EXPECT_EQ(drawableSettings(stored).func_type, known);
  }
}

}  // namespace
