// The contacts between one ordered pair of residues, written by ascending distance, each atom pair once.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "hashing.hpp"
#include "line_writer.hpp"
#include "name_table.hpp"

// Distance, then the contact's number among the input's non-blank lines: equal distances keep input order.
using contact_key = std::pair<float, std::int32_t>;
// Two strings, the first from the label whose residue identifier sorts first; views into the input's bytes,
// which outlive every record.
using name_pair = std::pair<std::string_view, std::string_view>;
// The two atom names of a contact, in the same order, as numbers of the run's atom name table.
using atom_pair = std::pair<std::uint32_t, std::uint32_t>;

class inter_residue {
 public:
  void set_id(name_pair ids);
  void set_type(name_pair types);
  // Stores one contact; keys are distinct, one per input line.
  void feed(contact_key key, atom_pair atoms);
  // Writes the contacts by key; an atom pair that was already written is skipped, so each atom pair appears
  // once, at its smallest distance (the earliest line among equals). Labels are rebuilt from the record's
  // identifiers and types (the first line's types) and the contact's atom names, looked up in atom_names.
  void sort_n_print(line_writer& out, const name_table& atom_names);
  // Sorts the contacts by key and calls visit(atoms, distance) for each one sort_n_print writes, in its order.
  template <class Visit>
  void for_each_kept(Visit&& visit);

  std::string_view id_first, id_second;
  std::string_view type_first, type_second;
  // In the order fed; sorted by key when written. Keys are distinct, so this holds what a map from key to atom
  // pair would, at a fraction of the memory.
  std::vector<std::pair<contact_key, atom_pair>> contacts;
};

template <class Visit>
void inter_residue::for_each_kept(Visit&& visit) {
  std::sort(contacts.begin(), contacts.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  // The first contact of each atom pair in distance order is the one kept. The atom pairs kept so far sit in an
  // open-addressing table, on the stack for the usual few dozen contacts: no allocation per atom pair, and
  // mostly none per record.
  std::size_t capacity = 4;
  while (capacity < 2 * contacts.size()) capacity *= 2;
  constexpr std::uint64_t empty = UINT64_MAX;  // no atom pair: names are numbered far below 2^32 - 1
  constexpr std::size_t local_capacity = 256;
  std::uint64_t local[local_capacity];
  std::vector<std::uint64_t> heap;
  std::uint64_t* kept = local;
  if (capacity > local_capacity) {
    heap.resize(capacity);
    kept = heap.data();
  }
  std::fill(kept, kept + capacity, empty);
  for (const auto& [key, atoms] : contacts) {
    const std::uint64_t both = (std::uint64_t{atoms.first} << 32) | atoms.second;
    std::size_t slot = slot_of(both, capacity - 1);
    while (kept[slot] != empty && kept[slot] != both) slot = (slot + 1) & (capacity - 1);
    if (kept[slot] == both) continue;
    kept[slot] = both;
    visit(atoms, key.first);
  }
}
