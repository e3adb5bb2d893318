// A contact list reduced to its residue pairs: for each, the smallest distance, the atom pair at it and the
// number of contacts. Memory follows the residue pairs, not the lines.
//
// Which residues are rows: the residues of a named side (set_rows); else, when no residue occurs both first and
// second in a line (pairsweep's list of two sides), those of the first labels; else (a self-contact list, a list
// sorted by text) every residue on both axes, each pair in both triangles. A side's residues never land on both
// axes of a two-sided map.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "contact_line.hpp"
#include "key_index.hpp"
#include "name_table.hpp"
#include "residue_order.hpp"

struct map_residue {
  std::string id, type;  // the type of the residue's first line
  residue_key key;
};

struct map_cell {
  std::uint32_t row = 0, column = 0;     // positions on the axes, once ordered
  float distance = 0;                    // the smallest
  std::uint32_t atom_row = 0, atom_column = 0;  // the closest atom pair (atom_name numbers); on equal distances
                                                // the first by name
  std::uint64_t contacts = 0;
};

class contact_map {
 public:
  void add(const contact_line& contact);
  // With a named side: "" when the line's residues lie one on each side, else what is wrong ("both residues
  // are rows", "neither residue is a row").
  std::string side_fault(const contact_line& contact) const;
  // Names the first side: residues with these identifiers are rows, every other residue a column.
  void set_rows(std::unordered_set<std::string> ids) { row_ids_ = std::move(ids), rows_named_ = true; }
  // Draws every residue on both axes whatever the lines' order (the contacts of one selection with itself).
  void set_square() { square_ = true; }
  // Lays out the axes as the class comment says, puts them in natural order and returns the cells by row, then
  // column. Throws run_error naming a residue pair with both residues, or neither, on the named side.
  std::vector<map_cell> ordered_cells();

  std::string_view atom_name(std::uint32_t number) const { return atoms_.name(number); }
  std::uint32_t atom_names() const { return atoms_.size(); }
  const std::vector<map_residue>& rows() const { return rows_; }
  const std::vector<map_residue>& columns() const { return columns_; }
  bool square() const { return square_; }
  std::uint64_t contacts() const { return contacts_; }
  float smallest_distance() const { return smallest_distance_; }
  float largest_distance() const { return largest_distance_; }

 private:
  std::uint32_t place(const contact_label& label, std::uint32_t& last);
  // Whether atoms (a, b) come before (c, d) by name.
  bool names_before(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) const;

  // Every residue, in order of first appearance (numbered as in residue_ids_), and whether it came first or
  // second in a line.
  std::vector<map_residue> residues_;
  std::vector<char> seen_first_, seen_second_;
  name_table residue_ids_{true}, atoms_{true};
  // One cell per (first residue, second residue) as the lines give them, in order of first appearance; row and
  // column hold those residues until ordered_cells, atom_row is the first label's atom. Found through an
  // index by the two residue numbers.
  std::vector<map_cell> cells_;
  key_index cell_index_;
  // Consecutive lines mostly share their residue pair: the last cell spares most lookups.
  std::uint64_t last_key_ = UINT64_MAX;
  std::size_t last_cell_ = 0;
  std::uint32_t last_first_ = UINT32_MAX, last_second_ = UINT32_MAX;
  std::unordered_set<std::string> row_ids_;
  bool rows_named_ = false, square_ = false;
  std::vector<map_residue> rows_, columns_;
  std::uint64_t contacts_ = 0;
  float smallest_distance_ = 0, largest_distance_ = 0;
};

// Adds one non-blank line of a contact list. Throws run_error "FILE:LINE: ..." for a short line, a label without
// three ':' parts, a distance that is not a plain number, or, with a named side, residues not one on each side.
void add_contact_line(contact_map& map, const std::string& file, std::size_t number, std::string_view line);

// Reads a contact list block by block into map, with add_contact_line.
void read_contact_map(const std::string& path, contact_map& map);

// The residue identifiers of a coordinate list's labels (the rows of a map), read whole.
std::unordered_set<std::string> read_row_residues(const std::string& path);
