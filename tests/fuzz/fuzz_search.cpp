// Differential: arbitrary bytes decoded into two small point lists and a cut-off; pairsweep's search against a
// single-precision brute-force scan in the same process: the same pairs, each once, with the same distances,
// in the documented order.
#include <cmath>

#include "error.hpp"
#include "fuzz_checks.hpp"
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

  const pair_set found = searched(grid, A, B, [](bool ok, std::int32_t, std::int32_t) { FUZZ_CHECK(ok); });
  FUZZ_CHECK(found == brute_force(cutoff, A, B));
  return 0;
}
