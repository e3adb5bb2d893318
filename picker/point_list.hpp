// The coordinate list of picked atoms, and the chain table of --list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <gemmi/model.hpp>

#include "atom_picking.hpp"

// The residue identifier of a label: author chain name, author residue number, insertion code ("A25",
// "A100B", "B-3"; a blank chain gives "200"). A chain name that ends in a digit or "-" would run into the
// number, so it is joined to it with "_" ("1_23", "12_3"); the rule looks at the chain name alone.
std::string residue_identifier(const std::string& chain_name, const gemmi::SeqId& seqid);

// The insertion code as text, "" where there is none; a view of seqid's own byte.
inline std::string_view icode_text(const gemmi::SeqId& seqid) {
  return seqid.icode == ' ' || seqid.icode == '\0' ? std::string_view() : std::string_view(&seqid.icode, 1);
}

// A residue's fields in the tables people read: "chain<TAB>number<TAB>icode<TAB>name", names escaped.
void append_residue_fields(std::string& out, const gemmi::Chain& chain, const gemmi::Residue& residue);

// One atom picked from a model: where it sits, as views into the structure.
struct picked_atom {
  const gemmi::Chain* chain;
  const gemmi::Residue* residue;
  const gemmi::Atom* atom;
};

// The atoms of model that the selection matches and the defaults keep, in file order; empty when none. Throws
// run_error for a chain, residue or atom name that holds a tab, a colon or a line break (it would break a label),
// and for a picked atom with a coordinate that is not finite ("FILE: atom 'CA' of residue A25 (ASP, chain
// 'A') ..."; file names the structure). Atoms left out are not looked at.
std::vector<picked_atom> pick_atoms(const gemmi::Model& model, const gemmi::Selection& selection,
                                    const atom_defaults& defaults, const std::string& file);

// Throws run_error "selection 'TEXT' matches no atom ...; chains: ...", naming the options that would keep more
// when the defaults left out what the selection matched.
[[noreturn]] void fail_no_atom(const gemmi::Model& model, const gemmi::Selection& selection,
                               const std::string& selection_text);

// The coordinate list: "chain+number:type:atom<TAB>x<TAB>y<TAB>z" per atom, coordinates as the shortest
// decimal text that reads back to the same double. Throws run_error for a name that holds a tab, a colon or
// a line break, and when no atom is picked (naming the model's chains, and the options that would keep more
// when the defaults left out what the selection matched).
std::string write_points(const gemmi::Structure& structure, const gemmi::Selection& selection,
                         const std::string& selection_text, const atom_defaults& defaults);

// A chain name of the first model: its residues and atoms kept by the defaults, and whether it holds a polymer.
struct chain_row {
  std::string name;
  std::size_t residues = 0, atoms = 0;
  bool polymer = false;
};
std::vector<chain_row> list_chains(gemmi::Structure& structure, const atom_defaults& defaults);

// One line per chain name of the first model, in file order: name, residues and atoms kept by the defaults,
// "polymer" or "other".
std::string write_chain_table(gemmi::Structure& structure, const atom_defaults& defaults);

// A ligand: a residue of no polymer that is not water, with the atoms the defaults keep.
struct ligand_row {
  const gemmi::Chain* chain;
  const gemmi::Residue* residue;
  std::size_t atoms;
};

// The ligands of the first model, in file order (residues whose atoms the defaults all leave out are not listed).
std::vector<ligand_row> list_ligands(gemmi::Structure& structure, const atom_defaults& defaults);

// The header "chain number icode name atoms" and a row per ligand, tab-separated, names with a tab, a line break
// or a backslash escaped.
std::string ligands_text(const std::vector<ligand_row>& rows);
