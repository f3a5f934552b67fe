// Frame clock arithmetic: ticks to simulated time, and simulated time to fixed steps.
#include "scene/frame_clock.h"

#include <gtest/gtest.h>

namespace {

int stepsTaken = 0;
float lastStep = 0.0f;
void countStep(float dt) {
  ++stepsTaken;
  lastStep = dt;
}

class FrameClock : public ::testing::Test {
 protected:
  void SetUp() override {
    lastTickTime = 0;
    stepRemainder = 0.0f;
    stepsTaken = 0;
  }
  // One tick at time now, as the frame tick runs it; false when it only recorded.
  bool tick(uint32_t now) {
    float elapsed;
    if (!takeTickReading(now, elapsed)) return false;
    stepRemainder = runFixedSteps(stepRemainder, elapsed, countStep);
    return true;
  }
};

TEST_F(FrameClock, FirstTickOnlyRecordsTheTime) {
  EXPECT_FALSE(tick(12345));
  EXPECT_EQ(lastTickTime, 12345u);
  EXPECT_EQ(stepsTaken, 0);
  EXPECT_EQ(stepRemainder, 0.0f);
}

TEST_F(FrameClock, TenMillisecondsAddHalfAStepAndTwoTicksMakeOne) {
  tick(1000);
  tick(1010);
  EXPECT_EQ(stepRemainder, 0.005000000353902578f);
  EXPECT_EQ(stepsTaken, 0);
  tick(1020);
  EXPECT_EQ(stepsTaken, 1);
  EXPECT_EQ(lastStep, 0.009999999776482582f);
}

TEST_F(FrameClock, AHundredTicksOfTenMillisecondsMakeFiftySteps) {
  tick(5000);
  for (uint32_t i = 1; i <= 100; ++i) tick(5000 + 10 * i);
  EXPECT_EQ(stepsTaken, 50);
}

TEST_F(FrameClock, OneSecondMakesFiftySteps) {
  tick(1);
  tick(1001);
  EXPECT_EQ(stepsTaken, 50);
}

TEST_F(FrameClock, TenSecondsMakeFourHundredNinetyNineStepsAndCarryTheRest) {
  tick(1);
  tick(10001);
  EXPECT_EQ(stepsTaken, 499);
  EXPECT_NEAR(stepRemainder, 0.00998f, 0.000005f);
  EXPECT_LE(stepRemainder, simulationStep);
}

TEST_F(FrameClock, ExactlyOneStepIsCarriedNotStepped) {
  EXPECT_EQ(runFixedSteps(0.0f, simulationStep, countStep), simulationStep);
  EXPECT_EQ(stepsTaken, 0);
  EXPECT_EQ(runFixedSteps(simulationStep, simulationStep, countStep), simulationStep);
  EXPECT_EQ(stepsTaken, 1);
}

TEST_F(FrameClock, ClockWrapGivesTheTrueSmallInterval) {
  tick(0xFFFFFFFAu);  // six milliseconds before the wrap
  tick(0x0000000Au);  // ten after it
  EXPECT_EQ(stepRemainder, static_cast<float>(16) * timeScale);
  EXPECT_EQ(stepsTaken, 0);
  EXPECT_EQ(lastTickTime, 10u);
}

// The Linux timer's schedule: a late tick keeps the phase (the next is due at 20, not 23, so
// 100 ticks a second stay 100), and periods a slow frame overran are skipped, not made up.
TEST(TickSchedule, ALateTickKeepsThePhaseAndSkipsWhatItOverran) {
  EXPECT_EQ(nextTickDue(0, 4, 10), 10);
  EXPECT_EQ(nextTickDue(10, 13, 10), 20);
  EXPECT_EQ(nextTickDue(20, 57, 10), 50);
  EXPECT_EQ(nextTickDue(20, 60, 10), 60);
}

}  // namespace
