#include "grouping.hpp"

#include <algorithm>
#include <limits>
#include <string>

#include "contact_line.hpp"
#include "error.hpp"

void contact_groups::add_numbered(const contact_label& one, std::uint32_t residue_one, std::uint32_t atom_one,
                                  const contact_label& two, std::uint32_t residue_two, std::uint32_t atom_two,
                                  float distance, std::int32_t order) {
  const std::uint64_t given = (std::uint64_t{residue_one} << 32) | residue_two;
  if (given != last_given_) {
    const bool in_order = one.id < two.id;
    const contact_label& first = in_order ? one : two;
    const contact_label& second = in_order ? two : one;
    const std::uint64_t key = in_order ? given : (std::uint64_t{residue_two} << 32) | residue_one;
    const auto [place, created] = record_of.try_emplace(key, static_cast<std::uint32_t>(records.size()));
    if (created) {
      records.emplace_back();
      records.back().set_id({first.id, second.id});
      records.back().set_type({first.type, second.type});
    }
    last_given_ = given;
    last_in_order_ = in_order;
    last_ = &records[place->second];
  }
  last_->feed({distance, order}, last_in_order_ ? atom_pair{atom_one, atom_two} : atom_pair{atom_two, atom_one});
}

void group_contacts(const text_file& input, contact_groups& groups) {
  require_text(input.name, input.bytes);
  std::int32_t n_contacts = 0;
  for_each_line(input.bytes, [&](std::string_view line, std::size_t number) {
    const contact_line contact = parse_contact_line(input.name, number, line);
    if (n_contacts == std::numeric_limits<std::int32_t>::max())
      fail_at(input.name, number, "more than " + std::to_string(n_contacts) + " contacts");
    ++n_contacts;
    groups.add(contact.first, contact.second, contact.distance, n_contacts);
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
