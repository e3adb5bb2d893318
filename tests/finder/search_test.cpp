#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "grid_points.hpp"

namespace {

pair_set searched(float cutoff, const points& A, const points& B) {
  cell_list grid = holding(cutoff, A, B);
  grid.build_box();
  grid.assign_points();
  return searched(grid, A, B, [](bool ok, std::int32_t a, std::int32_t b) { EXPECT_TRUE(ok) << a << ' ' << b; });
}

TEST(Search, DistancesArePinnedToTheLastBitAndTheCutoffIsInclusive) {
  const struct {
    std::array<float, 3> a, b;
    std::uint32_t bits;
  } cases[] = {
      {{-7.548f, 32.685f, -37.62f}, {-9.209f, 33.45f, -34.934f}, 0x404ff688},
      {{7.71f, -10.332f, 47.626f}, {4.989f, -8.181f, 46.364f}, 0x406c38ec},
      {{-34.802f, -1.104f, -46.079f}, {-33.793f, 0.483f, -45.641f}, 0x3ff728b9},
      {{14.713f, 49.31f, 32.192f}, {13.421f, 48.625f, 33.204f}, 0x3fe3a1ea},
      {{4.944f, 38.338f, 31.928f}, {7.128f, 37.009f, 31.42f}, 0x4026d1ea},
      {{-17.034f, -27.696f, 31.151f}, {-14.124f, -25.58f, 32.987f}, 0x40814276},
      {{0.1f, 0.2f, 16777}, {0, 0, 0}, 0x46831200},
      {{0, 0, 0}, {3, 4, 0}, 0x40a00000},
  };
  for (const auto& c : cases) {
    float expected;
    std::memcpy(&expected, &c.bits, sizeof expected);
    EXPECT_EQ(dist(c.a[0], c.a[1], c.a[2], c.b[0], c.b[1], c.b[2]), expected) << c.bits;
    EXPECT_EQ(searched(expected, {c.a}, {c.b}), (pair_set{{0, 0}})) << c.bits;
    EXPECT_EQ(searched(std::nextafter(expected, 0.0f), {c.a}, {c.b}), pair_set{}) << c.bits;
  }
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
  // Lists of different lengths whose extremes on every axis come last in the longer one, each with a contact:
  // the box must span both lists whole.
  points few{{10, 10, 10}, {31, 31, 31}, {0.5f, 0.5f, 0.5f}}, rising, falling;
  for (int i = 0; i < 64; ++i) {
    rising.push_back({i * 0.5f, i * 0.5f, i * 0.5f});
    falling.push_back({31.5f - i * 0.5f, 31.5f - i * 0.5f, 31.5f - i * 0.5f});
  }
  rising.insert(rising.end(), {{32, 31, 31}, {31, 32, 31}, {31, 31, 32}});  // one cut-off past (31, 31, 31)
  cases.emplace_back(few, rising, 1.0f);
  cases.emplace_back(few, falling, 1.0f);
  // One A point whose partners along y and x both lie two cells away (the quotient rounds across a face): far
  // partners come by B index, whatever the order of their cells.
  const float m = 14.156305313110352f, w = 48.656307220458984f, v = 48.95630645751953f;
  points far_B{{w, v, 0}, {v, w, 0}};
  for (int i = 0; i < 20; ++i) far_B.push_back({m, m + 1 + i * 0.1f, 0});  // enough points to look by cell
  cases.emplace_back(points{{m, m, 0}, {w, w, 0}}, far_B, 0.3f);
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
  // Two clouds that overlap in a slab, and two rows whose nearest points are exactly one cut-off apart: only
  // the points near the other list's box go into the grid, and none of the pairs may be lost.
  {
    std::uniform_real_distribution<float> x_A(0.0f, 40.0f), x_B(37.0f, 77.0f), across(0.0f, 15.0f);
    points cloud_A(400), cloud_B(400);
    for (auto& p : cloud_A) p = {x_A(random), across(random), across(random)};
    for (auto& p : cloud_B) p = {x_B(random), across(random), across(random)};
    cases.emplace_back(cloud_A, cloud_B, 3.0f);
    points row_A, row_B;
    for (int i = 0; i <= 10; ++i) row_A.push_back({static_cast<float>(i), 0, 0}), row_B.push_back({static_cast<float>(14 + i), 0, 0});
    cases.emplace_back(row_A, row_B, 4.0f);
  }
  // Ten million cells apart, yet a contact: the square of 1e-23 is 0 in float.
  cases.emplace_back(points{{0, 0, 0}}, points{{1e-23f, 0, 0}}, 1e-30f);
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

    // One list against itself: the self search gives, in order and oriented alike, the first appearance of every
    // unordered pair of distinct points in the full search's stream.
    points both = A;
    both.insert(both.end(), B.begin(), B.end());
    cell_list grid = holding(cutoff, both, both);
    grid.build_box();
    grid.assign_points();
    std::vector<std::tuple<std::int32_t, std::int32_t, float>> first_seen, self;
    pair_set seen;
    grid.for_each_contact([&](std::int32_t a, std::int32_t b, float d) {
      if (a != b && seen.emplace(std::min(a, b), std::max(a, b)).second) first_seen.emplace_back(a, b, d);
    });
    grid.for_each_self_contact([&](std::int32_t a, std::int32_t b, float d) { self.emplace_back(a, b, d); });
    ASSERT_EQ(self, first_seen) << "cut-off " << cutoff;
    // A grid that holds the one list once gives both streams unchanged.
    const cell_list once = cell_list::for_self_points(cutoff, as_point_set(both));
    std::vector<std::tuple<std::int32_t, std::int32_t, float>> all_once, all_twice, self_once;
    grid.for_each_contact([&](std::int32_t a, std::int32_t b, float d) { all_twice.emplace_back(a, b, d); });
    once.for_each_contact([&](std::int32_t a, std::int32_t b, float d) { all_once.emplace_back(a, b, d); });
    once.for_each_self_contact([&](std::int32_t a, std::int32_t b, float d) { self_once.emplace_back(a, b, d); });
    ASSERT_EQ(all_once, all_twice) << "cut-off " << cutoff;
    ASSERT_EQ(self_once, self) << "cut-off " << cutoff;
  }
}

}  // namespace
