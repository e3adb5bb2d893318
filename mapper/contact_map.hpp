// A contact list reduced to its residue pairs: for each, the smallest distance, the atom pair at it and the
// number of contacts. Memory follows the residue pairs, not the lines.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "contact_line.hpp"
#include "residue_order.hpp"

struct map_residue {
  std::string id, type;  // the type of the residue's first line
  residue_key key;
};

struct map_cell {
  std::uint32_t row = 0, column = 0;  // positions on the axes, once ordered
  float distance = 0;                 // the smallest
  std::string atom_row, atom_column;  // the closest atom pair; on equal distances the first by name
  std::uint64_t contacts = 0;
};

class contact_map {
 public:
  // Rows are the residues of the lines' first labels, columns those of the second.
  void add(const contact_line& contact);
  // Puts rows and columns in natural order and returns the cells by row, then column.
  std::vector<map_cell> ordered_cells();

  const std::vector<map_residue>& rows() const { return rows_; }
  const std::vector<map_residue>& columns() const { return columns_; }
  std::uint64_t contacts() const { return contacts_; }
  float largest_distance() const { return largest_distance_; }

 private:
  static std::uint32_t place(std::vector<map_residue>& axis, std::unordered_map<std::string, std::uint32_t>& index,
                             const contact_label& label, std::string& last_id, std::uint32_t& last_place);

  std::vector<map_residue> rows_, columns_;
  std::unordered_map<std::string, std::uint32_t> row_index_, column_index_;
  std::unordered_map<std::uint64_t, map_cell> cells_;
  // Consecutive lines mostly share their residues: the last ones spare most lookups.
  std::string last_row_, last_column_;
  std::uint32_t last_row_place_ = 0, last_column_place_ = 0;
  std::uint64_t contacts_ = 0;
  float largest_distance_ = 0;
};

// Adds one non-blank line of a contact list. Throws run_error "FILE:LINE: ..." for a short line, a label without
// three ':' parts, or a distance that is not a plain number.
void add_contact_line(contact_map& map, const std::string& file, std::size_t number, std::string_view line);

// Reads a contact list block by block, with add_contact_line.
contact_map read_contact_map(const std::string& path);
