#include "surface_area.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "cell_list.hpp"
#include "error.hpp"

std::vector<double> sphere_points(int n) {
  // The golden angle's cosine and sine, turned by one multiplication each step rather than taken from the
  // library's cos and sin, whose last bit may differ between machines.
  const double turn_cos = -0.73736887807831974, turn_sin = 0.67549029426152363;
  std::vector<double> points;
  points.reserve(3 * static_cast<std::size_t>(n));
  double c = 1, s = 0;
  for (int k = 0; k < n; ++k) {
    const double z = 1 - (2.0 * k + 1) / n;
    const double r = std::sqrt(1 - z * z);
    points.push_back(r * c), points.push_back(r * s), points.push_back(z);
    const double next_c = c * turn_cos - s * turn_sin;
    s = s * turn_cos + c * turn_sin;
    c = next_c;
  }
  return points;
}

namespace {

// The neighbours of one atom as its points are tested, each column apart so that a block of them is tested at
// once: centres relative to the atom, covering radii squared, groups.
struct neighbours {
  std::vector<float> dx, dy, dz, reach2;
  std::vector<std::uint32_t> group;
  void clear() { dx.clear(), dy.clear(), dz.clear(), reach2.clear(), group.clear(); }
  void add(double x, double y, double z, double r2, std::uint32_t g) {
    dx.push_back(static_cast<float>(x)), dy.push_back(static_cast<float>(y)), dz.push_back(static_cast<float>(z));
    reach2.push_back(static_cast<float>(r2)), group.push_back(g);
  }
  std::size_t size() const { return dx.size(); }
  // Whether any of [begin, end) covers the point: blocks of eight without a branch inside, which the compiler
  // turns into vector instructions.
  bool any_covers(float px, float py, float pz, std::size_t begin, std::size_t end) const {
    constexpr std::size_t block = 8;
    std::size_t m = begin;
    for (; m + block <= end; m += block) {
      int hits = 0;
      for (std::size_t q = m; q < m + block; ++q) {
        const float x = px - dx[q], y = py - dy[q], z = pz - dz[q];
        hits += x * x + y * y + z * z < reach2[q];
      }
      if (hits) return true;
    }
    for (; m < end; ++m) {
      const float x = px - dx[m], y = py - dy[m], z = pz - dz[m];
      if (x * x + y * y + z * z < reach2[m]) return true;
    }
    return false;
  }
};

}  // namespace

surface_areas::surface_areas(const area_atoms& atoms, double probe, int points) {
  if (points < 1 || points > 100000) fail("points a sphere must be from 1 to 100000, not " + std::to_string(points));
  if (!(probe >= 0) || !std::isfinite(probe)) fail("the probe radius must be a non-negative number");
  const std::size_t n = atoms.size();
  alone_.assign(n, 0);
  buried_.assign(n, {});
  if (n == 0) return;
  const std::vector<double> unit = sphere_points(points);
  double largest = 0;
  for (double r : atoms.radius) largest = std::max(largest, r);

  // Every pair of atoms whose probe spheres overlap, from one search of the cell grid.
  point_set set;
  set.labels.assign(n, std::string_view());
  set.x.resize(n), set.y.resize(n), set.z.resize(n);
  for (std::size_t i = 0; i < n; ++i)
    set.x[i] = static_cast<float>(atoms.x[i]), set.y[i] = static_cast<float>(atoms.y[i]), set.z[i] = static_cast<float>(atoms.z[i]);
  // A little beyond the largest reach, so that a pair the float coordinates put just past it is still found;
  // the exact test below is in double.
  const float reach = static_cast<float>(2 * (largest + probe)) + 0.01f;
  std::vector<std::vector<std::uint32_t>> near(n);
  const cell_list grid = cell_list::for_self_points(reach, std::move(set));
  grid.for_each_contact([&](std::int32_t a, std::int32_t b, float) {
    if (a == b) return;
    const auto i = static_cast<std::size_t>(a), j = static_cast<std::size_t>(b);
    if (atoms.radius[i] <= 0 || atoms.radius[j] <= 0) return;
    const double dx = atoms.x[j] - atoms.x[i], dy = atoms.y[j] - atoms.y[i], dz = atoms.z[j] - atoms.z[i];
    const double sum = atoms.radius[i] + atoms.radius[j] + 2 * probe;
    if (dx * dx + dy * dy + dz * dz < sum * sum) near[i].push_back(static_cast<std::uint32_t>(j));
  });

  neighbours own, others;
  std::vector<std::pair<double, std::uint32_t>> order;  // own neighbours by distance: the closest cover most
  std::vector<std::uint32_t> sorted;
  std::vector<std::size_t> runs;  // where each group's run of others begins, and the end
  std::vector<std::uint32_t> counts;
  const std::vector<float> unit_f(unit.begin(), unit.end());
  for (std::size_t i = 0; i < n; ++i) {
    const double r = atoms.radius[i];
    if (r <= 0) continue;
    const double sphere = r + probe;
    own.clear(), others.clear(), order.clear(), sorted.clear(), runs.clear();
    for (std::uint32_t j : near[i]) {
      const double dx = atoms.x[j] - atoms.x[i], dy = atoms.y[j] - atoms.y[i], dz = atoms.z[j] - atoms.z[i];
      if (atoms.group[j] == atoms.group[i])
        order.emplace_back(dx * dx + dy * dy + dz * dz, j);
      else
        sorted.push_back(j);
    }
    std::sort(order.begin(), order.end());
    for (const auto& [distance2, j] : order) {
      const double reach_j = atoms.radius[j] + probe;
      own.add(atoms.x[j] - atoms.x[i], atoms.y[j] - atoms.y[i], atoms.z[j] - atoms.z[i], reach_j * reach_j, atoms.group[j]);
    }
    std::stable_sort(sorted.begin(), sorted.end(), [&](std::uint32_t a, std::uint32_t b) { return atoms.group[a] < atoms.group[b]; });
    for (std::uint32_t j : sorted) {
      const double reach_j = atoms.radius[j] + probe;
      if (others.size() == 0 || atoms.group[j] != others.group.back()) runs.push_back(others.size());
      others.add(atoms.x[j] - atoms.x[i], atoms.y[j] - atoms.y[i], atoms.z[j] - atoms.z[i], reach_j * reach_j, atoms.group[j]);
    }
    runs.push_back(others.size());
    counts.assign(runs.size(), 0);
    std::size_t accessible = 0, last = 0;
    const auto s_f = static_cast<float>(sphere);
    for (int k = 0; k < points; ++k) {
      const float px = unit_f[3 * k] * s_f, py = unit_f[3 * k + 1] * s_f, pz = unit_f[3 * k + 2] * s_f;
      // The neighbour that covered the last point most likely covers this one too.
      if (last < own.size() && own.any_covers(px, py, pz, last, last + 1)) continue;
      bool covered = false;
      for (std::size_t m = 0; m < own.size() && !covered; m += 8) {
        const std::size_t end = std::min(own.size(), m + 8);
        if (own.any_covers(px, py, pz, m, end)) {
          covered = true;
          for (std::size_t q = m; q < end; ++q)
            if (own.any_covers(px, py, pz, q, q + 1)) {
              last = q;
              break;
            }
        }
      }
      if (covered) continue;
      ++accessible;
      for (std::size_t g = 0; g + 1 < runs.size(); ++g)
        if (others.any_covers(px, py, pz, runs[g], runs[g + 1])) ++counts[g];
    }
    const double per_point = 4 * M_PI * sphere * sphere / points;
    alone_[i] = per_point * static_cast<double>(accessible);
    for (std::size_t g = 0; g + 1 < runs.size(); ++g)
      if (counts[g] > 0) buried_[i].emplace_back(others.group[runs[g]], per_point * counts[g]);
  }
}

double surface_areas::buried_by(std::size_t atom, std::uint32_t group) const {
  for (const auto& [g, area] : buried_[atom])
    if (g == group) return area;
  return 0;
}
