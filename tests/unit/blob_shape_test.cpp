// Shape numbers of the metaballs and the settings as the scene draws them.
#include "render/blob_shape.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct WorkedValues {
  uint32_t blobbiness;
  float exponent, height, falloff30, falloff50;
};

TEST(BlobShape, WorkedValuesForTheBlobbinessRange) {
  const WorkedValues table[] = {
      {0, 3.01f, 10.1437f, 0.0033444f, 0.0012040f},
      {1, 2.6456401f, 7.0462317f, 0.0029396f, 0.0010583f},
      {100, 0.5840155f, 0.8966124f, 0.00064891f, 0.00023361f},
      {300, 0.01f, 0.5050251f, 0.0000111111f, 0.0000040000f},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.blobbiness);
    const float exponent = blobExponentFor(row.blobbiness);
    EXPECT_NEAR(exponent, row.exponent, 2e-6f);
    const float height = blobHeightFor(exponent);
    EXPECT_NEAR(height, row.height, 1e-4f);
    const float scale = falloffScaleFor(height);
    EXPECT_NEAR(scale, exponent, 2e-6f);  // -ln(0.5 / (0.5 e^x)) is x again
    EXPECT_NEAR(scale / (30.0f * 30.0f), row.falloff30, row.falloff30 * 1e-4f);
    EXPECT_NEAR(scale / (50.0f * 50.0f), row.falloff50, row.falloff50 * 1e-4f);
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
