// Single-precision arithmetic of the build itself: every float operation must round to
// float at once, as on x86-64, or the 32-bit saver moves its balls differently.
#include <gtest/gtest.h>

namespace {
// volatile keeps the compiler from folding the sums at build time.
volatile float big = 16777216.0f;  // 2^24: the next float up is 2^24 + 2
volatile float one = 1.0f;
volatile float third = 1.0f / 3.0f;
}  // namespace

TEST(SinglePrecision, SumIsRoundedBeforeTheNextOperation) {
  // Held in an 80-bit x87 register, 2^24 + 1 would survive and give 1.
  EXPECT_EQ((big + one) - big, 0.0f);
  EXPECT_EQ((big + one + one) - big, 0.0f);
}

TEST(SinglePrecision, ProductIsRoundedBeforeTheNextOperation) {
  // float(1/3) * 3 rounds to exactly 1; unrounded it is 1 + 2^-25 and the difference shows.
  EXPECT_EQ(third * 3.0f - one, 0.0f);
}
