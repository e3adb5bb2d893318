// Small point lists for the search: a cell_list holding them, the brute-force pairs, and the search checked.
#pragma once

#include <algorithm>
#include <array>
#include <set>
#include <tuple>
#include <vector>

#include "cell_list.hpp"
#include "geometry.hpp"

using points = std::vector<std::array<float, 3>>;

inline point_set as_point_set(const points& list) {
  point_set set;
  for (const auto& p : list) set.x.push_back(p[0]), set.y.push_back(p[1]), set.z.push_back(p[2]);
  return set;
}

// The points loaded, before the box: the caller builds it (and may see it refused).
inline cell_list holding(float cutoff, const points& A, const points& B) {
  cell_list grid;
  grid.set_cutoff(cutoff);
  grid.load_points(as_point_set(A), as_point_set(B));
  return grid;
}

using pair_set = std::set<std::pair<std::int32_t, std::int32_t>>;

// Every pair, measured as the search measures it.
inline pair_set brute_force(float cutoff, const points& A, const points& B) {
  pair_set pairs;
  for (std::int32_t a = 0; a < static_cast<std::int32_t>(A.size()); ++a)
    for (std::int32_t b = 0; b < static_cast<std::int32_t>(B.size()); ++b)
      if (dist(A[a][0], A[a][1], A[a][2], B[b][0], B[b][1], B[b][2]) <= cutoff) pairs.emplace(a, b);
  return pairs;
}

// The pairs the built grid reports; check(ok, a, b) hears whether each one comes once, with the distance dist
// gives, in the documented order: by A's cell, A index, the place of B's cell in the neighbour list (a cell
// further out after all of them), B index.
template <class Check>
pair_set searched(const cell_list& grid, const points& A, const points& B, Check&& check) {
  pair_set pairs;
  std::tuple<cell_index, std::int32_t, std::size_t, std::int32_t> last{0, -1, 0, -1};
  // Every point with a partner is listed in its own cell, in both the dense and the sparse box (an empty list
  // makes no box); the others may be left out.
  std::set<std::int32_t> partnered;
  for (const auto& pair : brute_force(grid.cut_off(), A, B)) partnered.insert(pair.first);
  for (const std::int32_t a : partnered) {
    const point_range in = grid.members_A(grid.find_cell(A[a][0], A[a][1], A[a][2]));
    check(std::find(in.begin(), in.end(), a) != in.end(), a, -1);
  }
  grid.for_each_contact([&](std::int32_t a, std::int32_t b, float d) {
    const cell_index cell_A = grid.find_cell(A[a][0], A[a][1], A[a][2]);
    cell_index near[27];
    const std::uint32_t n_near = grid.build_neighbour_valid(cell_A, near);
    const auto place = static_cast<std::size_t>(std::find(near, near + n_near, grid.find_cell(B[b][0], B[b][1], B[b][2])) - near);
    const auto key = std::make_tuple(cell_A, a, place, b);
    check(pairs.emplace(a, b).second && d == dist(A[a][0], A[a][1], A[a][2], B[b][0], B[b][1], B[b][2]) && last < key, a, b);
    last = key;
  });
  return pairs;
}
