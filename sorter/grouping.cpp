#include "grouping.hpp"

#include <algorithm>
#include <limits>
#include <string>

#include "contact_line.hpp"
#include "error.hpp"
#include "huge_pages.hpp"

namespace {

// The slot key of a residue pair: its two numbers, the smaller in the high half, whichever the line's order.
std::uint64_t unordered_key(std::uint64_t pair) {
  const std::uint64_t high = pair >> 32, low = pair & 0xffffffffu;
  return high < low ? pair : (low << 32) | high;
}

}  // namespace

contact_groups::recent_record contact_groups::find_record(const contact_label& one, const contact_label& two,
                                                          std::uint64_t given) {
  const auto next = static_cast<std::uint32_t>(records.size());
  const std::uint32_t record = record_index_.find_or_add(unordered_key(given), next);
  // The residues' order by identifier is settled when the record is made: a line gives the record's first
  // residue first when its residue numbers come in the record key's order.
  if (record != next) return {given, record, record_keys_[record] == given && (given >> 32) != (given & 0xffffffffu)};
  // A new residue pair: its record keeps the labels' identifiers and types.
  const bool in_order = one.id < two.id;
  const contact_label& first = in_order ? one : two;
  const contact_label& second = in_order ? two : one;
  records.push_back({first.id, second.id, first.type, second.type});
  record_keys_.push_back(in_order ? given : (given << 32) | (given >> 32));
  return {given, record, in_order};
}

void contact_groups::reserve(std::size_t contacts) {
  fed_.reserve(contacts);
  prefer_huge_pages(fed_.data(), contacts * sizeof(fed_contact));
}

void group_contacts(const text_file& input, contact_groups& groups) {
  require_text(input.name, input.bytes);
  // Hardly a line is shorter than "a:b:c<TAB>d:e:f<TAB>1\n": room for that many lines is mostly room enough.
  groups.reserve(input.bytes.size() / 14);
  std::int32_t n_contacts = 0;
  for_each_line(input.bytes, [&](std::string_view line, std::size_t number) {
    const contact_line contact = parse_contact_line(input.name, number, line);
    if (n_contacts == std::numeric_limits<std::int32_t>::max())
      fail_at(input.name, number, "more than " + std::to_string(n_contacts) + " contacts");
    ++n_contacts;
    groups.add(contact.first, contact.second, contact.distance);
  });
}

std::vector<keyed_contact> contact_groups::group_in_key_order(std::vector<std::uint32_t>& order,
                                                              std::vector<std::size_t>& starts) {
  // Rank the residues by identifier once; records then order by two integers.
  std::vector<std::uint32_t> by_name(residues.size());
  for (std::uint32_t r = 0; r < by_name.size(); ++r) by_name[r] = r;
  std::sort(by_name.begin(), by_name.end(),
            [this](std::uint32_t a, std::uint32_t b) { return residues.name(a) < residues.name(b); });
  std::vector<std::uint64_t> rank(residues.size());
  for (std::uint32_t r = 0; r < by_name.size(); ++r) rank[by_name[r]] = r;
  std::vector<std::pair<std::uint64_t, std::uint32_t>> keyed;
  keyed.reserve(records.size());
  for (std::uint32_t r = 0; r < record_keys_.size(); ++r)
    keyed.emplace_back((rank[record_keys_[r] >> 32] << 32) | rank[record_keys_[r] & 0xffffffffu], r);
  std::sort(keyed.begin(), keyed.end());
  order.resize(keyed.size());
  for (std::size_t k = 0; k < keyed.size(); ++k) order[k] = keyed[k].second;

  // A counting sort: each record's contacts together, records in key order, contacts in the order fed and
  // numbered so.
  std::vector<std::size_t> start_of(records.size() + 1, 0);
  for (const fed_contact& c : fed_) ++start_of[c.record];
  std::size_t at = 0;
  starts.resize(order.size() + 1);
  for (std::size_t k = 0; k < order.size(); ++k) {
    const std::size_t count = start_of[order[k]];
    starts[k] = start_of[order[k]] = at;
    at += count;
  }
  starts[order.size()] = at;
  std::vector<keyed_contact> grouped(fed_.size());
  for (std::size_t i = 0; i < fed_.size(); ++i) {
    const fed_contact& c = fed_[i];
    grouped[start_of[c.record]++] = {{c.distance, static_cast<std::int32_t>(i)}, c.atoms};
  }
  std::vector<fed_contact>().swap(fed_);
  return grouped;
}

void contact_groups::write(line_writer& out) {
  // The text each line of a record begins with, and the part between its atom names, made once per record.
  std::string head, middle;
  const inter_residue* last = nullptr;
  for_each_written([&](const inter_residue& record, atom_pair atoms, float distance) {
    if (&record != last) {
      head.assign(record.id_first).append(1, ':').append(record.type_first).append(1, ':');
      middle.assign(1, '\t').append(record.id_second).append(1, ':').append(record.type_second).append(1, ':');
      last = &record;
    }
    out << head << this->atoms.name(atoms.first) << middle << this->atoms.name(atoms.second) << '\t' << distance;
    out.end_line();
  });
}
