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

inline cell_list holding(float cutoff, const points& A, const points& B) {
  cell_list grid;
  grid.cutoff = cutoff;
  grid.n_points_A = static_cast<std::uint32_t>(A.size());
  grid.n_points_B = static_cast<std::uint32_t>(B.size());
  for (const auto& p : A) grid.x_A.push_back(p[0]), grid.y_A.push_back(p[1]), grid.z_A.push_back(p[2]);
  for (const auto& p : B) grid.x_B.push_back(p[0]), grid.y_B.push_back(p[1]), grid.z_B.push_back(p[2]);
  grid.point_cell_A.resize(A.size());
  grid.point_cell_B.resize(B.size());
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
  for (const auto& pair : brute_force(grid.cutoff, A, B)) partnered.insert(pair.first);
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
