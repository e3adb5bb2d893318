#include "cell_list.hpp"
#include "huge_pages.hpp"

void cell_list::assign_points() {
  std::fill(cell_fill_A.begin(), cell_fill_A.end(), 0);
  feed_box_A();
  std::fill(cell_fill_B.begin(), cell_fill_B.end(), 0);
  feed_box_B();
}

void cell_list::feed_box_A() {
  bin_points(n_points_A, x_A.data(), y_A.data(), z_A.data(), point_cell_A, cell_fill_A, cell_start_A, cell_members_A);
}

void cell_list::feed_box_B() {
  bin_points(n_points_B, x_B.data(), y_B.data(), z_B.data(), point_cell_B, cell_fill_B, cell_start_B, cell_members_B);
}

// Counting sort: cell of every point, count per cell, start of every cell's list, then placement in point
// order, so each list comes out ascending.
void cell_list::bin_points(std::uint32_t n_points, const float* xs, const float* ys, const float* zs,
                           std::vector<std::pair<std::uint32_t, std::uint32_t>>& point_cell,
                           std::vector<std::uint32_t>& fill, std::vector<std::uint32_t>& start,
                           std::vector<std::int32_t>& members) const {
  if (n_cells == 0) {
    // One list is empty: there is no pair, and no cell to put the other list's points in.
    members.clear();
    return;
  }
  for (std::uint32_t p = 0; p < n_points; ++p) point_cell[p] = {find_cell(xs[p], ys[p], zs[p]), p};
  for (std::uint32_t p = 0; p < n_points; ++p) ++fill[point_cell[p].first];
  std::uint32_t offset = 0;
  for (std::uint32_t c = 0; c <= n_cells; ++c) {
    start[c] = offset;
    offset += fill[c];
  }
  assign_on_huge_pages(members, n_points);
  std::fill(fill.begin(), fill.end(), 0);
  for (std::uint32_t p = 0; p < n_points; ++p) {
    const std::uint32_t c = point_cell[p].first;
    members[start[c] + fill[c]] = static_cast<std::int32_t>(point_cell[p].second);
    ++fill[c];
  }
}
