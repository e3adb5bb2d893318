// How often each residue pair is in contact over an ensemble of one structure's atoms: the models of an NMR
// entry, or the frames of a trajectory. The sides are atom tables made once (from the first model or the
// topology); each frame gives their coordinates in table order and is searched on the cell grid as a run of that
// model would be, with the same rules. Memory does not grow with the frames.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <gemmi/model.hpp>
#include <gemmi/select.hpp>

#include "atom_picking.hpp"
#include "atom_table.hpp"
#include "contact_map.hpp"
#include "contact_tables.hpp"
#include "side_pair.hpp"

struct frequency_row {
  table_residue first, second;
  std::uint64_t frames;  // frames in which the pair is in contact
};

class contact_frequencies {
 public:
  // second null: the first side against itself (each residue pair once, its residue that comes first in row
  // order first). The tables and the rules' links must outlive this.
  contact_frequencies(float cutoff, const atom_table& first, const atom_table* second, const pair_rules& rules,
                      std::shared_ptr<const chain_order> order);
  // Only pairs of residues of two chains: every interface of a structure from one side, "//*".
  void between_chains_only() { between_chains_ = true; }
  // One frame: x y z of each atom of the first side, then of the second, in table order (3 * atoms values each).
  // Throws run_error for a coordinate that is not finite.
  void add_frame(const float* first_xyz, const float* second_xyz);
  std::uint64_t frames() const { return frames_; }
  // Every residue pair in contact in any frame, in row order.
  std::vector<frequency_row> rows() const;

 private:
  struct count {
    std::uint64_t frames = 0;
    std::uint64_t last = UINT64_MAX;  // the last frame counted
  };
  point_set points_of(const atom_table& table, const float* xyz) const;
  float cutoff_;
  const atom_table& first_;
  const atom_table* second_;
  pair_rules rules_;
  // Each side's residues ranked in row order, so that a pair's key is its row order too.
  std::vector<std::uint32_t> rank_first_, rank_second_;
  std::vector<table_residue> residue_by_rank_;
  std::unordered_map<std::uint64_t, count> counts_;
  std::uint64_t frames_ = 0;
  bool between_chains_ = false;
};

// The map of an ensemble: a cell per residue pair of the rows, its value the share of frames in contact (draw it
// with map_style::models set). The rows' residues must outlive it.
std::unique_ptr<contact_map> frequency_map(const std::vector<frequency_row>& rows, std::uint64_t frames);

// The coordinates, in table order, of the sides' atoms in one model of the structure (x y z after each other):
// the atoms the selections pick there, the second without the first's, which must be the tables' atoms by chain,
// residue and name. Throws run_error naming the model for atoms that differ or a coordinate that is not finite.
void model_coordinates(const gemmi::Structure& structure, const gemmi::Model& model,
                       const std::vector<gemmi::Selection>& selections, const atom_defaults& defaults,
                       const atom_table& first, const atom_table* second, std::vector<float>& first_xyz,
                       std::vector<float>& second_xyz);

// The coordinates, in table order, of a table of every picked atom of some chains (the polymer chains of a
// structure) in one model: the atoms the defaults pick there in those chains, which must be the table's.
void table_coordinates(const gemmi::Structure& structure, const gemmi::Model& model, const atom_defaults& defaults,
                       const atom_table& table, std::vector<float>& xyz);

// Each table atom's place among every atom of the model in file order, before any selection: the layout of a
// trajectory's frames. Returns how many atoms the model holds.
std::size_t frame_layout(const gemmi::Model& model, const atom_table& table, std::vector<std::uint32_t>& index);

// The ranges a model list names: "all" (none: every model) or numbers and ranges ("1-5,8"). Throws usage_error
// for a list that is not one.
std::vector<std::pair<int, int>> model_ranges(const std::string& list);

// The models of a list that model_ranges takes, in its order (every model in file order for "all"). Throws
// run_error for a model the file lacks.
std::vector<const gemmi::Model*> listed_models(const gemmi::Structure& structure, const std::string& list);

extern const char* const frequency_columns;  // "\tmodels_in_contact\tfrequency"

// The rows of an ensemble as residue-pair rows with their frames: each pair's contacts and closest distance are
// those of one structure's table (first: the first model's), 0 and NaN where it is not in contact there.
struct ensemble_pair {
  residue_pair_row pair;
  std::uint64_t frames;
};
std::vector<ensemble_pair> ensemble_pairs(const std::vector<frequency_row>& rows, const std::vector<residue_pair_row>& first);

// The residue-pair table over an ensemble: every pair in contact in any frame, its contacts and closest distance
// in the table of one structure (first: the first model's; 0 and empty where it is not in contact there), then
// the frames in contact and their share of all frames.
std::string frequency_text(const std::vector<frequency_row>& rows, const std::vector<residue_pair_row>& first,
                           std::uint64_t frames);
