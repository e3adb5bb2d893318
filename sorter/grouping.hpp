// Reading a contact list into one record per residue pair.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "contact_line.hpp"
#include "inter_residue.hpp"
#include "key_index.hpp"
#include "line_writer.hpp"
#include "name_table.hpp"
#include "text_file.hpp"

// Everything read from one contact list. Views into the input's bytes, which must outlive it.
struct contact_groups {
  name_table residues;  // residue identifiers
  name_table atoms;     // atom names
  // One record per residue pair, in order of first appearance.
  std::vector<inter_residue> records;

  // Writes every record's contacts, records in order of their identifiers as strings (the first, then the
  // second), contacts as for_each_kept keeps them. Once: the contacts are given up on the way.
  void write(line_writer& out);
  // Calls visit(record, atoms, distance) for every line write writes, in its order. Once, as write.
  template <class Visit>
  void for_each_written(Visit&& visit);

  // Room for this many contacts, asked for at once (on huge pages when large): the contacts then never move,
  // and memory untouched is never used.
  void reserve(std::size_t contacts);

  // Feeds one contact to the record of its residue pair: the labels in order of residue identifier as strings,
  // with equal identifiers the second label first; a new record keeps these labels' types. Contacts of equal
  // distance keep the order fed. The labels' bytes must outlive the groups.
  void add(const contact_label& one, const contact_label& two, float distance) {
    add_numbered(one, residues.intern(one.id), atoms.intern(one.atom), two, residues.intern(two.id),
                 atoms.intern(two.atom), distance);
  }
  // The same, for labels whose identifiers and atom names the caller has numbered in residues and atoms already
  // (once per atom, not once per contact).
  void add_numbered(const contact_label& one, std::uint32_t residue_one, std::uint32_t atom_one,
                    const contact_label& two, std::uint32_t residue_two, std::uint32_t atom_two, float distance) {
    const std::uint64_t given = (std::uint64_t{residue_one} << 32) | residue_two;
    recent_record& recent = recent_[(given * 0x9e3779b97f4a7c15ull) >> 54];
    if (recent.given != given) recent = find_record(one, two, given);
    fed_.push_back({distance, recent.record,
                    recent.in_order ? atom_pair{atom_one, atom_two} : atom_pair{atom_two, atom_one}});
  }

 private:
  // The record of a residue pair given as two residue numbers in the line's order, and whether that order is
  // the record's (its first residue's identifier sorts first).
  struct recent_record {
    std::uint64_t given = UINT64_MAX;
    std::uint32_t record = 0;
    bool in_order = true;
  };
  // Finds or makes the record of the residue pair given; a new record keeps the labels' identifiers and types.
  recent_record find_record(const contact_label& one, const contact_label& two, std::uint64_t given);
  // The records last found, by their residue pair: a list gives one atom's contacts together, and its
  // neighbours' soon after, with a handful of residues around them, so these spare most searches of the large
  // table (1,024 of them: 16 KiB, which stays in cache).
  std::array<recent_record, 1024> recent_{};
  // The records by their two residue numbers, the smaller number in the high half (either order of a line
  // finds the record).
  key_index record_index_;
  // Each record's two residue numbers, the one whose identifier sorts first in the high half.
  std::vector<std::uint64_t> record_keys_;

  // Every contact as fed, with its record: one flat array, grouped by record only when written.
  struct fed_contact {
    float distance;
    std::uint32_t record;
    atom_pair atoms;
  };
  std::vector<fed_contact> fed_;
  // The contacts grouped by record, records in key order; starts[k] is where the k-th record in that order
  // begins (one more entry, the end). Empties fed_.
  std::vector<keyed_contact> group_in_key_order(std::vector<std::uint32_t>& order, std::vector<std::size_t>& starts);
};

template <class Visit>
void contact_groups::for_each_written(Visit&& visit) {
  std::vector<std::uint32_t> order;
  std::vector<std::size_t> starts;
  std::vector<keyed_contact> grouped = group_in_key_order(order, starts);
  for (std::size_t k = 0; k < order.size(); ++k) {
    const inter_residue& record = records[order[k]];
    for_each_kept(grouped.data() + starts[k], grouped.data() + starts[k + 1],
                  [&](atom_pair atoms, float distance) { visit(record, atoms, distance); });
  }
}

// Feeds every contact line of input ("id:type:atom<TAB>id:type:atom<TAB>distance", further fields and label
// parts ignored) to the record of its residue pair. The labels are put in order of residue identifier as
// strings; with equal identifiers the second label comes first. A record keeps the types of its first line.
// Throws run_error naming the file and line for a line of fewer than three fields, a label of fewer than three
// ':' parts, or a distance that is not a number.
void group_contacts(const text_file& input, contact_groups& groups);
