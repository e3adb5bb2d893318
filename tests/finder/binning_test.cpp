#include <gtest/gtest.h>

#include "cell_list.hpp"

namespace {

std::vector<std::int32_t> listed(point_range range) { return {range.begin(), range.end()}; }

TEST(Binning, CountingSortKeepsInputOrderPerCell) {
  cell_list grid;
  grid.cutoff = 4;
  grid.n_points_A = 4;
  grid.x_A = {4.5f, 0.5f, 4.0f, 3.9f};
  grid.y_A = grid.z_A = {0, 0, 0, 0};
  grid.n_points_B = 2;
  grid.x_B = {0, 5};
  grid.y_B = grid.z_B = {0, 0};
  grid.point_cell_A.resize(4);
  grid.point_cell_B.resize(2);
  grid.build_box();
  grid.assign_points();
  ASSERT_EQ(grid.n_cells, 2u);
  EXPECT_EQ(listed(grid.members_A(1)), (std::vector<std::int32_t>{1, 3}));
  EXPECT_EQ(listed(grid.members_A(2)), (std::vector<std::int32_t>{0, 2}));
  EXPECT_EQ(grid.cell_fill_A, (std::vector<std::uint32_t>{0, 2, 2}));
  EXPECT_EQ(listed(grid.members_B(1)), (std::vector<std::int32_t>{0}));
  EXPECT_EQ(listed(grid.members_B(2)), (std::vector<std::int32_t>{1}));
  EXPECT_TRUE(listed(grid.members_A(0)).empty());
}

TEST(Binning, EqualPointsShareACellInInputOrder) {
  cell_list grid;
  grid.cutoff = 1;
  grid.n_points_A = grid.n_points_B = 5;
  grid.x_A = grid.x_B = {2, 2, 9, 2, 2};
  grid.y_A = grid.y_B = grid.z_A = grid.z_B = {1, 1, 1, 1, 1};
  grid.point_cell_A.resize(5);
  grid.point_cell_B.resize(5);
  grid.build_box();
  grid.assign_points();
  EXPECT_EQ(listed(grid.members_A(1)), (std::vector<std::int32_t>{0, 1, 3, 4}));
  EXPECT_EQ(listed(grid.members_A(8)), (std::vector<std::int32_t>{2}));
  EXPECT_EQ(grid.cell_fill_A, grid.cell_fill_B);
  EXPECT_EQ(grid.cell_fill_A[4], 0u);
}

}  // namespace
