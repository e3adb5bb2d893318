// What each atom of a residue can do in an interaction: donor, acceptor, a member of a charged group or an
// aromatic ring, hydrophobic carbon, metal, halogen. Standard residues take their roles from a table
// (engine/data/residue_atoms.tsv); others are typed from their coordinates: bonds by covalent distance,
// elements, heavy-neighbour counts and planar rings.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include <gemmi/model.hpp>

#include "interaction_criteria.hpp"

enum atom_role : std::uint16_t {
  role_donor = 1,
  role_acceptor = 2,
  role_positive = 4,
  role_negative = 8,
  role_hydrophobic = 16,
  role_metal = 32,
  role_halogen = 64,
};

// A charged group: its sign, its atoms (indexes into the residue's atoms), and where a cation sits for cation-pi
// (an atom index, or -1 for a group that is not a cation).
struct charged_group {
  int sign = 0;
  std::vector<std::uint32_t> atoms;
  int centre = -1;
};

struct residue_roles {
  std::vector<std::uint16_t> roles;  // per atom of the residue
  std::vector<std::int32_t> group;   // per atom: its charged group, or -1
  std::vector<charged_group> groups;
  std::vector<std::vector<std::uint32_t>> rings;   // aromatic rings, their atoms in ring order
  std::vector<std::vector<std::uint32_t>> bonded;  // per atom: its heavy neighbours in the residue
  std::vector<std::vector<std::uint32_t>> hydrogens;  // per atom: the hydrogens bonded to it
  bool has_hydrogens = false;
};

// The roles of residues, worked out once each as they are asked for.
class role_book {
 public:
  explicit role_book(const interaction_criteria& criteria) : criteria_(criteria) {}
  const residue_roles& of(const gemmi::Chain& chain, const gemmi::Residue& residue);

 private:
  const interaction_criteria& criteria_;
  std::unordered_map<const gemmi::Residue*, residue_roles> cache_;
};

// Whether two atoms of a residue can be bonded: one of them has no altloc, or both have the same.
inline bool same_conformer(const gemmi::Atom& a, const gemmi::Atom& b) {
  return a.altloc == '\0' || b.altloc == '\0' || a.altloc == b.altloc;
}

// Whether two atoms are within bonding distance: the sum of their covalent radii plus the tolerance.
bool within_bond(const gemmi::Atom& a, const gemmi::Atom& b, float tolerance);
