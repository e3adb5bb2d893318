// A cell_list holding two small point lists, the cut-off set, and nothing built yet.
#pragma once

#include <array>
#include <vector>

#include "cell_list.hpp"

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
