#include "grouping.hpp"

#include <algorithm>
#include <limits>
#include <string>

#include "contact_line.hpp"
#include "error.hpp"

void group_contacts(const text_file& input, contact_groups& groups) {
  require_text(input.name, input.bytes);
  std::int32_t n_contacts = 0;
  // Consecutive lines mostly share a residue pair; remembering the last record spares most map searches.
  std::uint64_t last_key = UINT64_MAX;
  inter_residue* last = nullptr;
  for_each_line(input.bytes, [&](std::string_view line, std::size_t number) {
    const contact_line contact = parse_contact_line(input.name, number, line);
    const contact_label& one = contact.first;
    const contact_label& two = contact.second;
    const float distance = contact.distance;
    if (n_contacts == std::numeric_limits<std::int32_t>::max())
      fail_at(input.name, number, "more than " + std::to_string(n_contacts) + " contacts");
    ++n_contacts;

    const bool in_order = one.id < two.id;
    const contact_label& first = in_order ? one : two;
    const contact_label& second = in_order ? two : one;
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
