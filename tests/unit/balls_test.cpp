// The ball simulation: start draws, forces, integration and the edge rules, and a golden run
// that must give the same bits on Linux and under Wine.
#include "scene/balls.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>

#include "scene/frame_clock.h"
#include "scene/random.h"
#include "scene/settings.h"

namespace {

constexpr float dt = 0.01f;

class Balls : public ::testing::Test {
 protected:
  void SetUp() override {
    clientRect = {0, 0, 1024, 768};
    saverSettings = defaultSettings;
    springConstant = springConstantFor(saverSettings.springK);
    dampingFactor = dampingFactorFor(saverSettings.damping);
  }
  // Puts every ball at rest at (x, y) with radius r.
  static void placeAll(float x, float y, float r = 40.0f) {
    for (int i = 0; i < BALL_SLOTS; ++i) {
      ballPos[i] = ballPrevPos[i] = Vec3(x, y, 0.0f);
      ballRadius[i] = r;
    }
  }
  static bool allFinite() {
    for (int i = 0; i < BALL_SLOTS; ++i)
      if (!std::isfinite(ballPos[i].x) || !std::isfinite(ballPos[i].y) ||
          !std::isfinite(ballPrevPos[i].x) || !std::isfinite(ballPrevPos[i].y))
        return false;
    return true;
  }
};

TEST_F(Balls, DampingFactorIsExactAtTheSliderStops) {
  EXPECT_EQ(dampingFactorFor(0), 1.0f);
  EXPECT_EQ(dampingFactorFor(50), 0.9975f);
  EXPECT_EQ(dampingFactorFor(100), 0.99f);
  EXPECT_EQ(springConstantFor(200), 200.0f);
}

TEST_F(Balls, FullySaturatedHuesGiveThePrimariesAndSecondaries) {
  const struct { float hue, r, g, b; } rows[] = {
      {0, 1, 0, 0}, {60, 1, 1, 0}, {120, 0, 1, 0}, {180, 0, 1, 1},
      {240, 0, 0, 1}, {300, 1, 0, 1}, {360, 1, 0, 0}, {30, 1, 0.5f, 0},
  };
  for (const auto& row : rows) {
    const Vec3 c = hslToRgb(row.hue, 1.0f, 0.5f);
    EXPECT_NEAR(c.x, row.r, 1e-6f) << row.hue;
    EXPECT_NEAR(c.y, row.g, 1e-6f) << row.hue;
    EXPECT_NEAR(c.z, row.b, 1e-6f) << row.hue;
  }
  const Vec3 dark = hslToRgb(0.0f, 1.0f, 0.25f);  // below half lightness: q = l (1 + s)
  EXPECT_NEAR(dark.x, 0.5f, 1e-6f);
  EXPECT_EQ(dark.y, 0.0f);
}

TEST_F(Balls, InitBallsDrawsExactlyOneHundredTwentyValues) {
  seedRandom(77);
  for (int i = 0; i < 120; ++i) nextRandom();
  const int next = nextRandom();
  for (uint32_t n : {1u, 12u, 20u}) {
    saverSettings.nBalls = n;
    seedRandom(77);
    initBalls();
    EXPECT_EQ(nextRandom(), next) << "nBalls " << n;
  }
}

TEST_F(Balls, InitBallsDrawsEachSlotsSixValuesInOrder) {
  // Slot 5 of seed 77 on 1024 x 768 with radii 30 to 50: draws 30 to 35 are x, y, both
  // start velocities, radius and hue; any other order gives other figures.
  seedRandom(77);
  initBalls();
  EXPECT_EQ(ballPos[5].x, 129.472702f);
  EXPECT_EQ(ballPos[5].y, 527.055176f);
  EXPECT_EQ(ballVelocity[5].x, 52.3117752f);
  EXPECT_EQ(ballVelocity[5].y, -99.3285904f);
  EXPECT_EQ(ballRadius[5], 33.5810432f);
  const Vec3 colour = hslToRgb(192.936798f, 1.0f, 0.5f);
  EXPECT_EQ(ballColor[5].x, colour.x);
  EXPECT_EQ(ballColor[5].y, colour.y);
  EXPECT_EQ(ballColor[5].z, colour.z);
}

TEST_F(Balls, StartDrawsStayInTheirRangesAndCarryTheStartVelocity) {
  saverSettings.minRadius = 10;
  saverSettings.maxRadius = 200;
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    seedRandom(seed);
    initBalls();
    for (int i = 0; i < BALL_SLOTS; ++i) {
      ASSERT_GE(ballPos[i].x, 0.0f);
      ASSERT_LE(ballPos[i].x, 1024.0f);
      ASSERT_GE(ballPos[i].y, 0.0f);
      ASSERT_LE(ballPos[i].y, 768.0f);
      ASSERT_GE(ballVelocity[i].x, -100.0f);
      ASSERT_LE(ballVelocity[i].y, 100.0f);
      ASSERT_GE(ballRadius[i], 10.0f);
      ASSERT_LE(ballRadius[i], 200.0f);
      ASSERT_EQ(ballPrevPos[i].x, ballPos[i].x - ballVelocity[i].x * 0.01f);
      ASSERT_EQ(ballPos[i].z, 0.0f);
      for (float c : {ballColor[i].x, ballColor[i].y, ballColor[i].z}) {
        ASSERT_GE(c, 0.0f);
        ASSERT_LE(c, 1.0f);
      }
    }
  }
}

TEST_F(Balls, EqualBoundsGiveEqualRadiiAndSwappedOrZeroBoundsStaySane) {
  saverSettings.minRadius = saverSettings.maxRadius = 100;
  seedRandom(5);
  initBalls();
  for (float r : ballRadius) EXPECT_EQ(r, 100.0f);

  // Minimum above maximum (an edited registry): between the two, not four thousand million.
  saverSettings.minRadius = 300;
  saverSettings.maxRadius = 40;
  seedRandom(5);
  initBalls();
  for (float r : ballRadius) {
    EXPECT_GE(r, 40.0f);
    EXPECT_LE(r, 300.0f);
  }

  // A radius of 0 would be a ball without mass.
  saverSettings.minRadius = saverSettings.maxRadius = 0;
  seedRandom(5);
  initBalls();
  for (float r : ballRadius) EXPECT_EQ(r, 1.0f);
}

TEST_F(Balls, BallsAtOneCentreFeelNoSpring) {
  placeAll(500.0f, 400.0f);
  springConstant = 200.0f;
  moveBalls(dt);
  const Vec3 withSprings = ballPos[7];
  placeAll(500.0f, 400.0f);
  springConstant = 0.0f;
  moveBalls(dt);
  EXPECT_EQ(ballPos[7].x, withSprings.x);
  EXPECT_EQ(ballPos[7].y, withSprings.y);
}

TEST_F(Balls, SummedSpringsPullEachBallTowardsTheCentroid) {
  seedRandom(11);
  initBalls();
  Vec3 start[BALL_SLOTS], prev[BALL_SLOTS];
  std::memcpy(start, ballPos, sizeof start);
  std::memcpy(prev, ballPrevPos, sizeof prev);
  double cx = 0, cy = 0;
  for (const Vec3& p : start) cx += p.x / BALL_SLOTS, cy += p.y / BALL_SLOTS;

  // With and without springs, the difference in travel is the spring acceleration x dt^2.
  clientRect = {0, 0, 100000, 100000};  // no wrap or hold gets in the way
  springConstant = 3.0f;
  moveBalls(dt);
  Vec3 sprung[BALL_SLOTS];
  std::memcpy(sprung, ballPos, sizeof sprung);
  std::memcpy(ballPos, start, sizeof start);
  std::memcpy(ballPrevPos, prev, sizeof prev);
  springConstant = 0.0f;
  moveBalls(dt);
  for (int i = 0; i < BALL_SLOTS; ++i) {
    const double expectedX = -20.0 * 3.0 * (start[i].x - cx) / ballRadius[i] * dt * dt;
    const double expectedY = -20.0 * 3.0 * (start[i].y - cy) / ballRadius[i] * dt * dt;
    EXPECT_NEAR(sprung[i].x - ballPos[i].x, expectedX, 1e-3) << i;
    EXPECT_NEAR(sprung[i].y - ballPos[i].y, expectedY, 1e-3) << i;
  }
}

TEST_F(Balls, ZStaysExactlyZero) {
  seedRandom(3);
  initBalls();
  for (int step = 0; step < 2000; ++step) moveBalls(dt);
  for (int i = 0; i < BALL_SLOTS; ++i) {
    EXPECT_EQ(ballPos[i].z, 0.0f);
    EXPECT_EQ(ballPrevPos[i].z, 0.0f);
  }
}

TEST_F(Balls, RightAndLeftEdgesWrapWithNoHorizontalVelocity) {
  springConstant = 0.0f;
  placeAll(500.0f, 400.0f);
  ballPos[0] = Vec3(1022.0f, 400.0f, 0.0f);
  ballPrevPos[0] = Vec3(1010.0f, 400.0f, 0.0f);  // moving right 12 px a step
  ballPos[1] = Vec3(2.0f, 400.0f, 0.0f);
  ballPrevPos[1] = Vec3(14.0f, 400.0f, 0.0f);    // moving left 12 px a step
  moveBalls(dt);
  EXPECT_GT(ballPos[0].x, 0.0f);
  EXPECT_LT(ballPos[0].x, 20.0f);
  EXPECT_EQ(ballPrevPos[0].x, ballPos[0].x);
  EXPECT_GT(ballPos[1].x, 1000.0f);
  EXPECT_LT(ballPos[1].x, 1024.0f);
  EXPECT_EQ(ballPrevPos[1].x, ballPos[1].x);
}

TEST_F(Balls, BottomWrapsAndTopHoldsWithNoVerticalVelocity) {
  springConstant = 0.0f;
  placeAll(500.0f, 400.0f);
  ballPos[0] = Vec3(500.0f, 3.0f, 0.0f);
  ballPrevPos[0] = Vec3(500.0f, 30.0f, 0.0f);    // falling 27 px a step
  ballPos[1] = Vec3(500.0f, 760.0f, 0.0f);
  ballPrevPos[1] = Vec3(500.0f, 700.0f, 0.0f);   // rising 60 px a step
  moveBalls(dt);
  EXPECT_GT(ballPos[0].y, 700.0f);
  EXPECT_EQ(ballPrevPos[0].y, ballPos[0].y);
  EXPECT_EQ(ballPos[1].y, 760.0f);  // back where it started the step
  EXPECT_EQ(ballPrevPos[1].y, 760.0f);
}

TEST_F(Balls, WithoutSpringsABallComesToRestWhereEdgesAndGravityBalance) {
  springConstant = 0.0f;
  dampingFactor = dampingFactorFor(100);
  placeAll(300.0f, 500.0f, 30.0f);
  for (int step = 0; step < 20000; ++step) moveBalls(dt);
  // 10000 / y - 10000 / (768 - y) = 39.24 near y = 178. Horizontally the pushes balance
  // midway, but near the middle they are so weak that a step's travel falls below half a
  // float's spacing at x = 512 and the ball stops a few pixels short.
  EXPECT_NEAR(ballPos[0].y, 178.0f, 1.0f);
  EXPECT_NEAR(ballPos[0].x, 512.0f, 5.0f);
}

TEST_F(Balls, BallsExactlyOnAnEdgeStayFinite) {
  const Vec3 onEdges[] = {{0, 300, 0}, {1024, 300, 0}, {500, 0, 0}, {500, 768, 0},
                          {0, 0, 0},   {1024, 768, 0}, {1023.99f, 767.99f, 0}};
  for (const Vec3& p : onEdges) {
    placeAll(500.0f, 400.0f);
    ballPos[3] = ballPrevPos[3] = p;
    for (int step = 0; step < 200; ++step) {
      moveBalls(dt);
      ASSERT_TRUE(allFinite()) << "ball at " << p.x << ", " << p.y << " step " << step;
    }
  }
}

TEST_F(Balls, NoPositionEverBecomesNaNOrInfinite) {
  // Extreme settings of the dialog's ranges, tiny and odd windows, many seeds.
  const ClientRect windows[] = {{0, 0, 1024, 768}, {0, 0, 152, 112}, {0, 0, 3, 2}, {0, 0, 1, 1}};
  for (const ClientRect& window : windows) {
    clientRect = window;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
      saverSettings.minRadius = seed % 2 ? 10 : 200;
      saverSettings.maxRadius = 200;
      springConstant = seed % 3 ? 200.0f : 0.0f;
      dampingFactor = dampingFactorFor(seed % 2 ? 0 : 100);
      seedRandom(seed);
      initBalls();
      for (int step = 0; step < 300; ++step) {
        moveBalls(dt);
        ASSERT_TRUE(allFinite()) << window.right << "x" << window.bottom << " seed " << seed;
      }
    }
  }
}

TEST_F(Balls, StiffSpringsOnLightBallsFromEditedSettingsStayInsideTheWindow) {
  // Only an edited registry gets here: springs of 2000 or the largest stored number on balls
  // of one pixel overshoot the centroid further every step and, unchecked, reach infinity.
  clientRect = {0, 0, 1024, 768};
  for (const uint32_t springK : {2000u, 40000u, 4294967295u}) {
    saverSettings.minRadius = saverSettings.maxRadius = 1;
    springConstant = springConstantFor(springK);
    dampingFactor = dampingFactorFor(0);
    seedRandom(7);
    initBalls();
    for (int step = 0; step < 1000; ++step) {
      moveBalls(dt);
      ASSERT_TRUE(allFinite()) << "springK " << springK << " step " << step;
      for (int i = 0; i < BALL_SLOTS; ++i) {
        ASSERT_GE(ballPos[i].x, 0.0f);
        ASSERT_LE(ballPos[i].x, 1024.0f);
        ASSERT_GE(ballPos[i].y, 0.0f);
        ASSERT_LE(ballPos[i].y, 768.0f);
      }
    }
  }
}

// The formulas written out again, scalar by scalar, as the reference of the golden run.
struct Reference {
  float x[20], y[20], px[20], py[20], r[20];

  void step(float k, float damping, float w, float h) {
    float fx[20] = {}, fy[20] = {};
    for (int i = 0; i < 20; ++i) {
      for (int j = i + 1; j < 20; ++j) {
        const float dx = x[i] - x[j], dy = y[i] - y[j];
        fx[i] += -dx * k;
        fy[i] += -dy * k;
        fx[j] += dx * k;
        fy[j] += dy * k;
      }
      const float m = r[i];
      fx[i] += 0.0f * m * 4.0f;
      fy[i] += -9.81f * m * 4.0f;
      auto push = [m](float d) { return std::fabs(10000.0f / std::fmax(std::fabs(d), 0.5f) * m); };
      fx[i] += push(x[i]);
      fy[i] += push(y[i]);
      fx[i] += -push(w - x[i]);
      fy[i] += -push(h - y[i]);
      const float inv = 1.0f / m;
      const float ax = fx[i] * inv, ay = fy[i] * inv;
      const float vx = x[i] - px[i], vy = y[i] - py[i];
      px[i] = x[i];
      py[i] = y[i];
      float nx = x[i] + (vx * damping + ax * dt * dt);
      float ny = y[i] + (vy * damping + ay * dt * dt);
      if (nx > w - 1) px[i] = nx = nx - w;
      if (nx < 0) px[i] = nx = nx + w;
      if (ny > h - 1) ny = py[i];
      if (ny < 0) py[i] = ny = ny + h;
      x[i] = nx;
      y[i] = ny;
    }
  }
};

TEST_F(Balls, GoldenRunMatchesTheFormulasBitForBit) {
  saverSettings.springK = 35;
  saverSettings.damping = 40;
  springConstant = springConstantFor(35);
  dampingFactor = dampingFactorFor(40);
  seedRandom(20261207);
  initBalls();
  Reference ref;
  for (int i = 0; i < 20; ++i) {
    ref.x[i] = ballPos[i].x;
    ref.y[i] = ballPos[i].y;
    ref.px[i] = ballPrevPos[i].x;
    ref.py[i] = ballPrevPos[i].y;
    ref.r[i] = ballRadius[i];
  }
  for (int step = 1; step <= 1000; ++step) {
    moveBalls(dt);
    ref.step(springConstant, dampingFactor, 1024.0f, 768.0f);
    for (int i = 0; i < 20; ++i) {
      ASSERT_EQ(ballPos[i].x, ref.x[i]) << "step " << step << " ball " << i;
      ASSERT_EQ(ballPos[i].y, ref.y[i]) << "step " << step << " ball " << i;
      ASSERT_EQ(ballPrevPos[i].x, ref.px[i]) << "step " << step << " ball " << i;
    }
  }
  // The same seed's first ball after 1000 steps: Linux, 32-bit x86 and Windows alike.
  EXPECT_EQ(ballPos[0].x, 0x1.374d56p+9f);  // 622.604
  EXPECT_EQ(ballPos[0].y, 0x1.5d34f6p+7f);  // 174.603
}

}  // namespace
