// What the engine is asked: a structure's sides, the cut-off, the rules that leave pairs out, the crystal or
// assembly around it, and which results to collect. No paths and no files: pairscan's command line and the
// Python module each turn their arguments into one, and write or return what comes back.
#pragma once

#include <string>
#include <vector>

#include "atom_picking.hpp"
#include "interaction_criteria.hpp"
#include "surface_area.hpp"

struct scan_request {
  // One selection (its self-contacts) or two (the first against the second without the first's atoms); none
  // for every pair of polymer chains (for_each_chain_pair).
  std::vector<std::string> selections;
  float cutoff = 4;
  // >= 0: a contact is a pair within the sum of its van der Waals radii plus this, instead of within cutoff.
  float vdw_tolerance = -1;
  atom_defaults atoms;        // which atoms a selection keeps: conformers, waters, hydrogens
  bool same_residue = false;  // self-contacts: keep pairs within one residue, each once
  int min_separation = 0;     // leave out polymer residue pairs of one chain closer in number than this
  bool skip_links = false;    // leave out atom pairs the file records as covalently bonded, or bonded by distance
  bool allow_empty = false;   // a selection that matches nothing gives no contact, not an error
  bool symmetry = false;      // also the crystal's symmetry images of the second side
  std::string assembly;       // the biological assembly to build first, or ""
  // The results to collect besides the grouped contacts.
  bool summary = false;  // each pair's summary row
  bool map = false;      // each pair's map cells
  bool tables = false;   // each pair's rows of atom pairs, residue pairs and residues (contact_tables)
  bool areas = false;    // each side's surface alone and buried by the other (side_areas)
  std::string models;    // "all" or "1-5,8": each pair's residue-pair frequencies over those models, or ""
  bool interactions = false;  // each pair's typed interactions (interaction_typer), and the tables with them
  area_rules area;
  interaction_criteria criteria;  // the interaction types' thresholds; covalent_tolerance also for skip_links

  // Refuses what no scan can do: a cut-off that is not a positive finite float (run_error, as the search says
  // it), and as usage_error a separation out of range, symmetry with an assembly, an empty selection.
  void check() const;
};

// The largest min_separation: far beyond any chain's numbering.
constexpr int max_separation = 1000000;
