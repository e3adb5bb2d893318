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
  std::sort(contacts.begin(), contacts.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [key, atoms] : contacts) {
    if (!printed_pairs.insert(atoms).second) continue;
    out << id_first << ':' << type_first << ':' << atoms.first << '\t' << id_second << ':' << type_second << ':'
        << atoms.second << '\t' << key.first;
    out.end_line();
  }
}
