#include <gtest/gtest.h>

#include <array>
#include <limits>

#include "cell_list.hpp"
#include "error.hpp"
#include "grid_points.hpp"

namespace {

// A grid of nx x ny x nz cells: two points at its corners, one cut-off per cell.
cell_list grid_of(std::uint32_t nx, std::uint32_t ny, std::uint32_t nz) {
  const points corners = {{0, 0, 0}, {static_cast<float>(nx - 1), static_cast<float>(ny - 1), static_cast<float>(nz - 1)}};
  cell_list grid = cell_list::for_points(1, as_point_set(corners), as_point_set(corners));
  EXPECT_EQ(grid.cells_per_axis(), (std::array<std::uint32_t, 3>{nx, ny, nz}));
  return grid;
}

std::vector<std::uint32_t> neighbour_list(const cell_list& grid, std::uint32_t c) {
  std::uint32_t list[27];
  return std::vector<std::uint32_t>(list, list + grid.build_neighbour_valid(c, list));
}

TEST(Grid, NeighbourLists) {
  const struct {
    std::uint32_t nx, ny, nz, cell;
    std::vector<std::uint32_t> expected;
  } cases[] = {
      {1, 1, 1, 1, {1}},
      {2, 1, 1, 1, {1, 2}},
      {2, 1, 1, 2, {1, 2}},
      {3, 3, 3, 1, {1, 10, 4, 13, 2, 11, 5, 14}},
      {3, 3, 3, 27, {14, 23, 17, 26, 15, 24, 18, 27}},
      {3, 3, 3, 14, {1, 10, 19, 4, 13, 22, 7, 16, 25, 2, 11, 20, 5, 14, 23, 8, 17, 26, 3, 12, 21, 6, 15, 24, 9, 18, 27}},
      {4, 3, 2, 5, {1, 13, 5, 17, 9, 21, 2, 14, 6, 18, 10, 22}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(neighbour_list(grid_of(c.nx, c.ny, c.nz), c.cell), c.expected) << c.nx << "x" << c.ny << "x" << c.nz;
}

TEST(Grid, CellIndexesRoundTrip) {
  const std::uint32_t shapes[][3] = {{1, 1, 1}, {4, 3, 2}, {1, 5, 1}, {7, 1, 3}, {5, 5, 5}, {2, 9, 4}};
  for (const auto& shape : shapes) {
    const cell_list grid = grid_of(shape[0], shape[1], shape[2]);
    std::uint32_t expected = 1, i = 0, j = 0, k = 0;
    for (std::uint32_t z = 1; z <= shape[2]; ++z)
      for (std::uint32_t y = 1; y <= shape[1]; ++y)
        for (std::uint32_t x = 1; x <= shape[0]; ++x, ++expected) {
          ASSERT_EQ(grid.find_cell_index(x, y, z), expected);
          grid.revert2_3d(expected, i, j, k);
          ASSERT_EQ(std::vector<std::uint32_t>({i, j, k}), std::vector<std::uint32_t>({x, y, z})) << expected;
        }
  }
}

// The grid over one list given as both, along x.
cell_list boxed(std::vector<float> xs, float cutoff) {
  points along;
  for (const float x : xs) along.push_back({x, 0, 0});
  cell_list grid = holding(cutoff, along, along);
  grid.build_box();
  return grid;
}

TEST(Grid, CellsPerAxisAndTheUpperFace) {
  cell_list grid = boxed({0, 8}, 4);
  EXPECT_EQ(grid.cells_per_axis()[0], 3u);
  EXPECT_EQ(grid.find_cell(8, 0, 0), 3u);
  EXPECT_EQ(boxed({0, 7.9f}, 4).cells_per_axis()[0], 2u);
  const cell_list one = boxed({5, 5, 5}, 4);
  EXPECT_EQ(one.cell_count(), 1u);
  EXPECT_EQ(one.neighbour_count(1), 1u);
  EXPECT_EQ(boxed({-10, -2}, 4).cells_per_axis()[0], 3u);
  // An infinite cut-off makes one cell, even when the extent itself overflows.
  EXPECT_EQ(boxed({-3e38f, 3e38f}, std::numeric_limits<float>::infinity()).cell_count(), 1u);
}

TEST(Grid, RefusesGridsBeyondItsLimits) {
  const struct {
    points A;
    float cutoff;
    std::string message;  // its beginning
  } cases[] = {
      {{{0, 0, 0}, {16777215, 0, 0}}, 1,
       "the points span 16777216 x 1 x 1 cells at cut-off 1, more than 16777215 along one axis; use a larger cut-off"},
      {{{0, 0, 0}, {3e38f, 0, 0}}, 1e-30f, "the points span inf x 1 x 1 cells"},
      {{{0, 0, 0}, {1e13f, 0, 0}}, 1, "the points span 1e+13 x 1 x 1 cells"},
      {{{0, 0, 0}, {4194304, 4194304, 4194304}}, 1,
       "the points span 4194305 x 4194305 x 4194305 cells at cut-off 1, more than 18446744073709551614 cells in all; "
       "use a larger cut-off"},
  };
  for (const auto& c : cases) {
    cell_list grid = holding(c.cutoff, c.A, c.A);
    try {
      grid.build_box();
      ADD_FAILURE() << "built: " << c.message;
    } catch (const run_error& e) {
      EXPECT_EQ(std::string(e.what()).substr(0, c.message.size()), c.message);
      EXPECT_NE(std::string(e.what()).find("; use a larger cut-off"), std::string::npos);
    }
  }
}

// The readers refuse such points; the grid refuses them again, naming the first, for callers that hand it
// points directly. A NaN first would poison the box, a later one would land in no cell.
TEST(Grid, RefusesPointsThatAreNotFinite) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  const struct {
    points A, B;
    std::string message;
  } cases[] = {
      {{{nan, 0, 0}, {1, 1, 1}}, {{0, 0, 0}}, "point 1 of list A has a coordinate that is not a finite number"},
      {{{0, 0, 0}, {1, 1, 1}}, {{0, 0, 0}, {2, 2, 2}, {3, nan, 3}}, "point 3 of list B has a coordinate that is not a finite number"},
      {{{0, 0, 0}, {1, 1, -inf}}, {{0, 0, 0}}, "point 2 of list A has a coordinate that is not a finite number"},
      {{{0, 0, 0}}, {{0, 0, inf}}, "point 1 of list B has a coordinate that is not a finite number"},
  };
  for (const auto& c : cases) {
    cell_list grid = holding(1, c.A, c.B);
    try {
      grid.build_box();
      ADD_FAILURE() << "built: " << c.message;
    } catch (const run_error& e) {
      EXPECT_EQ(e.what(), c.message);
    }
  }
  // The largest finite float is a coordinate like any other (the grid then refuses its size, not its value).
  EXPECT_TRUE(all_finite(2, std::array<float, 2>{std::numeric_limits<float>::max(), -0.0f}.data()));
  EXPECT_FALSE(all_finite(3, std::array<float, 3>{0, 0, nan}.data()));
  EXPECT_TRUE(all_finite(0, std::array<float, 1>{nan}.data()));
}

}  // namespace
