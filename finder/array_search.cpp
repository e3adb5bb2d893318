#include "array_search.hpp"

#include <malloc.h>

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
  // Two passes of the search, so that nothing but the output grows with the pairs: the first counts each point's
  // partners of higher index, the second puts every pair in its place (ordered by i), then each point's few
  // partners are sorted by j. The grid is gone before the caller takes the columns.
  contact_columns found;
  std::vector<std::uint32_t> next(n + 1, 0);
  {
    cell_list grid = cell_list::for_self_points(cutoff, columns_of(a, n, "a"));
    grid.poll = poll;
    grid.for_each_self_contact([&](std::int32_t i, std::int32_t j, float) {
      ++next[static_cast<std::size_t>(std::min(i, j)) + 1];
    });
    std::uint64_t total = 0;
    for (std::size_t p = 1; p <= n; ++p) total += next[p];
    if (total > UINT32_MAX) fail("more than " + std::to_string(UINT32_MAX) + " pairs");
    std::partial_sum(next.begin(), next.end(), next.begin());
    // The i column only after the grid is gone: it needs nothing but the counts.
    found.j.resize(total), found.distance.resize(total);
    grid.for_each_self_contact([&](std::int32_t i, std::int32_t j, float d) {
      const std::uint32_t row = next[static_cast<std::size_t>(std::min(i, j))]++;
      found.j[row] = std::max(i, j);
      found.distance[row] = d;
    });
  }
  // The grid's pages go back to the system before the i column takes its own (glibc keeps freed pages else).
  ::malloc_trim(0);
  // next[p] is now where point p's partners end, and so where those of p + 1 start.
  found.i.resize(found.j.size());
  std::uint32_t first = 0;
  for (std::size_t p = 0; p < n; ++p) {
    const std::uint32_t last = next[p];
    if (last - first > 32) {
      // Many points on one spot: a sort of the point's (j, distance) pairs.
      std::vector<std::pair<std::int64_t, float>> partners;
      for (std::uint32_t r = first; r < last; ++r) partners.emplace_back(found.j[r], found.distance[r]);
      std::sort(partners.begin(), partners.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
      for (std::uint32_t r = first; r < last; ++r) found.j[r] = partners[r - first].first, found.distance[r] = partners[r - first].second;
    }
    // A point has a few partners: an insertion sort by j, carrying the distance along.
    for (std::uint32_t r = first + 1; r < last; ++r) {
      const std::int64_t j = found.j[r];
      const float d = found.distance[r];
      std::uint32_t q = r;
      for (; q > first && found.j[q - 1] > j; --q) found.j[q] = found.j[q - 1], found.distance[q] = found.distance[q - 1];
      found.j[q] = j, found.distance[q] = d;
    }
    std::fill(found.i.begin() + first, found.i.begin() + last, static_cast<std::int64_t>(p));
    first = last;
  }
  return found;
}
