// The natural order of residue identifiers along a map's axes: chain, then residue number as a number, then
// insertion code (A2 < A10 < A100 < A100A < B1); identifiers that are not chain and number come after, as text.
#pragma once

#include <string>
#include <string_view>

struct residue_key {
  bool numbered = false;  // chain + number (+ insertion code)
  std::string chain;      // "" for a blank chain; a chain joined to its number with "_" ("1_23") loses the "_"
  long number = 0;
  std::string insertion;  // letters after the number
  std::string text;       // the identifier itself
};

// Reads "A25", "A100B", "B-3", "200", "1_23", "Z-_5"; anything else (a ligand's "LIG", "A", "") is not numbered.
residue_key make_residue_key(std::string_view id);

bool natural_less(const residue_key& a, const residue_key& b);

// Whether a separator line goes between a and the b that follows it: another chain, a gap in the numbers, or
// the step from numbered identifiers to the others.
bool is_break(const residue_key& a, const residue_key& b);
