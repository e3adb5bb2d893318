#include "inter_residue.hpp"

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
  for_each_kept([&](atom_pair atoms, float distance) {
    out << id_first << ':' << type_first << ':' << atom_names.name(atoms.first) << '\t' << id_second << ':'
        << type_second << ':' << atom_names.name(atoms.second) << '\t' << distance;
    out.end_line();
  });
}
