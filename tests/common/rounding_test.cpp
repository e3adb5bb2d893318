#include "rounding.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace {

TEST(Rounding, LineAndThreeRoundings) {
  EXPECT_EQ(line(0, 0, 10, 20, 5), 10.0f);
  EXPECT_EQ(line(1, 2, 3, 6, 2), 4.0f);
  EXPECT_TRUE(std::isinf(line(1, 2, 1, 6, 2)));
  const struct {
    double value;
    int decimals;
    double round_double_result, dec_round_result;
  } cases[] = {
      {0.125, 2, 0.12, 0.13}, {1.375, 2, 1.37, 1.38},  {0.996, 2, 1, 1},     {-1.237, 2, -1.23, -1.23},
      {2.7, 0, 2, 2.7},       {-2.7, 0, -2, -2.7},     {1.375, 1, 1.4, 1.4}, {1.375, 3, 1.375, 1.375},
      {-1.26, 1, -1.2, -1.2}, {1.375, -4, 1, 1.4},     {1.25, 1, 1.2, 1.3},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(round_double(c.value, c.decimals), c.round_double_result) << c.value << " to " << c.decimals;
    EXPECT_DOUBLE_EQ(dec_round(c.value, c.decimals), c.dec_round_result) << c.value << " to " << c.decimals;
  }
  const std::pair<double, int> nearest[] = {{2.5, 3}, {2.4999, 2}, {0.5, 1}, {-2.5, -2}, {-2.7, -2}, {3, 3}};
  for (const auto& [value, expected] : nearest) EXPECT_EQ(near_round(value), expected) << value;
}

// Beyond the int range every function saturates instead of converting out of range (checked in the
// sanitizer build).
TEST(Rounding, SaturatesBeyondTheIntRange) {
  EXPECT_EQ(truncate_to_int(1e30), INT_MAX);
  EXPECT_EQ(truncate_to_int(-1e30), INT_MIN);
  EXPECT_EQ(truncate_to_int(2147483647.9), INT_MAX);
  EXPECT_EQ(truncate_to_int(-2147483648.9), INT_MIN);
  EXPECT_EQ(truncate_to_int(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(near_round(1e30), INT_MAX);
  EXPECT_EQ(near_round(-1e30), INT_MIN);
  EXPECT_EQ(round_double(1e30, 0), INT_MAX);
  EXPECT_EQ(round_double(-1e30, 3), INT_MIN + static_cast<double>(INT_MIN) / 1000);
  // More than 9 decimals: the power of ten stops at INT_MAX.
  EXPECT_DOUBLE_EQ(round_double(1.5, 12), 1 + 1073741823.0 / INT_MAX);
  EXPECT_DOUBLE_EQ(round_double(0.25, INT_MAX), 536870912.0 / INT_MAX);
  EXPECT_DOUBLE_EQ(dec_round(1e30, 2), INT_MAX / 100.0);
  EXPECT_EQ(dec_round(5, INT_MAX), 0.0);
  EXPECT_DOUBLE_EQ(dec_round(5, INT_MIN), 5.0);
}

}  // namespace
