#include "grouping.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "error.hpp"
#include "number_text.hpp"
#include "split.hpp"

namespace {

struct label {
  std::string_view id, type, atom;
};

label parse_label(const text_file& input, std::size_t line, std::string_view text) {
  std::string_view parts[3];
  if (split_first(text, ':', parts, 3) < 3)
    fail_at(input.name, line, "label '" + std::string(text) + "' is not of the form residue:type:atom");
  return {parts[0], parts[1], parts[2]};
}

}  // namespace

void group_contacts(const text_file& input, record_map& records) {
  std::string_view fields[3];
  std::int32_t n_contacts = 0;
  // Consecutive lines mostly share a residue pair; remembering the last record spares most map searches.
  inter_residue* last = nullptr;
  for_each_line(input.bytes, [&](std::string_view line, std::size_t number) {
    const std::size_t n_fields = split_first(line, '\t', fields, 3);
    if (n_fields < 3)
      fail_at(input.name, number,
              "expected two labels and a distance, found " + std::to_string(n_fields) + (n_fields == 1 ? " field" : " fields"));
    const label one = parse_label(input, number, fields[0]);
    const label two = parse_label(input, number, fields[1]);
    const float distance = read_float(fields[2]);
    if (std::isnan(distance)) {
      std::string_view text = fields[2];
      while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) text.remove_suffix(1);
      fail_at(input.name, number, "distance '" + std::string(text) + "' is not a number");
    }
    if (n_contacts == std::numeric_limits<std::int32_t>::max())
      fail_at(input.name, number, "more than " + std::to_string(n_contacts) + " contacts");
    ++n_contacts;

    const bool in_order = one.id < two.id;
    const label& first = in_order ? one : two;
    const label& second = in_order ? two : one;
    const residue_key key{first.id, second.id};
    if (last == nullptr || last->id_first != key.first || last->id_second != key.second) {
      auto [place, created] = records.try_emplace(key);
      last = &place->second;
      if (created) {
        last->set_id(key);
        last->set_type({first.type, second.type});
      }
    }
    last->feed({distance, n_contacts}, {first.atom, second.atom});
  });
}

std::vector<inter_residue*> in_key_order(record_map& records) {
  std::vector<std::pair<residue_key, inter_residue*>> keyed;
  keyed.reserve(records.size());
  for (auto& entry : records) keyed.emplace_back(entry.first, &entry.second);
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<inter_residue*> ordered;
  ordered.reserve(keyed.size());
  for (const auto& entry : keyed) ordered.push_back(entry.second);
  return ordered;
}
