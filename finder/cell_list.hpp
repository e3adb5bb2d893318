// Contact search on a uniform grid of cubic cells whose edge is the cut-off.
//
// The grid starts at the minimum corner of the box around both lists and has trunc(extent / cut-off) + 1 cells
// per axis, so a point on the upper face still falls inside. Cells are numbered from 1, x fastest, z slowest;
// entry 0 of every per-cell array is no cell and stays empty. A point's cell comes from the single-precision
// quotient (coordinate - box minimum) / cut-off, truncated. A pair is a contact when its single-precision
// distance is <= the cut-off. Every list A point is compared with the list B points of its own cell and the
// adjacent ones (in the neighbour list's order), and then with the few further cells that rounding of the
// quotient can push a partner into, so that no contact is missed.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "geometry.hpp"
#include "text_file.hpp"

// The point indexes of one cell, ascending.
struct point_range {
  const std::int32_t* first;
  const std::int32_t* last;
  const std::int32_t* begin() const { return first; }
  const std::int32_t* end() const { return last; }
};

class cell_list {
 public:
  // Largest cell count along one axis: at 2^24 the neighbour coordinate 2^24 + 1 is no longer exact in float.
  static constexpr std::uint32_t max_cells_per_axis = (1u << 24) - 1;

  // Runs set_cutoff, read_files, build_box, assign_points and print, once each; throws run_error.
  void compute_files(float cutoff, std::string file_A, std::string file_B, std::string out_file);
  // Refuses a cut-off that is not a positive number (0, negative, NaN), before any input is read.
  void set_cutoff(float c);
  // Reads each list once and loads its points; a list may be empty.
  void read_files(std::string file_A, std::string file_B);
  // Takes the two lists' bytes, counts their points and loads them: the work of read_files after reading.
  void load_points(text_file list_A, text_file list_B);

  // Box around both lists, cells per axis, neighbour lists, and the per-cell arrays, zeroed. With an empty
  // list there is no pair, and the grid has no cell. Refuses a grid beyond max_cells_per_axis on an axis,
  // beyond 2^32 - 2 cells, or larger than the memory at hand, naming its size.
  void build_box();
  std::uint32_t find_cell(float x, float y, float z) const;
  std::uint32_t find_cell_index(std::uint32_t i, std::uint32_t j, std::uint32_t k) const;
  void revert2_3d(std::uint32_t index, std::uint32_t& i, std::uint32_t& j, std::uint32_t& k) const;
  // Writes the existing cells of the 3 x 3 x 3 block around cell index, x outermost and z innermost, each axis
  // in the order -1, 0, +1; returns their number.
  std::uint32_t build_neighbour_valid(std::uint32_t index, std::uint32_t* list) const;

  // Bins both lists: each cell's point indexes, ascending, by a counting sort.
  void assign_points();
  void feed_box_A();
  void feed_box_B();

  // Writes the contact list: by cell of the A point, A index, neighbour cell in list order, B index; after
  // the lines of one A point come its contacts in cells further out, by B index.
  void print(std::string out_file);
  // Calls found(a, b, distance) for every contact, in the order print writes them.
  template <class Found>
  void for_each_contact(Found&& found) const;

  point_range members_A(std::uint32_t cell) const { return members(cell_members_A, cell_start_A, cell_fill_A, cell); }
  point_range members_B(std::uint32_t cell) const { return members(cell_members_B, cell_start_B, cell_fill_B, cell); }

  float box_max_x = 0, box_max_y = 0, box_max_z = 0;
  float box_min_x = 0, box_min_y = 0, box_min_z = 0;
  float cutoff = 0;
  std::uint32_t cells_x = 0, cells_y = 0, cells_z = 0;
  std::uint32_t n_cells = 0;
  std::uint32_t n_points_A = 0;
  std::uint32_t n_points_B = 0;
  std::vector<std::uint32_t> cell_fill_A, cell_fill_B;
  std::vector<float> x_A, y_A, z_A;
  std::vector<float> x_B, y_B, z_B;
  std::vector<std::uint32_t> n_neighbours;
  std::vector<std::array<std::uint32_t, 27>> neighbours;
  // Every cell's member list, one after the other in cell order; cell c's list starts at cell_start_A[c] and
  // holds cell_fill_A[c] entries.
  std::vector<std::int32_t> cell_members_A, cell_members_B;
  std::vector<std::uint32_t> cell_start_A, cell_start_B;
  // The labels are views into the files' bytes, which the object keeps for the whole run; a copy of the
  // object would view the original's bytes, so there is one object per run, as there is one run per process.
  text_file text_A, text_B;
  std::vector<std::string_view> labels_A, labels_B;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> point_cell_A, point_cell_B;

 private:
  // Cell coordinate (from 1) of a position delta past the box minimum along one axis.
  std::uint32_t axis_cell(float delta) const;
  // The same, clamped to 1..n_axis, for positions that may lie outside the box; monotone in delta.
  std::int64_t clamped_axis_cell(float delta, std::uint32_t n_axis) const;
  std::uint32_t neighbours_of(std::uint32_t i, std::uint32_t j, std::uint32_t k, std::uint32_t* list) const;
  void bin_points(std::uint32_t n_points, const float* xs, const float* ys, const float* zs,
                  std::vector<std::pair<std::uint32_t, std::uint32_t>>& point_cell,
                  std::vector<std::uint32_t>& fill, std::vector<std::uint32_t>& start,
                  std::vector<std::int32_t>& members) const;
  // Sets far to the contacts of A point a, in cell (i, j, k), that lie beyond its neighbour cells, by B index.
  void far_partners(std::int32_t a, std::uint32_t i, std::uint32_t j, std::uint32_t k,
                    std::vector<std::pair<std::int32_t, float>>& far) const;
  static point_range members(const std::vector<std::int32_t>& all, const std::vector<std::uint32_t>& start,
                             const std::vector<std::uint32_t>& fill, std::uint32_t cell) {
    const std::int32_t* first = all.data() + start[cell];
    return {first, first + fill[cell]};
  }
};

template <class Found>
void cell_list::for_each_contact(Found&& found) const {
  std::vector<std::pair<std::int32_t, float>> far;
  for (std::uint32_t c = 1; c <= n_cells; ++c) {
    if (cell_fill_A[c] == 0) continue;
    const std::uint32_t* near = neighbours[c].data();
    const std::uint32_t n_near = n_neighbours[c];
    std::uint32_t i = 0, j = 0, k = 0;
    revert2_3d(c, i, j, k);
    for (const std::int32_t a : members_A(c)) {
      const auto ia = static_cast<std::uint32_t>(a);
      const float xa = x_A[ia], ya = y_A[ia], za = z_A[ia];
      for (std::uint32_t m = 0; m < n_near; ++m) {
        for (const std::int32_t b : members_B(near[m])) {
          const auto ib = static_cast<std::uint32_t>(b);
          const float d = dist(xa, ya, za, x_B[ib], y_B[ib], z_B[ib]);
          if (d <= cutoff) found(a, b, d);
        }
      }
      far_partners(a, i, j, k, far);
      for (const auto& partner : far) found(a, partner.first, partner.second);
    }
  }
}
