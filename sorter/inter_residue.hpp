// The contacts between one ordered pair of residues, written by ascending distance, each atom pair once.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>

#include "hashing.hpp"

// Distance, then the contact's place in the order fed (for a file, among its non-blank lines): equal distances
// keep input order.
using contact_key = std::pair<float, std::int32_t>;
// The two atom names of a contact, the first from the label whose residue identifier sorts first, as numbers
// of the run's atom name table.
using atom_pair = std::pair<std::uint32_t, std::uint32_t>;
// One contact of a residue pair.
using keyed_contact = std::pair<contact_key, atom_pair>;

// A residue pair: the identifiers and types of its first line, first the label whose identifier sorts first.
// Views into the input's bytes, which outlive every record.
struct inter_residue {
  std::string_view id_first, id_second;
  std::string_view type_first, type_second;
};

// Sorts one residue pair's contacts by key and calls visit(atoms, distance) for the first contact of each atom
// pair in that order: each atom pair appears once, at its smallest distance (the earliest line among equals).
// Keys are distinct, one per input line.
template <class Visit>
void for_each_kept(keyed_contact* first, keyed_contact* last, Visit&& visit);

template <class Visit>
void for_each_kept(keyed_contact* first, keyed_contact* last, Visit&& visit) {
  std::sort(first, last, [](const keyed_contact& a, const keyed_contact& b) { return a.first < b.first; });
  const auto n = static_cast<std::size_t>(last - first);
  if (n == 1) {
    visit(first->second, first->first.first);
    return;
  }
  // The atom pairs kept so far sit in an open-addressing table, on the stack for the usual few dozen contacts:
  // no allocation per atom pair, and mostly none per residue pair.
  std::size_t capacity = 4;
  while (capacity < 2 * n) capacity *= 2;
  constexpr std::uint64_t empty = UINT64_MAX;  // no atom pair: names are numbered far below 2^32 - 1
  constexpr std::size_t local_capacity = 256;
  std::uint64_t local[local_capacity];
  std::unique_ptr<std::uint64_t[]> heap;
  std::uint64_t* kept = local;
  if (capacity > local_capacity) {
    heap.reset(new std::uint64_t[capacity]);
    kept = heap.get();
  }
  std::fill(kept, kept + capacity, empty);
  for (const keyed_contact* c = first; c != last; ++c) {
    const std::uint64_t both = (std::uint64_t{c->second.first} << 32) | c->second.second;
    std::size_t slot = slot_of(both, capacity - 1);
    while (kept[slot] != empty && kept[slot] != both) slot = (slot + 1) & (capacity - 1);
    if (kept[slot] == both) continue;
    kept[slot] = both;
    visit(c->second, c->first.first);
  }
}
