// The tables people read of one pair of sides: each atom pair, each residue pair and each residue in contact,
// the first side's first, in one row order. The rows are the engine's; each face writes or returns them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <gemmi/model.hpp>

#include "atom_table.hpp"
#include "interaction_typer.hpp"

// A residue as a table names it: where it is in the structure, and the crystal image it is seen in ("" for the
// file's own), with the identifier the lists use ("A184@6_665").
struct table_residue {
  const gemmi::Chain* chain = nullptr;
  const gemmi::Residue* residue = nullptr;
  std::string_view image;
  std::string_view id;
};

struct contact_row {
  table_residue first, second;
  const gemmi::Atom *atom1, *atom2;
  float distance;
};

struct residue_pair_row {
  table_residue first, second;
  std::uint64_t contacts;
  float closest;
};

struct residue_row {
  int side;  // 1 or 2
  table_residue residue;
  std::uint64_t contacts;
  float closest;
  std::string_view closest_partner;
  std::vector<std::string_view> partners;  // in row order
};

struct interaction_row {
  table_residue first, second;
  std::string_view atom1, atom2;  // an atom's name, or a ring's or group's atoms
  interaction_type type;
  float distance, angle1, angle2;  // NaN: none
  const gemmi::Chain* via_chain;
  const gemmi::Residue* via;
};

// Each residue pair's interactions by type (in interaction_type's order).
using type_counts = std::array<std::uint64_t, interaction_type_count>;

// The rank of each chain of a model in row order: the first place of its name in the model. Made once per
// structure and shared by the tables of all its pairs.
class chain_order {
 public:
  explicit chain_order(const gemmi::Model& model);
  // A chain of another model comes after every chain of this one.
  std::size_t rank(const gemmi::Chain* chain) const;

 private:
  std::unordered_map<const gemmi::Chain*, std::size_t> rank_;
};

// The contacts of a pair as the search finds them; the rows once all are in. The atom tables must outlive it.
class contact_tables {
 public:
  // self: one side against itself (each pair is oriented with its residue that comes first in row order first).
  contact_tables(bool self, std::shared_ptr<const chain_order> order) : self_(self), order_(std::move(order)) {}
  void add(const atom_table& t_a, std::size_t a, const atom_table& t_b, std::size_t b, float distance);

  // The rows, each table from the one before it, so that the contacts are sorted once.
  std::vector<contact_row> contacts() const;
  static std::vector<residue_pair_row> residue_pairs(const std::vector<contact_row>& contacts);
  std::vector<residue_row> residues(const std::vector<residue_pair_row>& pairs) const;
  // The typed interactions in row order (each oriented as its contact would be); the rows view found's names.
  std::vector<interaction_row> interactions(std::vector<typed_interaction>& found) const;

 private:
  struct found {
    const atom_table *t_a, *t_b;
    std::uint32_t a, b;
    float distance;
  };
  table_residue residue_of(const atom_table& t, std::uint32_t p) const;
  // Row order of residues: chain in the file's order, author number, insertion code; then image ("" first).
  bool residue_less(const table_residue& x, const table_residue& y) const;
  // One side against itself: whether the pair (a of t_a, b of t_b) is written the other way round, its residue
  // that comes first in row order first (an image stays second: it is the partner, named by image2).
  bool turned(const atom_table& t_a, std::uint32_t a, const atom_table& t_b, std::uint32_t b) const;
  // The row order of two pairs by their residues: first residue, the partner's image (the file's own first), the
  // partner residue; negative, zero or positive.
  int residue_order(const atom_table& x_a, std::uint32_t xa, const atom_table& x_b, std::uint32_t xb,
                    const atom_table& y_a, std::uint32_t ya, const atom_table& y_b, std::uint32_t yb) const;
  std::vector<found> sorted() const;

  bool self_;
  std::shared_ptr<const chain_order> order_;
  std::vector<found> found_;
};

// The tables as text: a header of snake_case names, tab-separated rows, names as the file gives them with a tab,
// a line break or a backslash escaped, distances as the lists write them.
extern const char* const contacts_header;
extern const char* const residue_pairs_header;
extern const char* const residues_header;
std::string contacts_text(const std::vector<contact_row>& rows);
extern const char* const interactions_header;
// Each residue pair's interactions by type, in the pairs' order (a pair met only beyond the cut-off has no row).
std::vector<type_counts> residue_pair_type_counts(const std::vector<residue_pair_row>& pairs,
                                                  const std::vector<interaction_row>& typed);
// The residue pairs' table; with typed rows, one count per type appended.
std::string residue_pairs_text(const std::vector<residue_pair_row>& rows, const std::vector<interaction_row>* typed = nullptr);
std::string interactions_text(const std::vector<interaction_row>& rows);
// The count columns' names ("\thydrogen_bond\tsalt_bridge..."), and a set of interactions' counts as fields.
std::string type_count_names();
std::string type_count_fields(const std::vector<typed_interaction>& found);
std::string residues_text(const std::vector<residue_row>& rows);
