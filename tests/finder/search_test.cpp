#include <gtest/gtest.h>

#include <random>
#include <set>
#include <tuple>

#include "geometry.hpp"
#include "grid_points.hpp"

namespace {

using pair_set = std::set<std::pair<std::int32_t, std::int32_t>>;

// The pairs the search reports, each once.
pair_set searched(float cutoff, const points& A, const points& B) {
  cell_list grid = holding(cutoff, A, B);
  grid.build_box();
  grid.assign_points();
  pair_set pairs;
  grid.for_each_contact([&](std::int32_t a, std::int32_t b, float d) {
    EXPECT_EQ(d, dist(A[a][0], A[a][1], A[a][2], B[b][0], B[b][1], B[b][2]));
    EXPECT_TRUE(pairs.emplace(a, b).second) << "reported twice: " << a << ' ' << b;
  });
  return pairs;
}

// Every pair, measured as the search measures it.
pair_set brute_force(float cutoff, const points& A, const points& B) {
  pair_set pairs;
  for (std::int32_t a = 0; a < static_cast<std::int32_t>(A.size()); ++a)
    for (std::int32_t b = 0; b < static_cast<std::int32_t>(B.size()); ++b)
      if (dist(A[a][0], A[a][1], A[a][2], B[b][0], B[b][1], B[b][2]) <= cutoff) pairs.emplace(a, b);
  return pairs;
}

TEST(Search, DistanceEqualToTheCutoffCountsAndJustAboveDoesNot) {
  EXPECT_EQ(searched(5, {{0, 0, 0}}, {{3, 4, 0}}), (pair_set{{0, 0}}));
  // A float distance just above 4, which would be written as "4".
  ASSERT_GT(dist(0, 0, 0, 4.0000005f, 0, 0), 4.0f);
  EXPECT_EQ(searched(4, {{0, 0, 0}}, {{4.0000005f, 0, 0}}), pair_set{});
}

// The pair set is the brute-force one on random clouds, on clusters far apart, and on rows whose spacing is
// the cut-off, where rounding puts points one cut-off apart two cells apart; swapping the lists mirrors it.
TEST(Search, FindsExactlyTheBruteForcePairs) {
  std::mt19937 random(3);
  std::vector<std::tuple<points, points, float>> cases;
  for (int round = 0; round < 6; ++round) {
    std::uniform_real_distribution<float> coordinate(-20.0f + round * 300.0f, 20.0f + round * 300.0f);
    points A(300), B(300);
    for (auto* list : {&A, &B})
      for (auto& p : *list) p = {coordinate(random), coordinate(random), coordinate(random)};
    cases.emplace_back(A, B, 2.5f + static_cast<float>(round));
  }
  cases.emplace_back(points{{0, 0, 0}, {500, 500, 500}}, points{{1, 0, 0}, {500, 503, 500}}, 4.0f);
  // Two clusters 2,000 cut-offs apart on every axis: a box of 8 x 10^9 cells, kept by its occupied cells.
  points near_A, near_B;
  std::uniform_real_distribution<float> offset(0.0f, 2.0f);
  for (int i = 0; i < 20; ++i)
    (i % 2 ? near_A : near_B).push_back({(i < 10 ? 0.0f : 2000.0f) + offset(random), (i < 10 ? 0.0f : 2000.0f) + offset(random),
                                         (i < 10 ? 0.0f : 2000.0f) + offset(random)});
  cases.emplace_back(near_A, near_B, 1.0f);
  // Squares below the normal floats round coarsely: at spacing 1.02e-22 the float distance is within 1e-22.
  points tiny_A, tiny_B;
  for (int i = 0; i < 200; ++i) (i % 2 ? tiny_A : tiny_B).push_back({static_cast<float>(i * 1.02e-22), 0, 0});
  cases.emplace_back(tiny_A, tiny_B, 1e-22f);
  int axis = 0;
  for (const double spacing : {0.1, 4.5, 1.7, 4.0}) {
    for (const double origin : {10.0, 123.4, -77.7, 100.05}) {
      points A, B;
      for (int i = 0; i < 200; ++i) {
        std::array<float, 3> p;
        p.fill(static_cast<float>(origin));
        p[axis] = static_cast<float>(origin + i * spacing);
        (i % 2 ? A : B).push_back(p);
      }
      for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j)
          for (int k = 0; k < 4; ++k)
            ((i + j + k) % 2 ? A : B)
                .push_back({static_cast<float>(origin + i * spacing), static_cast<float>(origin - j * spacing),
                            static_cast<float>(origin + (k + 40) * spacing)});
      cases.emplace_back(A, B, static_cast<float>(spacing));
      axis = (axis + 1) % 3;
    }
  }
  for (const auto& [A, B, cutoff] : cases) {
    const pair_set expected = brute_force(cutoff, A, B);
    ASSERT_EQ(searched(cutoff, A, B), expected) << "cut-off " << cutoff;
    pair_set mirrored;
    for (const auto& [b, a] : searched(cutoff, B, A)) mirrored.emplace(a, b);
    ASSERT_EQ(mirrored, expected);
  }
}

}  // namespace
