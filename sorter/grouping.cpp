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
    fail_at(input.name, line, "label " + quoted(text) + " is not of the form residue:type:atom");
  return {parts[0], parts[1], parts[2]};
}

}  // namespace

void group_contacts(const text_file& input, contact_groups& groups) {
  std::string_view fields[3];
  std::int32_t n_contacts = 0;
  // Consecutive lines mostly share a residue pair; remembering the last record spares most map searches.
  std::uint64_t last_key = UINT64_MAX;
  inter_residue* last = nullptr;
  for_each_line(input.bytes, [&](std::string_view line, std::size_t number) {
    const std::size_t n_fields = split_first(line, '\t', fields, 3);
    if (n_fields < 3)
      fail_at(input.name, number, "expected two labels and a distance, found " + fields_found(n_fields));
    const label one = parse_label(input, number, fields[0]);
    const label two = parse_label(input, number, fields[1]);
    const float distance = read_float(fields[2]);
    if (std::isnan(distance)) fail_at(input.name, number, "distance " + quoted(fields[2]) + " is not a number");
    if (n_contacts == std::numeric_limits<std::int32_t>::max())
      fail_at(input.name, number, "more than " + std::to_string(n_contacts) + " contacts");
    ++n_contacts;

    const bool in_order = one.id < two.id;
    const label& first = in_order ? one : two;
    const label& second = in_order ? two : one;
    const std::uint64_t key =
        (std::uint64_t{groups.residues.intern(first.id)} << 32) | groups.residues.intern(second.id);
    if (key != last_key) {
      const auto [place, created] = groups.record_of.try_emplace(key, static_cast<std::uint32_t>(groups.records.size()));
      if (created) {
        groups.records.emplace_back();
        groups.records.back().set_id({first.id, second.id});
        groups.records.back().set_type({first.type, second.type});
      }
      last_key = key;
      last = &groups.records[place->second];
    }
    last->feed({distance, n_contacts}, {groups.atoms.intern(first.atom), groups.atoms.intern(second.atom)});
  });
}

std::vector<inter_residue*> contact_groups::in_key_order() {
  // Rank the residues by identifier once; records then order by two integers.
  std::vector<std::uint32_t> by_name(residues.size());
  for (std::uint32_t r = 0; r < by_name.size(); ++r) by_name[r] = r;
  std::sort(by_name.begin(), by_name.end(),
            [this](std::uint32_t a, std::uint32_t b) { return residues.name(a) < residues.name(b); });
  std::vector<std::uint64_t> rank(residues.size());
  for (std::uint32_t r = 0; r < by_name.size(); ++r) rank[by_name[r]] = r;

  std::vector<std::pair<std::uint64_t, std::uint32_t>> keyed;
  keyed.reserve(records.size());
  for (const auto& [key, index] : record_of) keyed.emplace_back((rank[key >> 32] << 32) | rank[key & 0xffffffffu], index);
  std::sort(keyed.begin(), keyed.end());
  std::vector<inter_residue*> ordered;
  ordered.reserve(keyed.size());
  for (const auto& entry : keyed) ordered.push_back(&records[entry.second]);
  return ordered;
}

void contact_groups::write(line_writer& out) {
  for (inter_residue* record : in_key_order()) record->sort_n_print(out, atoms);
}
