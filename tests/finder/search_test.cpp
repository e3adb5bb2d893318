#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include "cell_list.hpp"
#include "geometry.hpp"

namespace {

struct cloud {
  std::vector<float> x, y, z;
  void add(float px, float py, float pz) {
    x.push_back(px);
    y.push_back(py);
    z.push_back(pz);
  }
  std::size_t size() const { return x.size(); }
};

std::string temp_path(const std::string& name) {
  return ::testing::TempDir() + "search_" + std::to_string(::getpid()) + "_" + name;
}

std::string write_list(const cloud& points, const std::string& prefix) {
  const std::string path = temp_path(prefix + ".xyz");
  std::ofstream out(path);
  out.precision(9);
  for (std::size_t i = 0; i < points.size(); ++i)
    out << prefix << i << '\t' << points.x[i] << '\t' << points.y[i] << '\t' << points.z[i] << '\n';
  return path;
}

std::string slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs the whole search on two clouds and returns the contact list as written.
std::string sweep(const cloud& A, const cloud& B, float cutoff) {
  const std::string out = temp_path("out.pairtab");
  cell_list grid;
  grid.compute_files(cutoff, write_list(A, "a"), write_list(B, "b"), out);
  return slurp(out);
}

using pair_set = std::set<std::pair<std::size_t, std::size_t>>;

pair_set pairs_in(const std::string& contacts) {
  pair_set pairs;
  std::istringstream lines(contacts);
  std::string a, b, d;
  while (std::getline(lines, a, '\t') && std::getline(lines, b, '\t') && std::getline(lines, d))
    EXPECT_TRUE(pairs.emplace(std::stoul(a.substr(1)), std::stoul(b.substr(1))).second) << "written twice: " << a << ' ' << b;
  return pairs;
}

// Every pair, measured as the search measures it. The written coordinates are read back as floats, and
// printing with 9 digits keeps every float exact.
pair_set brute_force(const cloud& A, const cloud& B, float cutoff) {
  pair_set pairs;
  for (std::size_t a = 0; a < A.size(); ++a)
    for (std::size_t b = 0; b < B.size(); ++b)
      if (dist(A.x[a], A.y[a], A.z[a], B.x[b], B.y[b], B.z[b]) <= cutoff) pairs.emplace(a, b);
  return pairs;
}

TEST(Search, WorkedExample) {
  cloud A, B;
  A.add(4.5f, 0, 0);
  A.add(0.5f, 0, 0);
  B.add(3.9f, 0, 0);
  B.add(4.2f, 0, 0);
  B.add(0, 0, 0);
  EXPECT_EQ(sweep(A, B, 4), "a1\tb0\t3.4\na1\tb2\t0.5\na1\tb1\t3.7\na0\tb0\t0.6\na0\tb1\t0.3\n");
}

TEST(Search, DistanceEqualToTheCutoffCountsAndJustAboveDoesNot) {
  cloud A, B;
  A.add(0, 0, 0);
  B.add(3, 4, 0);
  EXPECT_EQ(sweep(A, B, 5), "a0\tb0\t5\n");
  cloud C, D;
  C.add(0, 0, 0);
  D.add(4.0000005f, 0, 0);
  ASSERT_GT(dist(0, 0, 0, 4.0000005f, 0, 0), 4.0f);
  EXPECT_EQ(sweep(C, D, 4), "");
}

TEST(Search, SameListTwiceGivesEveryPairBothWays) {
  cloud A;
  A.add(0, 0, 0);
  A.add(1, 0, 0);
  A.add(9, 0, 0);
  const pair_set pairs = pairs_in(sweep(A, A, 1.5f));
  EXPECT_EQ(pairs, (pair_set{{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 2}}));
}

TEST(Search, EmptyListGivesAnEmptyContactList) {
  cloud A, none;
  A.add(0, 0, 0);
  EXPECT_EQ(sweep(A, none, 4), "");
  EXPECT_EQ(sweep(none, A, 4), "");
  EXPECT_EQ(sweep(none, none, 4), "");
}

// The pair set is the brute-force one on random clouds, on lattices whose spacing is the cut-off (where
// rounding puts points one cut-off apart two cells apart), and on clusters far apart; swapping the lists
// mirrors it.
TEST(Search, FindsExactlyTheBruteForcePairs) {
  std::mt19937 random(3);
  std::vector<std::tuple<cloud, cloud, float>> cases;
  for (int round = 0; round < 6; ++round) {
    std::uniform_real_distribution<float> coordinate(-20.0f + round * 300.0f, 20.0f + round * 300.0f);
    cloud A, B;
    for (int i = 0; i < 300; ++i) A.add(coordinate(random), coordinate(random), coordinate(random));
    for (int i = 0; i < 300; ++i) B.add(coordinate(random), coordinate(random), coordinate(random));
    cases.emplace_back(A, B, 2.5f + static_cast<float>(round));
  }
  // Rows of 200 points, alternately in A and B, along each axis in turn, and a small block.
  int axis = 0;
  for (const double spacing : {0.1, 4.5, 1.7, 4.0}) {
    for (const double origin : {10.0, 123.4, -77.7, 100.05}) {
      cloud A, B;
      for (int i = 0; i < 200; ++i) {
        const float along = static_cast<float>(origin + i * spacing), across = static_cast<float>(origin);
        (i % 2 ? A : B).add(axis == 0 ? along : across, axis == 1 ? along : across, axis == 2 ? along : across);
      }
      for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j)
          for (int k = 0; k < 4; ++k)
            ((i + j + k) % 2 ? A : B)
                .add(static_cast<float>(origin + i * spacing), static_cast<float>(origin - j * spacing),
                     static_cast<float>(origin + (k + 40) * spacing));
      cases.emplace_back(A, B, static_cast<float>(spacing));
      axis = (axis + 1) % 3;
    }
  }
  cloud far_A, far_B;
  far_A.add(0, 0, 0);
  far_A.add(500, 500, 500);
  far_B.add(1, 0, 0);
  far_B.add(500, 503, 500);
  cases.emplace_back(far_A, far_B, 4.0f);

  for (const auto& [A, B, cutoff] : cases) {
    const pair_set expected = brute_force(A, B, cutoff);
    ASSERT_EQ(pairs_in(sweep(A, B, cutoff)), expected) << "cut-off " << cutoff;
    pair_set mirrored;
    for (const auto& [a, b] : pairs_in(sweep(B, A, cutoff))) mirrored.emplace(b, a);
    ASSERT_EQ(mirrored, expected);
  }
}

}  // namespace
