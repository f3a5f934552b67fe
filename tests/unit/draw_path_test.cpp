// The fast drawing's GL-free parts: the quality names, auto's trial, the grid and the shaders
// of its two passes.
#include <gtest/gtest.h>

#include "render/draw_quality.h"
#include "render/field_grid.h"
#include "render/shader_composer.h"

namespace {

TEST(DrawPath, QualityNamesAndAutosTrialDecideOnceFromTheMiddleTime) {
  DrawQuality quality = DrawQuality::exact;
  EXPECT_TRUE(drawQualityFromName("fast", quality));
  EXPECT_EQ(quality, DrawQuality::fast);
  EXPECT_TRUE(drawQualityFromName("auto", quality));
  EXPECT_EQ(quality, DrawQuality::automatic);
  for (const char* bad : {"Fast", "", "exact ", "automatic"})
    EXPECT_FALSE(drawQualityFromName(bad, quality)) << bad;
  EXPECT_FALSE(drawQualityFromName(nullptr, quality));

  // Warm-up frames count for nothing, however slow; one slow or one quick frame among the
  // measured ones does not tip the choice.
  const struct {
    double times[trialWarmupFrames + trialMeasuredFrames];
    bool tooSlow;
  } trials[] = {
      {{500, 500, 1, 1, 1, 1, 1}, false},
      {{0, 0, 1, 1, 90, 1, 1}, false},
      {{0, 0, 9, 9, 0.1, 9, 9}, true},
      {{0, 0, 2.5, 2.5, 2.5, 2.6, 2.6}, false},
  };
  for (const auto& t : trials) {
    PathTrial trial;
    bool tooSlow = !t.tooSlow, decided = false;
    for (int i = 0; i < trialWarmupFrames + trialMeasuredFrames; ++i) {
      EXPECT_FALSE(decided) << "decided before frame " << i;
      decided = notePathTrial(trial, t.times[i], tooSlow);
    }
    EXPECT_TRUE(decided);
    EXPECT_EQ(tooSlow, t.tooSlow) << t.times[2];
  }
}

TEST(DrawPath, TheGridFollowsTheBlobShapeAndCoversTheWindow) {
  SaverSettings s = defaultSettings;  // exp(-D^2), blobbiness 1, smallest radius 30
  EXPECT_EQ(fieldSpacingFor(s), 5);
  s.minRadius = s.maxRadius = 10;
  s.blobbiness = 0;
  EXPECT_EQ(fieldSpacingFor(s), 2);  // the sharpest exp(-D^2) still has a grid
  s.func_type = 1;
  EXPECT_EQ(fieldSpacingFor(s), 0);  // exp(-|D|) at 10 pixels: edges too sharp for any grid
  s.minRadius = 200;                 // the radii in either order: the smaller counts
  EXPECT_EQ(fieldSpacingFor(s), 0);
  s.maxRadius = 200;
  EXPECT_EQ(fieldSpacingFor(s), 8);  // capped
  s.func_type = 2;
  EXPECT_EQ(fieldSpacingFor(s), 0);  // cos(D^2) rings

  for (const int size : {1, 639, 640, 641, 1920}) {
    const FieldGrid grid = fieldGridFor(5, size, size);
    SCOPED_TRACE(size);
    EXPECT_GE((grid.width - 1) * 5, size);  // the last point at or past the edge
    EXPECT_LT((grid.width - 2) * 5, size);  // and no more than one past it
    // Window x = j * spacing lands on the centre of texel j.
    for (const int j : {0, grid.width - 1})
      EXPECT_FLOAT_EQ((j * 5.0f) * grid.scale[0] + grid.offset[0], (j + 0.5f) / grid.width);
  }
  EXPECT_EQ(fieldGridFor(0, 640, 480).width, 0);
}

TEST(DrawPath, BothPassesEndWithTheExactShadersOwnFinishing) {
  for (const bool feather : {false, true})
    for (const bool contour : {false, true}) {
      SaverSettings s = defaultSettings;
      s.feather = feather;
      s.contour = contour;
      const std::string exact = composeMetaballShader(s), finish = composeFinishShader(s);
      const std::string from = "\ttotalDensity += exp(";
      ASSERT_NE(exact.find(from), std::string::npos);
      EXPECT_EQ(finish.substr(finish.find(from)), exact.substr(exact.find(from)));
      const std::string field = composeFieldShader(s);
      // The field pass sums as the exact one does, at grid points, and writes the sums.
      EXPECT_EQ(field.find("gl_FragCoord.xyz"), std::string::npos);
      EXPECT_NE(field.find("\t\tdensity = blobHeight*exp(-falloff[i]*dot(d, d));\n"),
                std::string::npos);
      EXPECT_NE(field.find("gl_FragColor = vec4(addColor.xyz, totalDensity);"), std::string::npos);
    }
}

}  // namespace
