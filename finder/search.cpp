#include <algorithm>

#include "cell_list.hpp"
#include "geometry.hpp"
#include "line_writer.hpp"

float cell_list::far_reach() const { return std::max(cutoff * (1.0f + 0x1p-20f), 0x1p-62f); }

std::int64_t cell_list::clamped_axis_cell(float delta, std::uint32_t n_axis) const {
  const float quotient = delta / cutoff;
  if (!(quotient >= 0.0f)) return 1;  // before the box; NaN only with an infinite cut-off, a grid of one cell
  if (!(quotient < static_cast<float>(n_axis))) return n_axis;
  return static_cast<std::int64_t>(quotient) + 1;
}

void cell_list::print(std::string out_file) {
  line_writer out(std::move(out_file));
  for_each_contact([&](std::int32_t a, std::int32_t b, float d) {
    out << labels_A[static_cast<std::uint32_t>(a)] << '\t' << labels_B[static_cast<std::uint32_t>(b)] << '\t' << d;
    out.end_line();
  });
  out.close();
}

// A cell comes from a rounded quotient, so two points just one cut-off apart along an axis, at a cell face,
// can land two cells apart while their float distance is still within the cut-off. The quotient is monotone
// in the coordinate, so the cells of x - reach and x + reach bound where any partner can lie; cells beyond the
// neighbour block are searched only when that bound reaches past it, which is rare. A float distance within
// the cut-off puts the points at most a few units in the last place further apart along each axis, unless a
// square fell below the normal floats (a separation under 2^-63), where rounding is coarse: reach covers both.
void cell_list::far_partners(std::int32_t a, std::uint32_t i, std::uint32_t j, std::uint32_t k,
                             std::vector<std::pair<std::int32_t, float>>& far) const {
  far.clear();
  const float reach = far_reach();
  const auto ia = static_cast<std::uint32_t>(a);
  const float xa = x_A[ia], ya = y_A[ia], za = z_A[ia];
  const float *x_b = bx(), *y_b = by(), *z_b = bz();
  const std::int64_t lo_i = clamped_axis_cell(xa - reach - box_min_x, cells_x);
  const std::int64_t hi_i = clamped_axis_cell(xa + reach - box_min_x, cells_x);
  const std::int64_t lo_j = clamped_axis_cell(ya - reach - box_min_y, cells_y);
  const std::int64_t hi_j = clamped_axis_cell(ya + reach - box_min_y, cells_y);
  const std::int64_t lo_k = clamped_axis_cell(za - reach - box_min_z, cells_z);
  const std::int64_t hi_k = clamped_axis_cell(za + reach - box_min_z, cells_z);
  const std::int64_t ci = i, cj = j, ck = k;
  if (lo_i >= ci - 1 && hi_i <= ci + 1 && lo_j >= cj - 1 && hi_j <= cj + 1 && lo_k >= ck - 1 && hi_k <= ck + 1)
    return;
  const auto outside_block = [&](std::int64_t ni, std::int64_t nj, std::int64_t nk) {
    return !(ni >= ci - 1 && ni <= ci + 1 && nj >= cj - 1 && nj <= cj + 1 && nk >= ck - 1 && nk <= ck + 1);
  };
  const auto measure = [&](std::int32_t b) {
    const auto ib = static_cast<std::uint32_t>(b);
    const float d = dist(xa, ya, za, x_b[ib], y_b[ib], z_b[ib]);
    if (d <= cutoff) far.emplace_back(b, d);
  };
  const auto span = [](std::int64_t lo, std::int64_t hi) { return static_cast<std::uint64_t>(hi - lo + 1); };
  if (span(lo_i, hi_i) * span(lo_j, hi_j) * span(lo_k, hi_k) > n_points_B) {
    // A reach of many cells (only a cut-off below 2^-62, where squares round coarsely, gives one) would visit
    // more cells than list B has points: the points themselves are fewer to look at.
    for (std::uint32_t b = 0; b < n_points_B; ++b) {
      const std::int64_t ni = axis_cell(x_b[b] - box_min_x), nj = axis_cell(y_b[b] - box_min_y),
                         nk = axis_cell(z_b[b] - box_min_z);
      if (ni >= lo_i && ni <= hi_i && nj >= lo_j && nj <= hi_j && nk >= lo_k && nk <= hi_k && outside_block(ni, nj, nk))
        measure(static_cast<std::int32_t>(b));
    }
  } else {
    for (std::int64_t nk = lo_k; nk <= hi_k; ++nk)
      for (std::int64_t nj = lo_j; nj <= hi_j; ++nj)
        for (std::int64_t ni = lo_i; ni <= hi_i; ++ni) {
          if (!outside_block(ni, nj, nk)) continue;
          for (const std::int32_t b : members_B(find_cell_index(static_cast<std::uint32_t>(ni), static_cast<std::uint32_t>(nj),
                                                                static_cast<std::uint32_t>(nk))))
            measure(b);
        }
  }
  std::sort(far.begin(), far.end());
}
