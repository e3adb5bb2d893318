// Reading a contact list into one record per residue pair.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "contact_line.hpp"
#include "inter_residue.hpp"
#include "name_table.hpp"
#include "text_file.hpp"

// Everything read from one contact list. Views into the input's bytes, which must outlive it.
struct contact_groups {
  name_table residues;  // residue identifiers
  name_table atoms;     // atom names
  // One record per residue pair, in order of first appearance (a deque: growing moves none), with its key: the
  // two residue numbers, the smaller identifier's in the high half.
  std::deque<inter_residue> records;
  std::vector<std::uint64_t> record_keys;

  // The records in ascending order of residue key: by first identifier, then second, each compared as
  // strings, byte by byte.
  std::vector<inter_residue*> in_key_order();
  // Writes every record, in key order.
  void write(line_writer& out);
  // Calls visit(record, atoms, distance) for every line write writes, in its order.
  template <class Visit>
  void for_each_written(Visit&& visit) {
    for (inter_residue* record : in_key_order())
      record->for_each_kept([&](atom_pair atoms, float distance) { visit(*record, atoms, distance); });
  }

  // Feeds one contact to the record of its residue pair: the labels in order of residue identifier as strings,
  // with equal identifiers the second label first; a new record keeps these labels' types. order ranks contacts
  // of equal distance (a line number); the labels' bytes must outlive the groups.
  void add(const contact_label& one, const contact_label& two, float distance, std::int32_t order) {
    add_numbered(one, residue_number(one.id, last_one_), atoms.intern(one.atom), two,
                 residue_number(two.id, last_two_), atoms.intern(two.atom), distance, order);
  }
  // The same, for labels whose identifiers and atom names the caller has numbered in residues and atoms already
  // (once per atom, not once per contact).
  void add_numbered(const contact_label& one, std::uint32_t residue_one, std::uint32_t atom_one,
                    const contact_label& two, std::uint32_t residue_two, std::uint32_t atom_two, float distance,
                    std::int32_t order);

 private:
  // Consecutive contacts mostly share a residue pair; remembering the last record spares most map searches.
  // Consecutive lines mostly name the same residues: a comparison with the last one spares the hash.
  std::uint32_t residue_number(std::string_view id, std::uint32_t& last) {
    if (last < residues.size() && residues.name(last) == id) return last;
    return last = residues.intern(id);
  }
  std::uint32_t last_one_ = UINT32_MAX, last_two_ = UINT32_MAX;
  // Where each key's record is: an open-addressing table of record numbers + 1 (0: empty), at most half full.
  std::vector<std::uint32_t> record_slots_ = std::vector<std::uint32_t>(1024, 0);
  std::uint32_t record_of(std::uint64_t key, const contact_label& first, const contact_label& second);
  // Keyed by the residues in the order given, which also spares comparing their identifiers again.
  std::uint64_t last_given_ = UINT64_MAX;
  bool last_in_order_ = true;
  inter_residue* last_ = nullptr;
};

// Feeds every contact line of input ("id:type:atom<TAB>id:type:atom<TAB>distance", further fields and label
// parts ignored) to the record of its residue pair. The labels are put in order of residue identifier as
// strings; with equal identifiers the second label comes first. A record keeps the types of its first line.
// Throws run_error naming the file and line for a line of fewer than three fields, a label of fewer than three
// ':' parts, or a distance that is not a number.
void group_contacts(const text_file& input, contact_groups& groups);
