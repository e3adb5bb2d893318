#include "atom_picking.hpp"

#include <stdexcept>

#include "error.hpp"

const gemmi::Model& chosen_model(const gemmi::Structure& structure, const gemmi::Selection& selection) {
  if (structure.models.empty()) fail(structure.name + ": no atoms");
  if (selection.mdl == 0) return structure.models.front();
  const std::string name = std::to_string(selection.mdl);
  for (const gemmi::Model& model : structure.models)
    if (model.name == name) return model;
  std::string names;
  for (const gemmi::Model& model : structure.models) names += (names.empty() ? "" : ", ") + model.name;
  fail("no model " + name + " in " + structure.name + "; models: " + names);
}

gemmi::Selection parse_selection(const std::string& text) {
  try {
    return gemmi::Selection(text);
  } catch (const std::runtime_error& e) {
    fail("selection " + quoted(text) + ": " + printable(e.what(), 120));
  }
}

atom_picker::atom_picker(const gemmi::Selection& selection, const atom_defaults& defaults)
    : selection_(selection), defaults_(defaults) {
  if (!selection_.altlocs.all) defaults_.altloc.mode = altloc_choice::all;
}

bool atom_picker::keeps(const gemmi::Residue& residue, bool repeated) const {
  if (!defaults_.keep_waters && residue.is_water()) return false;
  if (!repeated || defaults_.altloc.mode != altloc_choice::first) return true;
  for (const gemmi::Atom& atom : residue.atoms)
    if (atom.altloc == '\0') return true;
  return false;
}

bool atom_picker::keeps(const gemmi::Atom& atom) {
  if (!defaults_.keep_hydrogens && atom.is_hydrogen()) return false;
  if (atom.altloc == '\0') return true;
  switch (defaults_.altloc.mode) {
    case altloc_choice::all:
      return true;
    case altloc_choice::named:
      return atom.altloc == defaults_.altloc.letter;
    case altloc_choice::first:
      break;
  }
  return seen_altloc_names_.insert(atom.name).second;
}
