// Areas of the sides of a scan: each side's accessible surface with itself alone, and what each other side
// buries of it, per residue and in all, from one surface computation (surface_areas). Radii as FreeSASA's
// default classifier gives them: ProtOr for standard residues, its element guess for the rest.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "atom_table.hpp"
#include "contact_tables.hpp"
#include "surface_area.hpp"

// The van der Waals radius FreeSASA's default classifier gives an atom of a residue (0 when it cannot tell),
// asked once per residue and atom name.
class area_radii {
 public:
  double of(const gemmi::Residue& residue, const gemmi::Atom& atom);

 private:
  std::unordered_map<std::string, double> known_;
};

// Whether the rules count the atom.
bool counts_for_area(const gemmi::Residue& residue, const gemmi::Atom& atom, const area_rules& rules);

struct residue_area_row {
  int side;  // 1 or 2, as in the residues table
  table_residue residue;
  double alone, buried;
};

class side_areas {
 public:
  explicit side_areas(const area_rules& rules) : rules_(rules) {}
  // An atom of a table on side (from 0); one the rules do not count is left out.
  void add(const atom_table& table, std::size_t atom, std::uint32_t side);
  // The surface, once every atom is added.
  void compute();
  // The area of side buried by other (Å^2).
  double buried(std::uint32_t side, std::uint32_t other) const;
  // The residues of first (side 1) then of second (side 2), in the order their atoms were added: each with its
  // area alone and the part the other side buries. One side against itself: its residues, nothing buried.
  std::vector<residue_area_row> rows(std::uint32_t first, std::uint32_t second) const;

 private:
  struct residue_areas {
    table_residue residue;
    std::uint32_t side;
    double alone = 0;
    std::unordered_map<std::uint32_t, double> buried;  // by side
  };
  area_rules rules_;
  area_radii radii_;
  area_atoms atoms_;
  std::vector<std::uint32_t> residue_of_;  // each added atom's residue
  std::vector<residue_areas> residues_;
  std::unordered_map<const gemmi::Residue*, std::uint32_t> residue_index_;
  std::unordered_map<std::uint64_t, double> side_buried_;  // side * 2^32 + other
};

extern const char* const areas_header;
std::string areas_text(const std::vector<residue_area_row>& rows);
