#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "cell_list.hpp"
#include "error.hpp"
#include "geometry.hpp"
#include "huge_pages.hpp"
#include "number_text.hpp"

namespace {

// Bytes one cell costs: its neighbour list, the list's length, and per list a fill and a start.
constexpr std::uint64_t bytes_per_cell = sizeof(std::array<std::uint32_t, 27>) + 5 * sizeof(std::uint32_t);

// What this machine can still give: MemAvailable, or all of its memory where that is not known.
std::uint64_t available_memory() {
  std::ifstream meminfo("/proc/meminfo");
  std::string key;
  std::uint64_t kib = 0;
  while (meminfo >> key >> kib) {
    if (key == "MemAvailable:") return kib * 1024;
    meminfo.ignore(256, '\n');
  }
  return 0;
}

std::string axis_text(float quotient) {
  if (quotient < 1e12f) return std::to_string(static_cast<std::uint64_t>(quotient) + 1);
  char text[float_text_room];
  return std::string(text, write_float(text, quotient));
}

std::string gigabytes(std::uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f GB", static_cast<double>(bytes) / 1e9);
  return text;
}

}  // namespace

std::uint32_t cell_list::axis_cell(float delta) const {
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
    box_max_x = std::max(array_max(n_points_A, x_A.data()), array_max(n_points_B, x_B.data()));
    box_max_y = std::max(array_max(n_points_A, y_A.data()), array_max(n_points_B, y_B.data()));
    box_max_z = std::max(array_max(n_points_A, z_A.data()), array_max(n_points_B, z_B.data()));
    box_min_x = std::min(array_min(n_points_A, x_A.data()), array_min(n_points_B, x_B.data()));
    box_min_y = std::min(array_min(n_points_A, y_A.data()), array_min(n_points_B, y_B.data()));
    box_min_z = std::min(array_min(n_points_A, z_A.data()), array_min(n_points_B, z_B.data()));

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
    const std::uint64_t total = std::uint64_t{cells_x} * cells_y * cells_z;
    if (total + 1 > UINT32_MAX)
      fail(size + ", more than " + std::to_string(UINT32_MAX - 1) + " cells in all; use a larger cut-off");
    const std::uint64_t need = (total + 1) * bytes_per_cell;
    const std::uint64_t have = available_memory();
    if (have != 0 && need > have)
      fail(size + ", a grid of " + gigabytes(need) + " with " + gigabytes(have) +
           " of memory available; use a larger cut-off");
    n_cells = static_cast<std::uint32_t>(total);
  }

  assign_on_huge_pages(n_neighbours, std::size_t{n_cells} + 1);
  assign_on_huge_pages(neighbours, std::size_t{n_cells} + 1);
  // Walking the cells in index order visits (i, j, k) with i fastest, which spares a revert2_3d per cell.
  std::uint32_t c = 1;
  for (std::uint32_t k = 1; k <= cells_z; ++k)
    for (std::uint32_t j = 1; j <= cells_y; ++j)
      for (std::uint32_t i = 1; i <= cells_x; ++i, ++c) n_neighbours[c] = neighbours_of(i, j, k, neighbours[c].data());

  for (auto* per_cell : {&cell_fill_A, &cell_fill_B, &cell_start_A, &cell_start_B})
    assign_on_huge_pages(*per_cell, std::size_t{n_cells} + 1);
}

std::uint32_t cell_list::find_cell(float x, float y, float z) const {
  return find_cell_index(axis_cell(x - box_min_x), axis_cell(y - box_min_y), axis_cell(z - box_min_z));
}

std::uint32_t cell_list::find_cell_index(std::uint32_t i, std::uint32_t j, std::uint32_t k) const {
  return i + cells_x * (j - 1) + cells_x * cells_y * (k - 1);
}

void cell_list::revert2_3d(std::uint32_t index, std::uint32_t& i, std::uint32_t& j, std::uint32_t& k) const {
  const std::uint32_t plane = cells_x * cells_y;
  k = static_cast<std::uint32_t>(static_cast<double>(index) / static_cast<double>(plane)) + 1;
  std::uint32_t r = index - plane * (k - 1);
  // The last cell of a plane divides evenly and would land one plane too far.
  if (r == 0) {
    k -= 1;
    r = plane;
  }
  j = static_cast<std::uint32_t>(static_cast<double>(r) / static_cast<double>(cells_x)) + 1;
  r -= cells_x * (j - 1);
  if (r == 0) {
    j -= 1;
    r = cells_x;
  }
  i = r;
}

std::uint32_t cell_list::build_neighbour_valid(std::uint32_t index, std::uint32_t* list) const {
  std::uint32_t i = 0, j = 0, k = 0;
  revert2_3d(index, i, j, k);
  return neighbours_of(i, j, k, list);
}

std::uint32_t cell_list::neighbours_of(std::uint32_t i, std::uint32_t j, std::uint32_t k, std::uint32_t* list) const {
  // The bound tests are on floats, exact while an axis has at most max_cells_per_axis cells.
  std::uint32_t count = 0;
  for (std::int32_t a = static_cast<std::int32_t>(i) - 1; a <= static_cast<std::int32_t>(i) + 1; ++a) {
    if (!between(static_cast<float>(a), 1.0f, static_cast<float>(cells_x))) continue;
    for (std::int32_t b = static_cast<std::int32_t>(j) - 1; b <= static_cast<std::int32_t>(j) + 1; ++b) {
      if (!between(static_cast<float>(b), 1.0f, static_cast<float>(cells_y))) continue;
      for (std::int32_t d = static_cast<std::int32_t>(k) - 1; d <= static_cast<std::int32_t>(k) + 1; ++d) {
        if (!between(static_cast<float>(d), 1.0f, static_cast<float>(cells_z))) continue;
        list[count++] = find_cell_index(static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b),
                                        static_cast<std::uint32_t>(d));
      }
    }
  }
  return count;
}
