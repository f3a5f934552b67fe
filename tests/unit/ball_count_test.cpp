// The ball count the dialog stores from its count field's text: always 1 to 20.
#include "host/ball_count.h"

#include <gtest/gtest.h>

TEST(BallCount, WholeNumbersInRangeAreTakenAsTyped) {
  EXPECT_EQ(ballCountFromText("1", 5), 1u);
  EXPECT_EQ(ballCountFromText("12", 5), 12u);
  EXPECT_EQ(ballCountFromText(" 20 ", 5), 20u);
  EXPECT_EQ(ballCountFromText("007", 5), 7u);
}

TEST(BallCount, NumbersOutOfRangeGoToTheNearestBound) {
  EXPECT_EQ(ballCountFromText("0", 5), 1u);
  EXPECT_EQ(ballCountFromText("-3", 5), 1u);
  EXPECT_EQ(ballCountFromText("21", 5), 20u);
  EXPECT_EQ(ballCountFromText("65537", 5), 20u);  // would look like 1 in sixteen bits
  EXPECT_EQ(ballCountFromText("99999999999999999999", 5), 20u);
}

TEST(BallCount, TextThatIsNoNumberKeepsTheControlsLastPosition) {
  EXPECT_EQ(ballCountFromText("", 9), 9u);
  EXPECT_EQ(ballCountFromText("abc", 9), 9u);
  EXPECT_EQ(ballCountFromText("12x", 9), 9u);
  EXPECT_EQ(ballCountFromText("1 2", 9), 9u);
  EXPECT_EQ(ballCountFromText("-", 9), 9u);
  EXPECT_EQ(ballCountFromText("4.5", 9), 9u);
  // Even the control's own position is kept in range.
  EXPECT_EQ(ballCountFromText("x", 0), 1u);
  EXPECT_EQ(ballCountFromText("x", 300), 20u);
}
