#include "array_search.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <string>
#include <utility>

#include "cell_list.hpp"
#include "error.hpp"

namespace {

// The rows as the grid holds them: one array per axis, unlabelled.
point_set columns_of(const float* xyz, std::size_t n, const char* name) {
  if (n > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    fail(std::string(name) + ": more than " + std::to_string(std::numeric_limits<std::int32_t>::max()) + " points");
  point_set points;
  points.x.resize(n), points.y.resize(n), points.z.resize(n);
  for (std::size_t p = 0; p < n; ++p) {
    const float* row = xyz + 3 * p;
    if (!std::isfinite(row[0]) || !std::isfinite(row[1]) || !std::isfinite(row[2]))
      fail(std::string(name) + ": row " + std::to_string(p) + " has a coordinate that is not a finite number");
    points.x[p] = row[0], points.y[p] = row[1], points.z[p] = row[2];
  }
  return points;
}

}  // namespace

contact_columns search_arrays(const float* a, std::size_t n_a, const float* b, std::size_t n_b, float cutoff,
                              const std::function<void()>& poll) {
  cell_list grid = cell_list::for_points(cutoff, columns_of(a, n_a, "a"), columns_of(b, n_b, "b"));
  grid.poll = poll;
  contact_columns found;
  grid.for_each_contact([&](std::int32_t i, std::int32_t j, float d) {
    found.i.push_back(i);
    found.j.push_back(j);
    found.distance.push_back(d);
  });
  return found;
}

contact_columns search_self_array(const float* a, std::size_t n, float cutoff, const std::function<void()>& poll) {
  point_set points = columns_of(a, n, "a");
  point_set same = points;
  cell_list grid = cell_list::for_points(cutoff, std::move(points), std::move(same));
  grid.poll = poll;
  // The search gives each pair once in its own order; a counting sort on the smaller index, then each point's
  // few partners sorted, gives the order by i, then j.
  std::vector<std::pair<std::int32_t, std::int32_t>> pairs;
  std::vector<float> distances;
  std::vector<std::int64_t> start(n + 1, 0);
  grid.for_each_self_contact([&](std::int32_t i, std::int32_t j, float d) {
    pairs.emplace_back(std::min(i, j), std::max(i, j));
    distances.push_back(d);
    ++start[static_cast<std::size_t>(pairs.back().first) + 1];
  });
  std::partial_sum(start.begin(), start.end(), start.begin());
  const std::size_t m = pairs.size();
  std::vector<std::pair<std::int32_t, float>> partners(m);
  std::vector<std::int64_t> next(start.begin(), start.end() - 1);
  for (std::size_t p = 0; p < m; ++p)
    partners[static_cast<std::size_t>(next[static_cast<std::size_t>(pairs[p].first)]++)] = {pairs[p].second, distances[p]};
  std::vector<std::pair<std::int32_t, std::int32_t>>().swap(pairs);
  std::vector<float>().swap(distances);
  contact_columns found;
  found.i.resize(m), found.j.resize(m), found.distance.resize(m);
  for (std::size_t i = 0; i < n; ++i) {
    const auto first = partners.begin() + start[i], last = partners.begin() + start[i + 1];
    std::sort(first, last, [](const auto& x, const auto& y) { return x.first < y.first; });
    for (auto p = first; p != last; ++p) {
      const auto row = static_cast<std::size_t>(p - partners.begin());
      found.i[row] = static_cast<std::int64_t>(i);
      found.j[row] = p->first;
      found.distance[row] = p->second;
    }
  }
  return found;
}
