#include <algorithm>
#include <cmath>
#include <string>

#include "cell_list.hpp"
#include "error.hpp"
#include "geometry.hpp"
#include "huge_pages.hpp"
#include "number_text.hpp"

namespace {

std::string axis_text(float quotient) {
  if (quotient < 1e12f) return std::to_string(static_cast<std::uint64_t>(quotient) + 1);
  char text[float_text_room];
  return std::string(text, write_float(text, quotient));
}

}  // namespace

void cell_list::fail_not_finite() const {
  const float* lists[2][3] = {{x_A.data(), y_A.data(), z_A.data()}, {bx(), by(), bz()}};
  const std::uint32_t counts[2] = {n_points_A, n_points_B};
  for (int list = 0; list < 2; ++list)
    for (std::uint32_t p = 0; p < counts[list]; ++p)
      for (const float* axis : lists[list])
        if (!std::isfinite(axis[p]))
          fail(std::string("point ") + std::to_string(p + 1) + " of list " + (list == 0 ? "A" : "B") +
               " has a coordinate that is not a finite number");
  fail("a coordinate is not a finite number");
}

std::uint32_t cell_list::axis_cell(float delta) const { return axis_cell_at(delta, cutoff); }

std::uint32_t axis_cell_at(float delta, float cutoff) {
  float quotient = delta / cutoff;
  // inf / inf, which only an infinite cut-off over an overflowing extent gives: that grid is one cell.
  if (std::isnan(quotient)) quotient = 0.0f;
  return static_cast<std::uint32_t>(static_cast<std::int32_t>(quotient) + 1);
}

void cell_list::build_box() {
  if (n_points_A == 0 || n_points_B == 0) {
    // No pair exists; a grid around one list alone would be work for nothing.
    cells_x = cells_y = cells_z = n_cells = 0;
  } else {
    const float* axes_A[3] = {x_A.data(), y_A.data(), z_A.data()};
    const float* axes_B[3] = {bx(), by(), bz()};
    // A NaN would poison the box (or, past element 0, land in no cell) and an infinity would stretch it without
    // end: the readers refuse both, and the grid refuses them again for callers that hand it points directly.
    for (int axis = 0; axis < 3; ++axis)
      if (!all_finite(n_points_A, axes_A[axis]) || !all_finite(n_points_B, axes_B[axis])) fail_not_finite();
    for (int axis = 0; axis < 3; ++axis) {
      low_A[axis] = array_min(n_points_A, axes_A[axis]), high_A[axis] = array_max(n_points_A, axes_A[axis]);
      low_B[axis] = array_min(n_points_B, axes_B[axis]), high_B[axis] = array_max(n_points_B, axes_B[axis]);
    }
    box_max_x = std::max(high_A[0], high_B[0]), box_max_y = std::max(high_A[1], high_B[1]);
    box_max_z = std::max(high_A[2], high_B[2]);
    box_min_x = std::min(low_A[0], low_B[0]), box_min_y = std::min(low_A[1], low_B[1]);
    box_min_z = std::min(low_A[2], low_B[2]);

    // Refuse impossible grids before any allocation, with the numbers that make them impossible.
    const float extents[3] = {box_max_x - box_min_x, box_max_y - box_min_y, box_max_z - box_min_z};
    float quotients[3];
    bool too_long = false;
    for (int axis = 0; axis < 3; ++axis) {
      quotients[axis] = extents[axis] / cutoff;
      if (std::isnan(quotients[axis])) quotients[axis] = 0.0f;
      if (!(quotients[axis] < static_cast<float>(max_cells_per_axis))) too_long = true;
    }
    char cutoff_text[float_text_room];
    const std::string size = "the points span " + axis_text(quotients[0]) + " x " + axis_text(quotients[1]) + " x " +
                             axis_text(quotients[2]) + " cells at cut-off " +
                             std::string(cutoff_text, write_float(cutoff_text, cutoff));
    if (too_long)
      fail(size + ", more than " + std::to_string(max_cells_per_axis) + " along one axis; use a larger cut-off");
    cells_x = axis_cell(extents[0]);
    cells_y = axis_cell(extents[1]);
    cells_z = axis_cell(extents[2]);
    const cell_index plane = cell_index{cells_x} * cells_y;  // below 2^48
    if (plane > max_cells / cells_z)
      fail(size + ", more than " + std::to_string(max_cells) + " cells in all; use a larger cut-off");
    n_cells = plane * cells_z;
  }
  choose_partnered();
  const std::uint64_t binned = (every_A_partnered ? n_points_A : partnered_A.size()) +
                               (every_B_partnered ? n_points_B : partnered_B.size());
  // Per-cell arrays only where they cost no more than the binned points do (and their indexes fit 32 bits); a
  // larger box is kept by occupied cell.
  sparse = n_cells > std::min<std::uint64_t>(binned, UINT32_MAX - 1);
  if (sparse) {
    for (auto* per_cell : {&cell_fill_A, &cell_fill_B, &cell_start_A, &cell_start_B}) per_cell->clear();
    return;
  }
  for (auto* per_cell : {&cell_fill_A, &cell_start_A}) assign_on_huge_pages(*per_cell, std::size_t{n_cells} + 1);
  // One list as both keeps one set of cells.
  for (auto* per_cell : {&cell_fill_B, &cell_start_B})
    if (same_lists) per_cell->clear();
    else assign_on_huge_pages(*per_cell, std::size_t{n_cells} + 1);
}

cell_index cell_list::find_cell(float x, float y, float z) const {
  return find_cell_index(axis_cell(x - box_min_x), axis_cell(y - box_min_y), axis_cell(z - box_min_z));
}

cell_index cell_list::find_cell_index(std::uint32_t i, std::uint32_t j, std::uint32_t k) const {
  return i + cell_index{cells_x} * (j - 1) + cell_index{cells_x} * cells_y * (k - 1);
}

void cell_list::revert2_3d(cell_index index, std::uint32_t& i, std::uint32_t& j, std::uint32_t& k) const {
  // Integer division: exact for every index, where a double quotient stops being exact past 2^53.
  const cell_index plane = cell_index{cells_x} * cells_y;
  const cell_index rest = (index - 1) % plane;
  k = static_cast<std::uint32_t>((index - 1) / plane + 1);
  j = static_cast<std::uint32_t>(rest / cells_x + 1);
  i = static_cast<std::uint32_t>(rest % cells_x + 1);
}
