#include "point_list.hpp"

#include <charconv>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include <gemmi/polyheur.hpp>

#include "error.hpp"
#include "formatting.hpp"

namespace {

// Names go into a label between colons and tabs, on one line. where() names the place in the message; it is
// made only for a bad name, so that checking every atom costs no text.
template <class Where>
void check_name(const char* what, const std::string& name, Where&& where) {
  const std::size_t bad = name.find_first_of("\t:\n\r");
  if (bad == std::string::npos) return;
  const char* kind = name[bad] == '\t' ? "a tab" : name[bad] == ':' ? "a colon" : "a line break";
  fail(std::string(what) + " " + quoted(name) + where() + " holds " + kind + ", which would break the label");
}

std::string nowhere() { return ""; }

void append_coordinate(std::string& out, double value) {
  char text[32];
  const char* end = std::to_chars(text, text + sizeof text, value).ptr;
  out.append(text, static_cast<std::size_t>(end - text));
}

std::string chain_names(const gemmi::Model& model) {
  std::string names;
  std::unordered_set<std::string_view> seen;
  for (const gemmi::Chain& chain : model.chains) {
    if (!seen.insert(chain.name).second) continue;
    names += (names.empty() ? "" : ", ") + (chain.name.empty() ? std::string("(blank)") : printable(chain.name));
  }
  return names;
}

}  // namespace

std::string residue_identifier(const std::string& chain_name, const gemmi::SeqId& seqid) {
  return residue_id(chain_name, std::to_string(*seqid.num), icode_text(seqid));
}

void append_residue_fields(std::string& out, const gemmi::Chain& chain, const gemmi::Residue& residue) {
  out += table_name(chain.name);
  (out += '\t') += std::to_string(*residue.seqid.num);
  (out += '\t') += icode_text(residue.seqid);
  (out += '\t') += table_name(residue.name);
}

std::vector<picked_atom> pick_atoms(const gemmi::Model& model, const gemmi::Selection& selection,
                                    const atom_defaults& defaults, const std::string& file) {
  std::vector<picked_atom> picked;
  const gemmi::Residue* checked = nullptr;
  atom_picker picker(selection, defaults);
  picker.for_each_atom(model, [&](const gemmi::Chain& chain, const gemmi::Residue& residue, const gemmi::Atom& atom) {
    if (checked != &residue) {
      checked = &residue;
      check_name("chain name", chain.name, nowhere);
      check_name("residue name", residue.name,
                 [&] { return " of residue " + printable(residue_identifier(chain.name, residue.seqid)); });
    }
    check_name("atom name", atom.name,
               [&] { return " in residue " + printable(residue_identifier(chain.name, residue.seqid)); });
    // A blown-up simulation writes nan: such an atom has no place on a grid and no distance to anything.
    if (!std::isfinite(atom.pos.x) || !std::isfinite(atom.pos.y) || !std::isfinite(atom.pos.z))
      fail(file + ": atom " + quoted(atom.name) + " of residue " + printable(residue_identifier(chain.name, residue.seqid)) +
           " (" + printable(residue.name) + ", chain " + quoted(chain.name) + ") has a coordinate that is not a finite number");
    picked.push_back({&chain, &residue, &atom});
  });
  return picked;
}

void fail_no_atom(const gemmi::Model& model, const gemmi::Selection& selection, const std::string& selection_text) {
  std::string message = "selection " + quoted(selection_text) + " matches no atom";
  atom_defaults everything;
  everything.altloc.mode = altloc_choice::all;
  everything.keep_waters = everything.keep_hydrogens = true;
  bool matched_any = false;
  atom_picker all_atoms(selection, everything);
  all_atoms.for_each_atom(model, [&](const gemmi::Chain&, const gemmi::Residue&, const gemmi::Atom&) {
    matched_any = true;
  });
  if (matched_any) message += " that is kept (waters, hydrogens and other conformations need --waters, --hydrogens, --altloc)";
  fail(message + "; chains: " + chain_names(model));
}

std::string write_points(const gemmi::Structure& structure, const gemmi::Selection& selection,
                         const std::string& selection_text, const atom_defaults& defaults) {
  const gemmi::Model& model = chosen_model(structure, selection);
  const std::vector<picked_atom> picked = pick_atoms(model, selection, defaults, structure.name);
  if (picked.empty()) fail_no_atom(model, selection, selection_text);
  std::string out;
  out.reserve(64 * picked.size());
  std::string prefix;  // "A25:ASP:" of the residue being written
  const gemmi::Residue* prefix_of = nullptr;
  for (const picked_atom& p : picked) {
    if (prefix_of != p.residue) {
      prefix_of = p.residue;
      prefix = residue_identifier(p.chain->name, p.residue->seqid);
      prefix += ':';
      prefix += p.residue->name;
      prefix += ':';
    }
    out += prefix;
    out += p.atom->name;
    out += '\t';
    append_coordinate(out, p.atom->pos.x);
    out += '\t';
    append_coordinate(out, p.atom->pos.y);
    out += '\t';
    append_coordinate(out, p.atom->pos.z);
    out += '\n';
  }
  return out;
}

std::vector<chain_row> list_chains(gemmi::Structure& structure, const atom_defaults& defaults) {
  gemmi::add_entity_types(structure, /*overwrite=*/false);
  const gemmi::Selection everything{};
  const gemmi::Model& model = chosen_model(structure, everything);
  std::vector<chain_row> rows;
  std::unordered_map<std::string, std::size_t> row_of;
  const gemmi::Residue* counted = nullptr;
  atom_picker picker(everything, defaults);
  // Chains of one name (a polymer and, after it, its ligands and waters) share one row.
  for (const gemmi::Chain& chain : model.chains) {
    check_name("chain name", chain.name, nowhere);
    const auto [entry, created] = row_of.try_emplace(chain.name, rows.size());
    if (created) rows.push_back({chain.name});
    for (const gemmi::Residue& residue : chain.residues)
      if (residue.entity_type == gemmi::EntityType::Polymer) rows[entry->second].polymer = true;
  }
  picker.for_each_atom(model, [&](const gemmi::Chain& chain, const gemmi::Residue& residue, const gemmi::Atom&) {
    chain_row& row = rows[row_of[chain.name]];
    if (counted != &residue) {
      counted = &residue;
      ++row.residues;
    }
    ++row.atoms;
  });
  return rows;
}

std::string write_chain_table(gemmi::Structure& structure, const atom_defaults& defaults) {
  std::string out;
  for (const chain_row& r : list_chains(structure, defaults))
    out += r.name + '\t' + std::to_string(r.residues) + '\t' + std::to_string(r.atoms) + '\t' +
           (r.polymer ? "polymer" : "other") + '\n';
  return out;
}

std::vector<ligand_row> list_ligands(gemmi::Structure& structure, const atom_defaults& defaults) {
  gemmi::add_entity_types(structure, /*overwrite=*/false);
  const gemmi::Selection everything{};
  const gemmi::Model& model = chosen_model(structure, everything);
  std::vector<ligand_row> rows;
  atom_picker picker(everything, defaults);
  picker.for_each_atom(model, [&](const gemmi::Chain& chain, const gemmi::Residue& residue, const gemmi::Atom&) {
    if (residue.entity_type == gemmi::EntityType::Polymer || residue.is_water()) return;
    if (rows.empty() || rows.back().residue != &residue) rows.push_back({&chain, &residue, 0});
    ++rows.back().atoms;
  });
  return rows;
}

std::string ligands_text(const std::vector<ligand_row>& rows) {
  std::string out = "chain\tnumber\ticode\tname\tatoms\n";
  for (const ligand_row& r : rows) {
    append_residue_fields(out, *r.chain, *r.residue);
    (out += '\t') += std::to_string(r.atoms);
    out += '\n';
  }
  return out;
}
