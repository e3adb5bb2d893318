#include "inter_residue.hpp"

#include <algorithm>

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
  // The first contact of each atom pair in distance order is the one written. Ranks sorted by atom pair, and by
  // rank within one, put that contact first in its run; no set, so no allocation per atom pair.
  std::vector<std::uint32_t> ranks(contacts.size());
  for (std::uint32_t r = 0; r < ranks.size(); ++r) ranks[r] = r;
  std::sort(ranks.begin(), ranks.end(), [this](std::uint32_t a, std::uint32_t b) {
    const name_pair& atoms_a = contacts[a].second;
    const name_pair& atoms_b = contacts[b].second;
    return atoms_a < atoms_b || (atoms_a == atoms_b && a < b);
  });
  std::vector<bool> written(contacts.size(), false);
  for (std::size_t r = 0; r < ranks.size(); ++r)
    if (r == 0 || contacts[ranks[r]].second != contacts[ranks[r - 1]].second) written[ranks[r]] = true;

  for (std::size_t r = 0; r < contacts.size(); ++r) {
    if (!written[r]) continue;
    const auto& [key, atoms] = contacts[r];
    out << id_first << ':' << type_first << ':' << atoms.first << '\t' << id_second << ':' << type_second << ':'
        << atoms.second << '\t' << key.first;
    out.end_line();
  }
}
