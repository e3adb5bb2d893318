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

altloc_choice read_altloc(const std::string& value) {
  if (value == "all") return {altloc_choice::all, 0};
  if (value.size() == 1 && value[0] != ' ' && value[0] != '\t' && value[0] != '\n')
    return {altloc_choice::named, value[0]};
  throw usage_error("--altloc takes one letter or 'all', not " + quoted(value));
}

bool read_numbering(const std::string& value) {
  if (value == "author" || value == "label") return value == "label";
  throw usage_error("--numbering takes 'author' or 'label', not " + quoted(value));
}

namespace {

// The residue field of a selection ("10-50" of "//A/10-50"), or "" where it has none.
std::string residue_field(const std::string& text) {
  const std::string cid = text.substr(0, text.find(';'));
  if (cid.empty()) return "";
  const int omitted = gemmi::impl::determine_omitted_cid_fields(cid);
  if (omitted > 2) return "";
  std::size_t begin = 0;
  for (int slashes = 2 - omitted + (omitted == 0 ? 1 : 0); slashes > 0; --slashes) {
    begin = cid.find('/', begin);
    if (begin == std::string::npos) return "";
    ++begin;
  }
  return cid.substr(begin, cid.find('/', begin) - begin);
}

}  // namespace

gemmi::Selection parse_selection(const std::string& text) {
  gemmi::Selection selection;
  try {
    selection = gemmi::Selection(text);
  } catch (const std::runtime_error& e) {
    fail("selection " + quoted(text) + ": " + printable(e.what(), 120));
  }
  // gemmi reads a lone residue number ("//A/25") as the start of an open range; users mean that residue.
  if (!selection.from_seqid.empty() && residue_field(text).find('-') == std::string::npos)
    selection.to_seqid = selection.from_seqid;
  return selection;
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
  if (atom.altloc == residue_altloc_) return true;
  if (names_with_letter_.count(atom.name) != 0) return false;
  return seen_altloc_names_.insert(atom.name).second;
}

void atom_picker::begin_residue(const gemmi::Residue& residue) {
  if (defaults_.altloc.mode != altloc_choice::first) return;
  residue_altloc_ = 0;
  if (!names_with_letter_.empty()) names_with_letter_.clear();
  if (!seen_altloc_names_.empty()) seen_altloc_names_.clear();
  for (const gemmi::Atom& atom : residue.atoms) {
    if (atom.altloc == '\0') continue;
    if (residue_altloc_ == 0) residue_altloc_ = atom.altloc;
    if (atom.altloc == residue_altloc_) names_with_letter_.insert(atom.name);
  }
}
