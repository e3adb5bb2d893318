#include "inter_residue.hpp"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// FNV-1a over both names, with a separator so that ("AB", "C") and ("A", "BC") differ.
std::size_t hash_of(const name_pair& atoms) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (const char c : atoms.first) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
  h = (h ^ 0xffu) * 0x100000001b3ull;
  for (const char c : atoms.second) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
  return static_cast<std::size_t>(h ^ (h >> 29));
}

}  // namespace

void inter_residue::set_id(name_pair ids) {
  id_first = ids.first;
  id_second = ids.second;
}

void inter_residue::set_type(name_pair types) {
  type_first = types.first;
  type_second = types.second;
}

void inter_residue::feed(contact_key key, name_pair atoms) { contacts.emplace_back(key, atoms); }

void inter_residue::sort_n_print(line_writer& out) {
  std::sort(contacts.begin(), contacts.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  // The first contact of each atom pair in distance order is the one written. The atom pairs written so far
  // sit in an open-addressing table of contact ranks, on the stack for the usual few dozen contacts: no
  // allocation per atom pair, and mostly none per record.
  std::size_t capacity = 4;
  while (capacity < 2 * contacts.size()) capacity *= 2;
  constexpr std::uint32_t empty = UINT32_MAX;
  constexpr std::size_t local_capacity = 256;
  std::uint32_t local[local_capacity];
  std::vector<std::uint32_t> heap;
  std::uint32_t* written = local;
  if (capacity > local_capacity) {
    heap.resize(capacity);
    written = heap.data();
  }
  std::fill(written, written + capacity, empty);
  for (std::uint32_t r = 0; r < contacts.size(); ++r) {
    const name_pair& atoms = contacts[r].second;
    std::size_t slot = hash_of(atoms) & (capacity - 1);
    while (written[slot] != empty && contacts[written[slot]].second != atoms) slot = (slot + 1) & (capacity - 1);
    if (written[slot] != empty) continue;
    written[slot] = r;
    out << id_first << ':' << type_first << ':' << atoms.first << '\t' << id_second << ':' << type_second << ':'
        << atoms.second << '\t' << contacts[r].first.first;
    out.end_line();
  }
}
