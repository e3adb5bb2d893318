// The atom pairs a structure records as covalent bonds between residues (mmCIF struct_conn of type covale or
// disulf, PDB LINK and SSBOND): glycosylation, disulfides, ligands bound to a side chain. Metal coordination and
// hydrogen bonds stay contacts; a link to a symmetry copy binds no pair of the file's own atoms.
#pragma once

#include <unordered_set>
#include <utility>

#include <gemmi/model.hpp>

class covalent_links {
 public:
  covalent_links(const gemmi::Structure& structure, const gemmi::Model& model);
  // Whether the file records a covalent bond between these two atoms (in either order).
  bool bonded(const gemmi::Atom* a, const gemmi::Atom* b) const {
    return !pairs_.empty() && pairs_.count(key(a, b)) != 0;
  }
  std::size_t size() const { return pairs_.size(); }

 private:
  using atom_pair = std::pair<const gemmi::Atom*, const gemmi::Atom*>;
  struct pair_hash {
    std::size_t operator()(const atom_pair& p) const;
  };
  static atom_pair key(const gemmi::Atom* a, const gemmi::Atom* b) { return a < b ? atom_pair{a, b} : atom_pair{b, a}; }
  std::unordered_set<atom_pair, pair_hash> pairs_;
};
