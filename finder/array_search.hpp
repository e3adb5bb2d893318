// The search on points held in memory as n x 3 arrays (the Python module's input): the pairs as columns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

struct contact_columns {
  std::vector<std::int64_t> i, j;  // indexes into the first and second array (or both into the one array)
  std::vector<float> distance;
};

// Every point of a (n_a rows of x, y, z, row-major) against every point of b within cutoff: the pairs, order
// and distances of pairsweep on the same points. Throws run_error for a coordinate that is not finite (naming
// the array as "a" or "b" and the row), more points than the search indexes, or a cut-off that is not positive.
// poll, when given, is the grid's: called now and then, it may stop the search by throwing.
contact_columns search_arrays(const float* a, std::size_t n_a, const float* b, std::size_t n_b, float cutoff,
                              const std::function<void()>& poll = {});

// Every unordered pair of distinct points of a within cutoff, once, as i < j, ordered by i, then j.
contact_columns search_self_array(const float* a, std::size_t n, float cutoff, const std::function<void()>& poll = {});
