// The strongest interaction type of each residue pair, to mark its cell on a map. Types are named as the
// interactions table names them; a pair keeps the first of its types in strength order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class type_marks {
 public:
  // Types in strength order, strongest first; a clash is no bond and is not marked.
  static const std::vector<std::string>& order();
  // Records one interaction of the residues with these map identifiers ("A25", "B7@2_655"); false for a type
  // that is not marked.
  bool add(std::string_view row_id, std::string_view column_id, std::string_view type);
  // The mark of a cell (an index into order()), or -1; a square map looks a pair up either way round.
  int of(std::string_view row_id, std::string_view column_id) const;
  bool empty() const { return marks_.empty(); }
  // The types that mark at least one cell, in strength order (for the legend).
  std::vector<int> used() const;

 private:
  std::unordered_map<std::string, int> marks_;
};

// The marks of an interactions table (pairscan --interactions): the residues named by chain1 number1 icode1
// and chain2 number2 icode2 image2 as the map names them. Throws run_error for a file without those columns and
// type, or a line of another number of fields ("FILE:LINE: ...").
type_marks read_type_marks(const std::string& path);

// The colour of a mark on the map.
const char* mark_colour(int mark);
