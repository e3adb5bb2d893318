// Contact search on a uniform grid of cubic cells whose edge is the cut-off.
//
// The grid starts at the minimum corner of the box around both lists and has trunc(extent / cut-off) + 1 cells
// per axis, so a point on the upper face still falls inside. Cells are numbered from 1, x fastest, z slowest;
// index 0 is no cell. A point's cell comes from the single-precision quotient (coordinate - box minimum) /
// cut-off, truncated. A pair is a contact when its single-precision distance is <= the cut-off. Every list A
// point is compared with the list B points of its own cell and the adjacent ones (in the neighbour list's
// order), and then with the few further cells that rounding of the quotient can push a partner into, so that
// no contact is missed.
//
// Only cells that hold points cost memory and time. A box with no more cells than points keeps dense per-cell
// arrays (entry 0 unused) filled by a counting sort; a larger, mostly empty box (a hollow or spread-out
// assembly, a small cut-off) keeps each list's points sorted by cell and finds a cell's list B points through a
// hash of the occupied cells. Both give the same pairs in the same order.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "geometry.hpp"
#include "text_file.hpp"

// The cut-off as the command line gives it, read as atof reads it; throws run_error quoting the text when it is
// not a positive number ("the cut-off must be a positive number, not 'abc'").
float read_cutoff(const std::string& text);

// A cut-off handed over as a float (the module, pairscan's engine): positive and finite; throws run_error "the
// cut-off must be a positive number, not 0" or "... a positive finite number, not inf". pairsweep's own rule, set_cutoff, takes infinity.
float finite_cutoff(float c);

// The cell coordinate (from 1) of a position delta past the box minimum along one axis, for a cut-off: the
// single-precision quotient delta / cutoff, truncated, plus one.
std::uint32_t axis_cell_at(float delta, float cutoff);

// Points held in memory: entry i of each vector is point i; labels may be left empty where nothing is printed.
struct point_set {
  std::vector<std::string_view> labels;
  std::vector<float> x, y, z;
};

// A cell index: x fastest, from 1. Wide enough for every box within the per-axis limit but the largest ones.
using cell_index = std::uint64_t;

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
  // Largest cell count in all, so that every cell index and index 0 fit a cell_index.
  static constexpr cell_index max_cells = UINT64_MAX - 1;

  // Runs set_cutoff, read_files, build_box, assign_points and print, once each; throws run_error.
  void compute_files(float cutoff, std::string file_A, std::string file_B, std::string out_file);
  // A grid of points already in memory, ready to search: set_cutoff, load_points, build_box, assign_points.
  static cell_list for_points(float cutoff, point_set list_A, point_set list_B);
  // A grid of one list as both A and B (for for_each_self_contact), its coordinates held once.
  static cell_list for_self_points(float cutoff, point_set list);
  // Refuses a cut-off that is not a positive number (0, negative, NaN), before any input is read.
  void set_cutoff(float c);
  // Reads each list once and loads its points; a list may be empty.
  void read_files(std::string file_A, std::string file_B);
  // Takes the two lists' bytes, counts their points and loads them: the work of read_files after reading.
  void load_points(text_file list_A, text_file list_B);
  // Loads points already in memory (a structure read in this process); the labels' bytes must outlive the search.
  void load_points(point_set list_A, point_set list_B);

  // Box around both lists, cells per axis, and, for a box of no more cells than points, the neighbour lists and
  // the per-cell arrays, zeroed. With an empty list there is no pair, and the grid has no cell. Refuses a grid
  // beyond max_cells_per_axis on an axis or beyond max_cells in all, naming its size, and a point with a coordinate that is
  // not finite, naming the point.
  void build_box();
  cell_index find_cell(float x, float y, float z) const;
  // Cell coordinate (from 1) of a position delta past the box minimum along one axis; needs only the cut-off.
  std::uint32_t axis_cell(float delta) const;
  cell_index find_cell_index(std::uint32_t i, std::uint32_t j, std::uint32_t k) const;
  void revert2_3d(cell_index index, std::uint32_t& i, std::uint32_t& j, std::uint32_t& k) const;
  // Writes the existing cells of the 3 x 3 x 3 block around cell index, x outermost and z innermost, each axis
  // in the order -1, 0, +1; returns their number. Index is std::uint32_t or cell_index.
  template <class Index>
  std::uint32_t build_neighbour_valid(Index index, Index* list) const {
    std::uint32_t i = 0, j = 0, k = 0;
    revert2_3d(index, i, j, k);
    return neighbours_of(i, j, k, list);
  }

  // Bins both lists: each cell's point indexes, ascending (a counting sort over the dense arrays, or a sort by
  // cell of the points with a hash of the occupied cells).
  void assign_points();
  void feed_box_A();
  void feed_box_B();

  // Writes the contact list: by cell of the A point, A index, neighbour cell in list order, B index; after
  // the lines of one A point come its contacts in cells further out, by B index.
  void print(std::string out_file);
  // Calls found(a, b, distance) for every contact, in the order print writes them.
  template <class Found>
  void for_each_contact(Found&& found) const;
  // With one list loaded as both A and B: calls found(a, b, distance) once for every unordered pair of distinct
  // points in contact, oriented and ordered as the pair first appears in print's output (the point that comes
  // first in cell order is a). Each neighbouring cell pair is visited once: a cell meets only the cells after
  // it, and itself for b > a.
  template <class Found>
  void for_each_self_contact(Found&& found) const;

  // Called now and then while a search runs (before each cell that holds list A points): a caller's chance to
  // stop a long search by throwing (the Python module checks for Ctrl-C there). None by default.
  std::function<void()> poll;

  point_range members_A(cell_index cell) const;
  point_range members_B(cell_index cell) const;

  // What the grid is, read from outside; only the grid writes its data.
  float cut_off() const { return cutoff; }
  std::array<std::uint32_t, 3> cells_per_axis() const { return {cells_x, cells_y, cells_z}; }
  cell_index cell_count() const { return n_cells; }
  // The number of existing cells around cell c (c included).
  std::uint32_t neighbour_count(cell_index c) const {
    std::uint32_t i = 0, j = 0, k = 0;
    cell_index near[27];
    revert2_3d(c, i, j, k);
    return neighbours_of(i, j, k, near);
  }
  std::string_view label_A(std::size_t point) const { return labels_A[point]; }
  std::string_view label_B(std::size_t point) const { return labels_B[point]; }

 private:
  float box_max_x = 0, box_max_y = 0, box_max_z = 0;
  float box_min_x = 0, box_min_y = 0, box_min_z = 0;
  float cutoff = 0;
  std::uint32_t cells_x = 0, cells_y = 0, cells_z = 0;
  cell_index n_cells = 0;
  // Whether the box has more cells than the lists have points: then no per-cell array is kept.
  bool sparse = false;
  std::uint32_t n_points_A = 0;
  std::uint32_t n_points_B = 0;
  std::vector<std::uint32_t> cell_fill_A, cell_fill_B;
  std::vector<float> x_A, y_A, z_A;
  std::vector<float> x_B, y_B, z_B;  // empty when list B is list A (same_lists)
  bool same_lists = false;
  const float* bx() const { return same_lists ? x_A.data() : x_B.data(); }
  const float* by() const { return same_lists ? y_A.data() : y_B.data(); }
  const float* bz() const { return same_lists ? z_A.data() : z_B.data(); }
  // Every cell's member list, one after the other in cell order; in a dense box cell c's list starts at
  // cell_start_A[c] and holds cell_fill_A[c] entries.
  std::vector<std::int32_t> cell_members_A, cell_members_B;
  std::vector<std::uint32_t> cell_start_A, cell_start_B;
  // In a sparse box: the occupied cells, ascending, and where each one's members start (one entry more, the
  // end); B's occupied cells also by hash, an open-addressing table of positions + 1 (0: empty), at most half
  // full.
  std::vector<cell_index> occupied_A, occupied_B;
  std::vector<std::uint32_t> occupied_start_A, occupied_start_B;
  std::vector<std::uint32_t> occupied_slots_B;
  // The labels are views into the files' bytes, which the object keeps for the whole run; a copy of the
  // object would view the original's bytes, so there is one object per run, as there is one run per process.
  text_file text_A, text_B;
  std::vector<std::string_view> labels_A, labels_B;
  std::vector<std::pair<cell_index, std::uint32_t>> point_cell_A, point_cell_B;

  // Throws run_error naming the first point with a coordinate that is not finite.
  [[noreturn]] void fail_not_finite() const;
  // How far along an axis a partner can lie: the cut-off and a little more, or, where squares fall below the
  // normal floats, 2^-62.
  float far_reach() const;
  // The same, clamped to 1..n_axis, for positions that may lie outside the box; monotone in delta.
  std::int64_t clamped_axis_cell(float delta, std::uint32_t n_axis) const;
  template <class Index>
  std::uint32_t neighbours_of(std::uint32_t i, std::uint32_t j, std::uint32_t k, Index* list) const;
  // Bin the points of a list that can have a partner: those of only (ascending), or all n_points without it.
  void bin_points(std::uint32_t n_points, const std::vector<std::uint32_t>* only, const float* xs, const float* ys,
                  const float* zs, std::vector<std::pair<cell_index, std::uint32_t>>& point_cell,
                  std::vector<std::uint32_t>& fill, std::vector<std::uint32_t>& start,
                  std::vector<std::int32_t>& members) const;
  void sort_points(std::uint32_t n_points, const std::vector<std::uint32_t>* only, const float* xs, const float* ys,
                   const float* zs, std::vector<std::pair<cell_index, std::uint32_t>>& point_cell,
                   std::vector<cell_index>& occupied, std::vector<std::uint32_t>& start,
                   std::vector<std::int32_t>& members) const;
  // Finds the points of each list that lie within reach of the other list's box on every axis (partnered_A,
  // or every_A_partnered when all do): a point beyond reach has no partner, and the grid need not hold it (two
  // molecules that touch at a face: a thin slab of each). The box, and with it every cell and the order of the
  // contacts, stays that of all the points.
  void choose_partnered();
  std::vector<std::uint32_t> partnered_A, partnered_B;
  bool every_A_partnered = true, every_B_partnered = true;
  // Each list's own box, from build_box.
  float low_A[3] = {0, 0, 0}, high_A[3] = {0, 0, 0}, low_B[3] = {0, 0, 0}, high_B[3] = {0, 0, 0};
  // Position of cell in occupied_B, or occupied_B.size() when it holds no list B point.
  std::size_t find_occupied_B(cell_index cell) const;
  // Whether a list B point can be a partner of a list A point in cell (i, j, k): B's occupied cells, widened
  // by the cells that far_reach can span (two, but for a cut-off below 2^-62), hold it.
  bool near_list_B(std::uint32_t i, std::uint32_t j, std::uint32_t k) const;
  // Compares the list A points of one cell with the list B points of the given cells and of the cells further
  // out, and calls found for each contact; far is scratch.
  // The members of the u-th occupied cell of a sparse box.
  static point_range occupied_members(const std::vector<std::int32_t>& members,
                                      const std::vector<std::uint32_t>& start, std::size_t u) {
    return {members.data() + start[u], members.data() + start[u + 1]};
  }
  // With self, only pairs whose b comes after a in cell order are measured (cell is a's cell).
  template <bool self, class Index, class Found>
  void search_cell(point_range in_A, cell_index cell, std::uint32_t i, std::uint32_t j, std::uint32_t k,
                   const Index* near, std::uint32_t n_near, std::vector<std::pair<std::int32_t, float>>& far,
                   Found& found) const;
  template <bool self, class Found>
  void search(Found& found) const;
  std::uint32_t occupied_min_B[3] = {0, 0, 0}, occupied_max_B[3] = {0, 0, 0};
  std::uint64_t occupied_margin_B = 2;
  // Sets far to the contacts of A point a, in cell (i, j, k), that lie beyond its neighbour cells, by B index.
  void far_partners(std::int32_t a, std::uint32_t i, std::uint32_t j, std::uint32_t k,
                    std::vector<std::pair<std::int32_t, float>>& far) const;
};

template <class Index>
std::uint32_t cell_list::neighbours_of(std::uint32_t i, std::uint32_t j, std::uint32_t k, Index* list) const {
  // The bound tests are on floats, exact while an axis has at most max_cells_per_axis cells.
  std::uint32_t count = 0;
  for (std::int32_t a = static_cast<std::int32_t>(i) - 1; a <= static_cast<std::int32_t>(i) + 1; ++a) {
    if (!between(static_cast<float>(a), 1.0f, static_cast<float>(cells_x))) continue;
    for (std::int32_t b = static_cast<std::int32_t>(j) - 1; b <= static_cast<std::int32_t>(j) + 1; ++b) {
      if (!between(static_cast<float>(b), 1.0f, static_cast<float>(cells_y))) continue;
      for (std::int32_t d = static_cast<std::int32_t>(k) - 1; d <= static_cast<std::int32_t>(k) + 1; ++d) {
        if (!between(static_cast<float>(d), 1.0f, static_cast<float>(cells_z))) continue;
        list[count++] = static_cast<Index>(find_cell_index(static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b),
                                                           static_cast<std::uint32_t>(d)));
      }
    }
  }
  return count;
}

template <bool self, class Index, class Found>
void cell_list::search_cell(point_range in_A, cell_index cell, std::uint32_t i, std::uint32_t j, std::uint32_t k,
                            const Index* near, std::uint32_t n_near, std::vector<std::pair<std::int32_t, float>>& far,
                            Found& found) const {
  // Against itself, a cell meets only itself and the cells after it (the others met it already), and within
  // itself each point meets the points after it: both lists hold the same points in the same cell order. The
  // neighbours keep their order, which fixes the order of the contacts.
  point_range ranges[27];
  bool own[27];
  std::uint32_t n_ranges = 0;
  for (std::uint32_t m = 0; m < n_near; ++m) {
    if (self && near[m] < cell) continue;
    own[n_ranges] = self && near[m] == cell;
    ranges[n_ranges] = own[n_ranges] ? in_A : members_B(near[m]);
    if (ranges[n_ranges].first != ranges[n_ranges].last) ++n_ranges;  // an empty cell adds nothing
  }
  const float *x_b = bx(), *y_b = by(), *z_b = bz();
  for (const std::int32_t* place = in_A.first; place != in_A.last; ++place) {
    const std::int32_t a = *place;
    const auto ia = static_cast<std::uint32_t>(a);
    const float xa = x_A[ia], ya = y_A[ia], za = z_A[ia];
    for (std::uint32_t m = 0; m < n_ranges; ++m) {
      for (const std::int32_t* partner = own[m] ? place + 1 : ranges[m].first; partner != ranges[m].last; ++partner) {
        const auto ib = static_cast<std::uint32_t>(*partner);
        const float d = dist(xa, ya, za, x_b[ib], y_b[ib], z_b[ib]);
        if (d <= cutoff) found(a, *partner, d);
      }
    }
    far_partners(a, i, j, k, far);
    for (const auto& partner : far) {
      if (self) {
        const auto ib = static_cast<std::uint32_t>(partner.first);
        if (find_cell(x_b[ib], y_b[ib], z_b[ib]) < cell) continue;  // never the same cell: it lies beyond the block
      }
      found(a, partner.first, partner.second);
    }
  }
}

template <bool self, class Found>
void cell_list::search(Found& found) const {
  std::vector<std::pair<std::int32_t, float>> far;
  std::uint32_t i = 0, j = 0, k = 0;
  // A cell's neighbours come from its coordinates when it holds list A points: nothing is kept or touched for
  // the others.
  cell_index near[27];
  if (!sparse) {
    for (cell_index c = 1; c <= n_cells; ++c) {
      if (cell_fill_A[c] == 0) continue;
      if (poll) poll();
      revert2_3d(c, i, j, k);
      search_cell<self>(members_A(c), c, i, j, k, near, neighbours_of(i, j, k, near), far, found);
    }
    return;
  }
  for (std::size_t u = 0; u < occupied_A.size(); ++u) {
    if (poll) poll();
    revert2_3d(occupied_A[u], i, j, k);
    if (!near_list_B(i, j, k)) continue;
    search_cell<self>(occupied_members(cell_members_A, occupied_start_A, u), occupied_A[u], i, j, k, near,
                      neighbours_of(i, j, k, near), far, found);
  }
}

template <class Found>
void cell_list::for_each_contact(Found&& found) const {
  search<false>(found);
}

template <class Found>
void cell_list::for_each_self_contact(Found&& found) const {
  search<true>(found);
}
