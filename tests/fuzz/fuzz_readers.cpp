// Arbitrary bytes as a coordinate list, a contact list (read and grouped by pairsift's rules) and pairmap's
// input (read, laid out and drawn): points, a picture or a clean error, never a crash, a hang or a bad read.
// Built three times, with FUZZ_COORDINATES, FUZZ_CONTACTS or FUZZ_MAP.
#include <cmath>
#include <string>
#include <vector>

#include "error.hpp"
#include "fuzz_checks.hpp"
#include "text_file.hpp"
#if defined(FUZZ_COORDINATES)
#include "coordinate_list.hpp"
#elif defined(FUZZ_CONTACTS)
#include "grouping.hpp"
#include "line_writer.hpp"
#else
#include "contact_map.hpp"
#include "svg_map.hpp"
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const text_file input{"in", std::string(reinterpret_cast<const char*>(data), size)};
  try {
#if defined(FUZZ_COORDINATES)
    const auto n = static_cast<std::size_t>(line_count(input));
    std::vector<std::string_view> labels(n);
    std::vector<float> xs(n), ys(n), zs(n);
    read_3dvector(input, "\t", labels.data(), xs.data(), ys.data(), zs.data());
    for (std::size_t i = 0; i < n; ++i) FUZZ_CHECK(std::isfinite(xs[i]) && std::isfinite(ys[i]) && std::isfinite(zs[i]));
#elif defined(FUZZ_CONTACTS)
    contact_groups groups;
    group_contacts(input, groups);
    line_writer out("/dev/null");
    groups.write(out);
    out.close();
#else
    contact_map map;
    for_each_line(input.bytes, [&](std::string_view line, std::size_t number) { add_contact_line(map, "in", number, line); });
    const std::vector<map_cell> cells = map.ordered_cells();
    map_style style;
    style.title = "fuzz";
    const std::string svg = draw_svg(map, cells, style);
    // Valid UTF-8 without control characters but the line ends: text XML takes.
    for (std::size_t i = 0; i < svg.size(); ++i) {
      const auto c = static_cast<unsigned char>(svg[i]);
      if (c < 0x80) {
        FUZZ_CHECK(c == '\n' || (c >= 0x20 && c < 0x7f));
        continue;
      }
      const std::size_t n = c >= 0xf0 ? 4 : c >= 0xe0 ? 3 : 2;
      FUZZ_CHECK(c >= 0xc2 && c <= 0xf4 && i + n <= svg.size());
      for (std::size_t k = 1; k < n; ++k) FUZZ_CHECK((static_cast<unsigned char>(svg[i + k]) & 0xc0) == 0x80);
      i += n - 1;
    }
#endif
  } catch (const run_error& e) {
    check_message(e.what());
  }
  return 0;
}
