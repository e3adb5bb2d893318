#include "geometry.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const float nan_value = std::numeric_limits<float>::quiet_NaN();

TEST(Geometry, Extremes) {
  const float values[] = {3, 7, 7, -1};
  EXPECT_EQ(array_max(4, values), 7);
  EXPECT_EQ(array_min(4, values), -1);
  EXPECT_EQ(array_max(1, values), 3);
  EXPECT_EQ(array_min(0, values), 3);
  const float with_nan[] = {1, nan_value, 5};
  EXPECT_EQ(array_max(3, with_nan), 5);
  const float nan_first[] = {nan_value, 2};
  EXPECT_TRUE(std::isnan(array_min(2, nan_first)));
}

TEST(Geometry, BetweenIsClosed) {
  EXPECT_TRUE(between(1, 1, 4));
  EXPECT_TRUE(between(4, 1, 4));
  EXPECT_FALSE(between(0.5f, 1, 4));
  EXPECT_FALSE(between(2, 4, 1));
  EXPECT_FALSE(between(nan_value, 1, 4));
}

}  // namespace
