// The ghosting ring's roles and pass count: when the ring turns and where each role goes.
#include "render/ghosting/ring_roles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

class RingRoles : public ::testing::Test {
 protected:
  // The state of a freshly started program.
  void SetUp() override {
    ancientIndex = 0;
    lastIndex = 1;
    curIndex = 2;
    nextIndex = 3;
    ringPassCount = 1;
  }
  static std::array<int, 4> roles() { return {ancientIndex, lastIndex, curIndex, nextIndex}; }
  // Runs the two priming passes of the ring's creation.
  static void prime() {
    takeRingPass();
    takeRingPass();
  }
};

TEST_F(RingRoles, AfterPrimingTheFrameTicksCarryCountsThreeFourFive) {
  prime();
  std::vector<uint32_t> counts;
  for (int frame = 0; frame < 3; ++frame) {
    counts.push_back(ringPassCount);
    takeRingPass();
  }
  EXPECT_EQ(counts, (std::vector<uint32_t>{3, 4, 5}));
  EXPECT_EQ(ringPassCount, 6u);
}

TEST_F(RingRoles, PrimingPassesDoNotTurnAndDrawIntoSlotThree) {
  EXPECT_EQ(takeRingPass(), 3);
  EXPECT_EQ(takeRingPass(), 3);
  EXPECT_EQ(roles(), (std::array<int, 4>{0, 1, 2, 3}));
}

TEST_F(RingRoles, FirstTurnFallsOnTheSixthGhostFrameAndTheNextEightFramesLater) {
  prime();
  std::vector<int> turnFrames;
  for (int frame = 1; frame <= 30; ++frame) {
    const int before = nextIndex;
    const uint32_t count = ringPassCount;
    if (takeRingPass() != before) {
      turnFrames.push_back(frame);
      EXPECT_EQ(count % 8, 0u) << "frame " << frame;
    }
  }
  // Counts 8, 16 and 24 belong to frames 6, 14 and 22.
  EXPECT_EQ(turnFrames, (std::vector<int>{6, 14, 22, 30}));
}

TEST_F(RingRoles, OneTurnMakesAncientOneLastTwoCurThreeNextZero) {
  turnRing();
  EXPECT_EQ(roles(), (std::array<int, 4>{1, 2, 3, 0}));
}

TEST_F(RingRoles, FourTurnsRestoreTheStart) {
  for (int i = 0; i < 4; ++i) turnRing();
  EXPECT_EQ(roles(), (std::array<int, 4>{0, 1, 2, 3}));
}

TEST_F(RingRoles, ATurnOverwritesTheOldestFrameAndKeepsTheFinishedOneAsCur) {
  ringPassCount = 8;
  const int oldest = ancientIndex;
  const int justDrawn = nextIndex;
  EXPECT_EQ(takeRingPass(), oldest);
  EXPECT_EQ(curIndex, justDrawn);
}

TEST_F(RingRoles, RolesStayAPermutationOverManyPasses) {
  for (int pass = 0; pass < 1000; ++pass) {
    takeRingPass();
    std::array<int, 4> sorted = roles();
    std::sort(sorted.begin(), sorted.end());
    ASSERT_EQ(sorted, (std::array<int, 4>{0, 1, 2, 3})) << "after pass " << pass;
  }
}

TEST_F(RingRoles, TheWrapOfTheCountKeepsTurningEveryEighthPass) {
  ringPassCount = 0xFFFFFFF0u;
  std::vector<uint32_t> turnCounts;
  for (int pass = 0; pass < 32; ++pass) {
    const uint32_t count = ringPassCount;
    const int before = nextIndex;
    if (takeRingPass() != before) turnCounts.push_back(count);
  }
  EXPECT_EQ(turnCounts, (std::vector<uint32_t>{0xFFFFFFF0u, 0xFFFFFFF8u, 0u, 8u}));
  EXPECT_EQ(ringPassCount, 16u);
}

}  // namespace
