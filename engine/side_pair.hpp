// What a scan keeps for one pair of sides while the search runs: which pairs count, and the results they feed.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "atom_table.hpp"
#include "contact_map.hpp"
#include "contact_tables.hpp"
#include "covalent_links.hpp"
#include "error.hpp"
#include "grouping.hpp"
#include "interaction_typer.hpp"
#include "pair_summary.hpp"
#include "request.hpp"

// The rules that leave a pair out, beyond the cut-off.
struct pair_rules {
  bool drop_same_residue = false;
  int min_separation = 0;
  const covalent_links* links = nullptr;
  float covalent_tolerance = -1;  // >= 0: also leave out pairs covalently bonded by distance (covalent_pair)
  float vdw_tolerance = -1;       // >= 0: a contact is within the van der Waals radii plus this (beyond)

  bool drops(const atom_table& t_a, std::size_t a, const atom_table& t_b, std::size_t b, float d) const {
    if (drop_same_residue && t_a.residue[a] == t_b.residue[b]) return true;
    if (min_separation > 0 && t_a.polymer[a] && t_b.polymer[b] && t_a.chain[a] == t_b.chain[b]) {
      const long apart = std::labs(static_cast<long>(t_a.seq_number[a]) - t_b.seq_number[b]);
      if (apart < min_separation) return true;
    }
    if (links != nullptr && links->bonded(t_a.atoms[a], t_b.atoms[b])) return true;
    return covalent_tolerance >= 0 && covalent_pair(t_a, a, t_b, b, d, covalent_tolerance);
  }
  // Whether a pair the search found is not a contact by the radii (with vdw_tolerance).
  bool beyond(const atom_table& t_a, std::size_t a, const atom_table& t_b, std::size_t b, float d) const {
    return vdw_tolerance >= 0 &&
           d > contact_radius(t_a.atoms[a]->element.elem) + contact_radius(t_b.atoms[b]->element.elem) + vdw_tolerance;
  }
};

// The request's rules for a side against itself (self: a pair within one residue counts only when asked) or
// against another side.
inline pair_rules rules_of(const scan_request& request, bool self, const covalent_links* links) {
  return {self && !request.same_residue, request.min_separation, links,
          request.skip_links ? request.criteria.covalent_tolerance : -1.f, request.vdw_tolerance};
}

// How far the search reaches: the cut-off, or with a van der Waals tolerance the largest sum of radii of the
// elements present plus it.
inline float contact_reach(const scan_request& request, const atom_table& a, const atom_table* b) {
  if (request.vdw_tolerance < 0) return request.cutoff;
  float largest = 0;
  for (const atom_table* t : {&a, b})
    if (t != nullptr)
      for (const gemmi::Atom* atom : t->atoms) largest = std::max(largest, contact_radius(atom->element.elem));
  return largest > 0 ? 2 * largest + request.vdw_tolerance : request.cutoff;
}

// Each atom's residue identifier and atom name as numbered in a pair's contact groups: numbered once per atom,
// not once per contact.
struct group_numbers {
  std::vector<std::uint32_t> residue, atom;
  group_numbers(contact_groups& groups, const atom_table& table) : residue(table.size()), atom(table.size()) {
    for (std::size_t p = 0; p < table.size(); ++p) {
      residue[p] = p > 0 && table.residue[p] == table.residue[p - 1] ? residue[p - 1] : groups.residues.intern(table.parts[p].id);
      atom[p] = groups.atoms.intern(table.parts[p].atom);
    }
  }
};

// One side pair's results: the sorted groups, the summary when one is asked for, the map, the tables.
struct side_pair {
  contact_groups groups;
  bool summarise = true;
  pair_summary summary;
  std::unique_ptr<contact_map> map;
  std::unique_ptr<contact_tables> tables;  // the tables people read, when asked
  std::vector<typed_interaction> interactions;  // when asked: every typed interaction, in no order
  std::int32_t n_fed = 0;

  // d is the distance as written: ties in the written text order by line, as they do after a text file. With
  // numbers for both tables, atoms are taken by number.
  void feed(const atom_table& t_a, std::size_t a, const atom_table& t_b, std::size_t b, float d,
            const group_numbers* n_a = nullptr, const group_numbers* n_b = nullptr) {
    if (n_fed == std::numeric_limits<std::int32_t>::max()) fail("more than " + std::to_string(n_fed) + " contacts");
    ++n_fed;
    if (n_a != nullptr)
      groups.add_numbered(t_a.parts[a], n_a->residue[a], n_a->atom[a], t_b.parts[b], n_b->residue[b], n_b->atom[b], d);
    else
      groups.add(t_a.parts[a], t_b.parts[b], d);
    if (summarise) summary.add(t_a.residue[a], t_a.parts[a].id, t_b.residue[b], t_b.parts[b].id, d);
    if (map) map->add(contact_line{t_a.parts[a], t_b.parts[b], d, {}});
    if (tables) tables->add(t_a, a, t_b, b, d);
  }
};
