#include "inter_residue.hpp"

#include <algorithm>

#include "hashing.hpp"

void inter_residue::set_id(name_pair ids) {
  id_first = ids.first;
  id_second = ids.second;
}

void inter_residue::set_type(name_pair types) {
  type_first = types.first;
  type_second = types.second;
}

void inter_residue::feed(contact_key key, atom_pair atoms) { contacts.emplace_back(key, atoms); }

void inter_residue::sort_n_print(line_writer& out, const name_table& atom_names) {
  std::sort(contacts.begin(), contacts.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  // The first contact of each atom pair in distance order is the one written. The atom pairs written so far
  // sit in an open-addressing table, on the stack for the usual few dozen contacts: no allocation per atom
  // pair, and mostly none per record.
  std::size_t capacity = 4;
  while (capacity < 2 * contacts.size()) capacity *= 2;
  constexpr std::uint64_t empty = UINT64_MAX;  // no atom pair: names are numbered far below 2^32 - 1
  constexpr std::size_t local_capacity = 256;
  std::uint64_t local[local_capacity];
  std::vector<std::uint64_t> heap;
  std::uint64_t* written = local;
  if (capacity > local_capacity) {
    heap.resize(capacity);
    written = heap.data();
  }
  std::fill(written, written + capacity, empty);
  for (const auto& [key, atoms] : contacts) {
    const std::uint64_t both = (std::uint64_t{atoms.first} << 32) | atoms.second;
    std::size_t slot = slot_of(both, capacity - 1);
    while (written[slot] != empty && written[slot] != both) slot = (slot + 1) & (capacity - 1);
    if (written[slot] == both) continue;
    written[slot] = both;
    out << id_first << ':' << type_first << ':' << atom_names.name(atoms.first) << '\t' << id_second << ':'
        << type_second << ':' << atom_names.name(atoms.second) << '\t' << key.first;
    out.end_line();
  }
}
