#include <algorithm>
#include <cmath>

#include "cell_list.hpp"
#include "hashing.hpp"
#include "huge_pages.hpp"

void cell_list::assign_points() {
  std::fill(cell_fill_A.begin(), cell_fill_A.end(), 0);
  feed_box_A();
  if (!same_lists) std::fill(cell_fill_B.begin(), cell_fill_B.end(), 0);
  feed_box_B();
}

void cell_list::feed_box_A() {
  if (sparse) {
    sort_points(n_points_A, every_A_partnered ? nullptr : &partnered_A, x_A.data(), y_A.data(), z_A.data(), point_cell_A, occupied_A,
                occupied_start_A, cell_members_A);
    return;
  }
  bin_points(n_points_A, every_A_partnered ? nullptr : &partnered_A, x_A.data(), y_A.data(), z_A.data(), point_cell_A, cell_fill_A, cell_start_A,
             cell_members_A);
}

void cell_list::feed_box_B() {
  if (!sparse && same_lists) {
    // One list as both: its cells are A's.
    std::vector<std::pair<cell_index, std::uint32_t>>().swap(point_cell_B);
    return;
  }
  if (!sparse) {
    bin_points(n_points_B, every_B_partnered ? nullptr : &partnered_B, bx(), by(), bz(), point_cell_B, cell_fill_B, cell_start_B,
               cell_members_B);
    return;
  }
  sort_points(n_points_B, every_B_partnered ? nullptr : &partnered_B, bx(), by(), bz(), point_cell_B, occupied_B,
              occupied_start_B, cell_members_B);
  // B's cells are looked up from A's: a hash of the occupied cells, and their span, outside which no A cell
  // needs a look at all.
  std::size_t slots = 16;
  while (slots < 2 * occupied_B.size()) slots *= 2;
  occupied_slots_B.assign(slots, 0);
  for (std::size_t u = 0; u < occupied_B.size(); ++u) {
    std::size_t s = slot_of(occupied_B[u], slots - 1);
    while (occupied_slots_B[s] != 0) s = (s + 1) & (slots - 1);
    occupied_slots_B[s] = static_cast<std::uint32_t>(u + 1);
  }
  const float reach_cells = std::ceil(far_reach() / cutoff);
  occupied_margin_B = 1 + (reach_cells < 1e9f ? static_cast<std::uint64_t>(reach_cells) : 1000000000u);
  for (int axis = 0; axis < 3; ++axis) {
    occupied_min_B[axis] = UINT32_MAX;
    occupied_max_B[axis] = 0;
  }
  for (const cell_index cell : occupied_B) {
    std::uint32_t ijk[3];
    revert2_3d(cell, ijk[0], ijk[1], ijk[2]);
    for (int axis = 0; axis < 3; ++axis) {
      occupied_min_B[axis] = std::min(occupied_min_B[axis], ijk[axis]);
      occupied_max_B[axis] = std::max(occupied_max_B[axis], ijk[axis]);
    }
  }
}

std::size_t cell_list::find_occupied_B(cell_index cell) const {
  if (occupied_slots_B.empty()) return occupied_B.size();
  const std::size_t mask = occupied_slots_B.size() - 1;
  for (std::size_t s = slot_of(cell, mask);; s = (s + 1) & mask) {
    const std::uint32_t entry = occupied_slots_B[s];
    if (entry == 0) return occupied_B.size();
    if (occupied_B[entry - 1] == cell) return entry - 1;
  }
}

bool cell_list::near_list_B(std::uint32_t i, std::uint32_t j, std::uint32_t k) const {
  const std::uint32_t ijk[3] = {i, j, k};
  for (int axis = 0; axis < 3; ++axis)
    if (ijk[axis] + occupied_margin_B < occupied_min_B[axis] || ijk[axis] > occupied_max_B[axis] + occupied_margin_B)
      return false;
  return true;
}

point_range cell_list::members_A(cell_index cell) const {
  if (!sparse) {
    const std::int32_t* first = cell_members_A.data() + cell_start_A[cell];
    return {first, first + cell_fill_A[cell]};
  }
  const auto found = std::lower_bound(occupied_A.begin(), occupied_A.end(), cell);
  if (found == occupied_A.end() || *found != cell) return {nullptr, nullptr};
  return occupied_members(cell_members_A, occupied_start_A, static_cast<std::size_t>(found - occupied_A.begin()));
}

point_range cell_list::members_B(cell_index cell) const {
  if (!sparse) {
    if (same_lists) return members_A(cell);
    const std::int32_t* first = cell_members_B.data() + cell_start_B[cell];
    return {first, first + cell_fill_B[cell]};
  }
  const std::size_t u = find_occupied_B(cell);
  if (u == occupied_B.size()) return {nullptr, nullptr};
  return occupied_members(cell_members_B, occupied_start_B, u);
}

// The points sorted by (cell, index), so each cell's list comes out ascending; then the occupied cells, where
// each one's list starts, and the lists. The (cell, index) pairs go once the lists are made.
void cell_list::sort_points(std::uint32_t n_points, const std::vector<std::uint32_t>* only, const float* xs,
                            const float* ys, const float* zs,
                            std::vector<std::pair<cell_index, std::uint32_t>>& point_cell,
                            std::vector<cell_index>& occupied, std::vector<std::uint32_t>& start,
                            std::vector<std::int32_t>& members) const {
  const auto n = static_cast<std::uint32_t>(only == nullptr ? n_points : only->size());
  point_cell.resize(n);
  for (std::uint32_t q = 0; q < n; ++q) {
    const std::uint32_t p = only == nullptr ? q : (*only)[q];
    point_cell[q] = {find_cell(xs[p], ys[p], zs[p]), p};
  }
  std::sort(point_cell.begin(), point_cell.end());
  occupied.clear();
  start.clear();
  assign_on_huge_pages(members, n);
  for (std::uint32_t q = 0; q < n; ++q) {
    if (q == 0 || point_cell[q].first != point_cell[q - 1].first) {
      occupied.push_back(point_cell[q].first);
      start.push_back(q);
    }
    members[q] = static_cast<std::int32_t>(point_cell[q].second);
  }
  start.push_back(n);
  std::vector<std::pair<cell_index, std::uint32_t>>().swap(point_cell);
}

// Counting sort: cell of every point, count per cell, start of every cell's list, then placement in point
// order, so each list comes out ascending.
void cell_list::bin_points(std::uint32_t n_points, const std::vector<std::uint32_t>* only, const float* xs,
                           const float* ys, const float* zs,
                           std::vector<std::pair<cell_index, std::uint32_t>>& point_cell,
                           std::vector<std::uint32_t>& fill, std::vector<std::uint32_t>& start,
                           std::vector<std::int32_t>& members) const {
  if (n_cells == 0) {
    // One list is empty: there is no pair, and no cell to put the other list's points in.
    members.clear();
    return;
  }
  const auto n = static_cast<std::uint32_t>(only == nullptr ? n_points : only->size());
  for (std::uint32_t q = 0; q < n; ++q) {
    const std::uint32_t p = only == nullptr ? q : (*only)[q];
    point_cell[q] = {find_cell(xs[p], ys[p], zs[p]), p};
  }
  for (std::uint32_t q = 0; q < n; ++q) ++fill[point_cell[q].first];
  std::uint32_t offset = 0;
  for (cell_index c = 0; c <= n_cells; ++c) {
    start[c] = offset;
    offset += fill[c];
  }
  assign_on_huge_pages(members, n);
  std::fill(fill.begin(), fill.end(), 0);
  for (std::uint32_t q = 0; q < n; ++q) {
    const cell_index c = point_cell[q].first;
    members[start[c] + fill[c]] = static_cast<std::int32_t>(point_cell[q].second);
    ++fill[c];
  }
  // Binned: the search needs only the members.
  std::vector<std::pair<cell_index, std::uint32_t>>().swap(point_cell);
}

void cell_list::choose_partnered() {
  partnered_A.clear();
  partnered_B.clear();
  every_A_partnered = every_B_partnered = true;
  if (n_points_A == 0 || n_points_B == 0) return;
  // In double, with twice the reach: a generous filter only keeps a point more, never loses a partner.
  const double margin = 2.0 * static_cast<double>(far_reach());
  const auto keep = [margin](std::uint32_t n, const float* const* axes, const float* own_low, const float* own_high,
                             const float* other_low, const float* other_high, std::vector<std::uint32_t>& kept) {
    double low[3], high[3];
    bool all_inside = true;
    for (int axis = 0; axis < 3; ++axis) {
      low[axis] = static_cast<double>(other_low[axis]) - margin;
      high[axis] = static_cast<double>(other_high[axis]) + margin;
      all_inside = all_inside && own_low[axis] >= low[axis] && own_high[axis] <= high[axis];
    }
    if (all_inside) return true;  // every point may have a partner: binned as they are, no list needed
    const float *xs = axes[0], *ys = axes[1], *zs = axes[2];
    for (std::uint32_t p = 0; p < n; ++p)
      if (xs[p] >= low[0] && xs[p] <= high[0] && ys[p] >= low[1] && ys[p] <= high[1] && zs[p] >= low[2] &&
          zs[p] <= high[2])
        kept.push_back(p);
    return false;
  };
  const float* axes_A[3] = {x_A.data(), y_A.data(), z_A.data()};
  const float* axes_B[3] = {bx(), by(), bz()};
  every_A_partnered = keep(n_points_A, axes_A, low_A, high_A, low_B, high_B, partnered_A);
  every_B_partnered = keep(n_points_B, axes_B, low_B, high_B, low_A, high_A, partnered_B);
}
