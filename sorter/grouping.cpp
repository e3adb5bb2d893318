#include "grouping.hpp"

#include <algorithm>
#include <limits>
#include <string>

#include "contact_line.hpp"
#include "error.hpp"
#include "hashing.hpp"

void contact_groups::add_numbered(const contact_label& one, std::uint32_t residue_one, std::uint32_t atom_one,
                                  const contact_label& two, std::uint32_t residue_two, std::uint32_t atom_two,
                                  float distance, std::int32_t order) {
  const std::uint64_t given = (std::uint64_t{residue_one} << 32) | residue_two;
  if (given != last_given_) {
    const bool in_order = one.id < two.id;
    const contact_label& first = in_order ? one : two;
    const contact_label& second = in_order ? two : one;
    const std::uint64_t key = in_order ? given : (std::uint64_t{residue_two} << 32) | residue_one;
    last_given_ = given;
    last_in_order_ = in_order;
    last_ = &records[record_of(key, first, second)];
  }
  last_->feed({distance, order}, last_in_order_ ? atom_pair{atom_one, atom_two} : atom_pair{atom_two, atom_one});
}

std::uint32_t contact_groups::record_of(std::uint64_t key, const contact_label& first, const contact_label& second) {
  std::size_t mask = record_slots_.size() - 1;
  std::size_t slot = slot_of(key, mask);
  for (; record_slots_[slot] != 0; slot = (slot + 1) & mask)
    if (record_keys[record_slots_[slot] - 1] == key) return record_slots_[slot] - 1;
  // A new residue pair: its record keeps the labels' identifiers and types.
  const auto number = static_cast<std::uint32_t>(records.size());
  records.emplace_back();
  records.back().set_id({first.id, second.id});
  records.back().set_type({first.type, second.type});
  record_keys.push_back(key);
  record_slots_[slot] = number + 1;
  if (2 * records.size() > record_slots_.size()) {
    record_slots_.assign(2 * record_slots_.size(), 0);
    mask = record_slots_.size() - 1;
    for (std::uint32_t r = 0; r < record_keys.size(); ++r) {
      std::size_t s = slot_of(record_keys[r], mask);
      while (record_slots_[s] != 0) s = (s + 1) & mask;
      record_slots_[s] = r + 1;
    }
  }
  return number;
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
  for (std::uint32_t r = 0; r < record_keys.size(); ++r)
    keyed.emplace_back((rank[record_keys[r] >> 32] << 32) | rank[record_keys[r] & 0xffffffffu], r);
  std::sort(keyed.begin(), keyed.end());
  std::vector<inter_residue*> ordered;
  ordered.reserve(keyed.size());
  for (const auto& entry : keyed) ordered.push_back(&records[entry.second]);
  return ordered;
}

void contact_groups::write(line_writer& out) {
  for (inter_residue* record : in_key_order()) record->sort_n_print(out, atoms);
}
