// Differential: arbitrary bytes decoded into two small point lists and a cut-off; pairsweep's search against a
// single-precision brute-force scan in the same process: the same pairs, each once, with the same distances,
// in the documented order.
#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>
#include <vector>

#include "error.hpp"
#include "fuzz_checks.hpp"
#include "geometry.hpp"
#include "grid_points.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_bytes in{data, size};
  static const float cutoffs[] = {0.5f, 1.0f, 1.5f, 2.5f, 4.0f, 3.7f, 1e-3f, 1e-22f};
  const float cutoff = cutoffs[in.next() % 8];
  points A(in.next() % 24), B(in.next() % 24);
  // Quarter cut-offs, some nudged by a few units in the last place: points on cell faces, at the box maximum,
  // exactly one cut-off apart, and far apart all come up.
  for (auto* list : {&A, &B})
    for (auto& p : *list)
      for (float& v : p) {
        v = static_cast<float>(static_cast<std::int16_t>(in.next16())) * (cutoff / 4);
        for (int nudge = in.next() % 8 - 4; nudge != 0; nudge += nudge < 0 ? 1 : -1)
          v = std::nextafter(v, nudge < 0 ? -1e30f : 1e30f);
      }
  cell_list grid = holding(cutoff, A, B);
  try {
    grid.build_box();
  } catch (const run_error& e) {
    check_message(e.what());
    return 0;
  }
  grid.assign_points();

  std::set<std::pair<std::int32_t, std::int32_t>> found, expected;
  std::tuple<cell_index, std::int32_t, std::size_t, std::int32_t> last{0, -1, 0, -1};
  grid.for_each_contact([&](std::int32_t a, std::int32_t b, float d) {
    FUZZ_CHECK(found.emplace(a, b).second);
    FUZZ_CHECK(d == dist(A[a][0], A[a][1], A[a][2], B[b][0], B[b][1], B[b][2]));
    // By A's cell, A index, place of B's cell in the neighbour list (27: a cell further out), B index.
    const cell_index cell_A = grid.find_cell(A[a][0], A[a][1], A[a][2]);
    cell_index near[27];
    const std::uint32_t n_near = grid.build_neighbour_valid(cell_A, near);
    const std::size_t place = static_cast<std::size_t>(
        std::find(near, near + n_near, grid.find_cell(B[b][0], B[b][1], B[b][2])) - near);
    const auto key = std::make_tuple(cell_A, a, place == n_near ? 27 : place, b);
    FUZZ_CHECK(last < key);
    last = key;
  });
  for (std::int32_t a = 0; a < static_cast<std::int32_t>(A.size()); ++a)
    for (std::int32_t b = 0; b < static_cast<std::int32_t>(B.size()); ++b)
      if (dist(A[a][0], A[a][1], A[a][2], B[b][0], B[b][1], B[b][2]) <= cutoff) expected.emplace(a, b);
  FUZZ_CHECK(found == expected);
  return 0;
}
