#include <gtest/gtest.h>

#include "grid_points.hpp"

namespace {

std::vector<std::int32_t> listed(point_range range) { return {range.begin(), range.end()}; }

cell_list binned(float cutoff, const points& A, const points& B) {
  cell_list grid = holding(cutoff, A, B);
  grid.build_box();
  grid.assign_points();
  return grid;
}

TEST(Binning, CountingSortKeepsInputOrderPerCell) {
  // The box runs from x = 0 to 5: two cells at cut-off 4.
  const cell_list grid = binned(4, {{4.5f, 0, 0}, {0.5f, 0, 0}, {4.0f, 0, 0}, {3.9f, 0, 0}}, {{0, 0, 0}, {5, 0, 0}});
  EXPECT_EQ(listed(grid.members_A(1)), (std::vector<std::int32_t>{1, 3}));
  EXPECT_EQ(listed(grid.members_A(2)), (std::vector<std::int32_t>{0, 2}));
  EXPECT_EQ(grid.cell_fill_A, (std::vector<std::uint32_t>{0, 2, 2}));
  EXPECT_EQ(listed(grid.members_B(2)), (std::vector<std::int32_t>{1}));
  // Equal points share a cell in input order; cells between stay empty; one list twice bins alike.
  const points same = {{2, 1, 1}, {2, 1, 1}, {9, 1, 1}, {2, 1, 1}, {2, 1, 1}};
  const cell_list twice = binned(1, same, same);
  EXPECT_EQ(listed(twice.members_A(1)), (std::vector<std::int32_t>{0, 1, 3, 4}));
  EXPECT_EQ(listed(twice.members_A(8)), (std::vector<std::int32_t>{2}));
  EXPECT_EQ(twice.cell_fill_A[4], 0u);
  EXPECT_EQ(twice.cell_fill_A, twice.cell_fill_B);
}

}  // namespace
