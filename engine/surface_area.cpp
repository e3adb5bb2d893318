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

// A neighbour of an atom as its points are tested: its centre relative to the atom, its covering radius
// squared, its group.
struct neighbour {
  double dx, dy, dz, reach2;
  std::uint32_t group;
  bool operator<(const neighbour& other) const { return group < other.group; }
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
  const cell_list grid = cell_list::for_points(reach, set, set);
  grid.for_each_contact([&](std::int32_t a, std::int32_t b, float) {
    if (a == b) return;
    const auto i = static_cast<std::size_t>(a), j = static_cast<std::size_t>(b);
    if (atoms.radius[i] <= 0 || atoms.radius[j] <= 0) return;
    const double dx = atoms.x[j] - atoms.x[i], dy = atoms.y[j] - atoms.y[i], dz = atoms.z[j] - atoms.z[i];
    const double sum = atoms.radius[i] + atoms.radius[j] + 2 * probe;
    if (dx * dx + dy * dy + dz * dz < sum * sum) near[i].push_back(static_cast<std::uint32_t>(j));
  });

  std::vector<neighbour> own, others;
  std::vector<std::uint32_t> counts;
  for (std::size_t i = 0; i < n; ++i) {
    const double r = atoms.radius[i];
    if (r <= 0) continue;
    const double sphere = r + probe;
    own.clear(), others.clear();
    for (std::uint32_t j : near[i]) {
      const double reach_j = atoms.radius[j] + probe;
      const neighbour nb{atoms.x[j] - atoms.x[i], atoms.y[j] - atoms.y[i], atoms.z[j] - atoms.z[i], reach_j * reach_j,
                         atoms.group[j]};
      (atoms.group[j] == atoms.group[i] ? own : others).push_back(nb);
    }
    std::stable_sort(others.begin(), others.end());
    counts.assign(others.size(), 0);  // points buried, at the first neighbour of each group
    std::size_t accessible = 0, last = 0;
    for (int k = 0; k < points; ++k) {
      const double px = unit[3 * k] * sphere, py = unit[3 * k + 1] * sphere, pz = unit[3 * k + 2] * sphere;
      const auto covers = [&](const neighbour& nb) {
        const double dx = px - nb.dx, dy = py - nb.dy, dz = pz - nb.dz;
        return dx * dx + dy * dy + dz * dz < nb.reach2;
      };
      // The neighbour that covered the last point most likely covers this one too.
      bool covered = !own.empty() && covers(own[last]);
      for (std::size_t m = 0; !covered && m < own.size(); ++m)
        if (covers(own[m])) covered = true, last = m;
      if (covered) continue;
      ++accessible;
      for (std::size_t m = 0; m < others.size();) {
        std::size_t end = m;
        while (end < others.size() && others[end].group == others[m].group) ++end;
        for (std::size_t q = m; q < end; ++q)
          if (covers(others[q])) {
            ++counts[m];
            break;
          }
        m = end;
      }
    }
    const double per_point = 4 * M_PI * sphere * sphere / points;
    alone_[i] = per_point * static_cast<double>(accessible);
    for (std::size_t m = 0; m < others.size(); ++m)
      if (counts[m] > 0) buried_[i].emplace_back(others[m].group, per_point * counts[m]);
  }
}

double surface_areas::buried_by(std::size_t atom, std::uint32_t group) const {
  for (const auto& [g, area] : buried_[atom])
    if (g == group) return area;
  return 0;
}
