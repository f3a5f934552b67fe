// The fast drawing's GL-free parts: the quality names, auto's trial, the grid, the shaders of
// its two passes and the bound that leaves black tiles out of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "render/field/draw_quality.h"
#include "render/field/field_cull.h"
#include "render/field/field_grid.h"
#include "render/shaders/shader_composer.h"

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

namespace {

// The total density at a window point, as the shaders sum it (floor included), and the
// density-weighted colour's brightest channel there.
struct Sums {
  float density, colour;
};
Sums sumsAt(const CullScene& scene, float x, float y) {
  Sums sums = {std::exp(-0.002f * y * y), 0.0f};
  for (int i = 0; i < scene.count; ++i) {
    const float dx = scene.centres[i].x - x, dy = scene.centres[i].y - y;
    const float d2 = dx * dx + dy * dy;
    const float density = scene.blobHeight *
           std::exp(scene.funcType == 1 ? -100.0f * scene.falloff[i] * std::sqrt(d2)
                                        : -scene.falloff[i] * d2);
    const Vec3& c = scene.colours[i];
    sums.density += density;
    sums.colour += density * std::max({c.x, c.y, c.z});
  }
  return sums;
}

bool within(const PixelRect* rects, int count, float x, float y) {
  for (int i = 0; i < count; ++i)
    if (x >= rects[i].x0 && x < rects[i].x1 && y >= rects[i].y0 && y < rects[i].y1) return true;
  return false;
}

TEST(DrawPath, EveryPixelLeftOutOfTheFinishIsBlackAndEveryOneFinishedHasItsGridPoints) {
  const Vec3 centres[4] = {{100, 600, 0}, {130, 610, 0}, {900, 300, 0}, {1270, 5, 0}};
  const Vec3 colours[4] = {{1, 0, 0}, {0.2f, 0.9f, 0.1f}, {0.5f, 0.5f, 1}, {0.3f, 0.3f, 0.3f}};
  const float falloff[4] = {2.6f / 900, 2.6f / 2500, 2.6f / 400, 2.6f / 40000};  // radii 30 to 200
  static PixelRect finish[cullRectCapacity], field[cullRectCapacity];
  static TileMask lit;
  for (const int funcType : {0, 1})
    for (const bool contour : {false, true}) {
      SCOPED_TRACE(funcType * 2 + contour);
      const int spacing = 5;
      const CullScene scene = {centres, colours, falloff, 4, 7.0f, funcType,
                               lowestVisibleDensity(false, contour), spacing};
      const int count = colouredRects(scene, 1280, 720, lit, finish, field);
      ASSERT_GT(count, 0);
      double area = 0, floorBand = 0;
      for (int i = 0; i < count; ++i) {
        area += (finish[i].x1 - finish[i].x0) * (finish[i].y1 - finish[i].y0);
        if (finish[i].y0 == 0 && finish[i].x0 > 400 && finish[i].x1 < 800) floorBand += 1;
      }
      EXPECT_LT(area, 0.5 * 1280 * 720);  // it leaves out most of a sparse picture
      // The floor alone, with no ball near enough to colour it, stays black.
      if (funcType == 0) {
        EXPECT_EQ(floorBand, 0);
      }
      int outsideChecked = 0;
      for (float y = 0.5f; y < 720; y += 2)
        for (float x = 0.5f; x < 1280; x += 3) {
          // The grid points the pixel is filtered from; the floor is the finish's own, at y.
          const float left = std::floor(x / spacing), below = std::floor(y / spacing);
          if (within(finish, count, x, y)) {
            for (const float px : {left, left + 1})
              for (const float py : {below, below + 1})
                ASSERT_TRUE(within(field, count, px + 0.5f, py + 0.5f)) << x << "," << y;
            continue;
          }
          ++outsideChecked;
          float density = 0, colour = 0;
          for (const float px : {left, left + 1})
            for (const float py : {below, below + 1}) {
              const Sums sums = sumsAt(scene, px * spacing, py * spacing);
              density = std::max(density, sums.density + std::exp(-0.002f * y * y) -
                                              std::exp(-0.002f * py * spacing * py * spacing));
              colour = std::max(colour, sums.colour);
            }
          // All of them too thin, or all too dark, so that no mix of them shows.
          ASSERT_TRUE(density < scene.visibleFrom || colour < invisibleColour)
              << x << "," << y << ": " << density << ", " << colour;
        }
      EXPECT_GT(outsideChecked, 1000);
    }
}

// The ghosting blend covers the union of the ring frames' lit tiles and nothing more; a frame
// of unknown tiles, or of another tiling, makes it cover the whole window.
TEST(DrawPath, TheBlendCoversTheUnionOfTheFramesLitTilesOrElseTheWholeWindow) {
  const Vec3 colours[2] = {{1, 0, 0}, {0, 0, 1}};
  const float falloff[2] = {2.6f / 900, 2.6f / 900};
  const Vec3 left[2] = {{100, 600, 0}, {140, 620, 0}}, right[2] = {{1000, 200, 0}, {1040, 240, 0}};
  static PixelRect finish[cullRectCapacity], field[cullRectCapacity], blend[cullRectCapacity];
  static TileMask a, b, other, unknown;
  const auto scene = [&](const Vec3* centres) {
    return CullScene{centres, colours, falloff, 2, 7.0f, 0, lowestVisibleDensity(false, false), 4};
  };
  const int countA = colouredRects(scene(left), 1280, 720, a, finish, field);
  static PixelRect rectsA[cullRectCapacity];
  std::copy(finish, finish + countA, rectsA);
  const int countB = colouredRects(scene(right), 1280, 720, b, finish, field);
  ASSERT_TRUE(addLitTiles(a, b));
  const int count = litTileRects(a, 1280, 720, 1, blend, nullptr);
  ASSERT_GT(count, 1);
  for (float y = 0.5f; y < 720; y += 4)
    for (float x = 0.5f; x < 1280; x += 4)
      ASSERT_EQ(within(blend, count, x, y),
                within(rectsA, countA, x, y) || within(finish, countB, x, y)) << x << "," << y;

  colouredRects(scene(left), 1024, 768, other, finish, field);  // another window
  EXPECT_FALSE(addLitTiles(a, other));
  EXPECT_FALSE(addLitTiles(a, unknown));
  EXPECT_FALSE(addLitTiles(unknown, b));
  ASSERT_EQ(litTileRects(unknown, 1280, 720, 1, blend, nullptr), 1);
  EXPECT_TRUE(blend[0].x0 == 0 && blend[0].y0 == 0 && blend[0].x1 == 1280 && blend[0].y1 == 720);
}

}  // namespace
