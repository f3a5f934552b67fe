// The metaball picture as the real pipeline draws it under Mesa, pixel by pixel against a CPU
// evaluation of the same density and colour formulas, for every distance function and every
// feather and contour combination.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "render/quad/fullscreen_quad.h"
#include "render/context/gl_context.h"
#include "render/context/gl_context_wgl.h"
#include "render/scene_setup.h"
#include "render/shaders/shader_program.h"
#include "scene/balls.h"
#include "scene/frame_clock.h"
#include "scene/random.h"
#include "scene/settings.h"
#include "test_window.h"

namespace {

constexpr int width = 160;
constexpr int height = 120;
constexpr int visibleBalls = 4;

struct Rgb {
  double r, g, b;
};

// Which branch of the colour choice a pixel took, and how near it was to another one.
struct Expected {
  Rgb colour;
  int branch;      // 0 inside, 1 feather band, 2 contour line, 3 black
  double margin;   // distance of the deciding quantities from their thresholds
};

// The composed shader's formulas, evaluated in double precision for the pixel centre.
Expected evaluate(int x, int y, const SaverSettings& s, float blobHeight, const float* falloff) {
  const double fx = x + 0.5, fy = y + 0.5, fz = 0.5;  // the quad lies at window depth 0.5
  double total = 0, r = 0, g = 0, b = 0;
  for (int i = 0; i < visibleBalls; ++i) {
    const double dx = ballPos[i].x - fx, dy = ballPos[i].y - fy, dz = ballPos[i].z - fz;
    const double squared = dx * dx + dy * dy + dz * dz;
    double density = 0;
    if (s.func_type == 0) density = blobHeight * std::exp(-falloff[i] * squared);
    if (s.func_type == 1) density = blobHeight * std::exp(-100.0 * falloff[i] * std::sqrt(squared));
    if (s.func_type == 2) density = blobHeight * std::cos(0.05 * falloff[i] * squared);
    total += density;
    r += density * ballColor[i].x;
    g += density * ballColor[i].y;
    b += density * ballColor[i].z;
  }
  total += std::exp(-0.002 * fy * fy);
  const double diff = total - 0.5;
  const double tt = std::fabs(0.5 * 0.5 - total);
  const double norm = std::sqrt(r * r + g * g + b * b + 1.0);  // normalize() includes alpha 1
  const Rgb unit{r / norm, g / norm, b / norm};
  auto scaled = [&](double f) { return Rgb{unit.r * f, unit.g * f, unit.b * f}; };
  double margin = std::fabs(diff);
  if (diff > 0) return {scaled(1.1), 0, margin};
  if (s.feather) {
    margin = std::min(margin, std::fabs(diff + 0.05));
    if (diff > -0.05) return {scaled(1.0 + diff * 20.0), 1, margin};
  }
  if (s.contour) {
    margin = std::min(margin, std::fabs(tt - 0.05));
    if (tt < 0.05) return {scaled(s.feather ? 1.0 - tt * 20.0 : 1.0), 2, margin};
  }
  return {{0, 0, 0}, 3, margin};
}

int toByte(double c) { return static_cast<int>(std::lround(std::clamp(c, 0.0, 1.0) * 255.0)); }

class Picture : public ::testing::TestWithParam<int> {
 protected:
  static void SetUpTestSuite() {
    clientRect = {0, 0, width, height};
    window = createTestWindow(width, height);
    initGLContext(window);
  }
  static void TearDownTestSuite() { DestroyWindow(window); }

  static HWND window;
};
HWND Picture::window = nullptr;

// Parameter: func_type x 4 + feather x 2 + contour.
TEST_P(Picture, PipelineMatchesTheFormulasPixelByPixel) {
  const int funcType = GetParam() / 4;
  saverSettings = defaultSettings;
  saverSettings.nBalls = visibleBalls;
  saverSettings.func_type = funcType;
  saverSettings.feather = (GetParam() & 2) != 0;
  saverSettings.contour = (GetParam() & 1) != 0;
  seedRandom(1);
  initScene();

  // Balls placed by the test: two merging, one apart, one over the floor glow.
  const Vec3 centres[visibleBalls] = {{50, 70, 0}, {78, 64, 0}, {125, 85, 0}, {110, 22, 0}};
  const float radii[visibleBalls] = {22, 18, 15, 12};
  const Vec3 colours[visibleBalls] = {{1, 0, 0}, {0, 0.5f, 1}, {0.2f, 1, 0.2f}, {1, 1, 0}};
  for (int i = 0; i < BALL_SLOTS; ++i) {
    ballPos[i] = i < visibleBalls ? centres[i] : Vec3(-1000, -1000, 0);
    ballRadius[i] = i < visibleBalls ? radii[i] : 30.0f;
    ballColor[i] = i < visibleBalls ? colours[i] : Vec3(1, 1, 1);
  }
  metaballShader->enable(true);
  setMetaballUniform3fv("ball", BALL_SLOTS, &ballPos[0].x);
  setMetaballUniform3fv("color", BALL_SLOTS, &ballColor[0].x);
  uploadBlobUniforms();

  glClear(GL_COLOR_BUFFER_BIT);
  drawFullScreenQuad();
  glFinish();
  std::vector<unsigned char> pixels(width * height * 3);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());

  float blobHeight = 0, falloff[visibleBalls] = {};
  glGetUniformfv(metaballShader->program,
                 glGetUniformLocation(metaballShader->program, "blobHeight"), &blobHeight);
  for (int i = 0; i < visibleBalls; ++i) {
    const std::string name = "falloff[" + std::to_string(i) + "]";
    glGetUniformfv(metaballShader->program,
                   glGetUniformLocation(metaballShader->program, name.c_str()), &falloff[i]);
  }

  int branches[4] = {}, compared = 0, wrong = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Expected e = evaluate(x, y, saverSettings, blobHeight, falloff);
      if (e.margin < 2e-3) continue;  // single and double precision may choose differently
      ++branches[e.branch];
      ++compared;
      const unsigned char* p = &pixels[(y * width + x) * 3];
      const int dr = std::abs(p[0] - toByte(e.colour.r)), dg = std::abs(p[1] - toByte(e.colour.g));
      const int db = std::abs(p[2] - toByte(e.colour.b));
      if (std::max({dr, dg, db}) > 2 && ++wrong <= 5)
        ADD_FAILURE() << "pixel " << x << "," << y << " branch " << e.branch << ": got "
                      << int(p[0]) << " " << int(p[1]) << " " << int(p[2]) << ", expected "
                      << toByte(e.colour.r) << " " << toByte(e.colour.g) << " "
                      << toByte(e.colour.b);
    }
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(compared, width * height * 9 / 10);
  // The picture is not trivial: blobs and background, and the band and line when asked for.
  EXPECT_GT(branches[0], 100);
  EXPECT_GT(branches[3], 100);
  if (saverSettings.feather) {
    EXPECT_GT(branches[1], 20);
  }
  if (saverSettings.contour) {
    EXPECT_GT(branches[2], 20);
  }
  releaseScene();
}

INSTANTIATE_TEST_SUITE_P(EveryDistanceFunctionFeatherAndContour, Picture, ::testing::Range(0, 12));

}  // namespace
