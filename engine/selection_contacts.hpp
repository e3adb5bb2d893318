// The contacts of one or two selections of a structure: which pairs count (a selection against itself, a
// second side without the first's atoms, the crystal's images), found by one search each.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <gemmi/model.hpp>
#include <gemmi/select.hpp>

#include "atom_table.hpp"
#include "side_areas.hpp"
#include "request.hpp"
#include "side_pair.hpp"

// What one or two selections of a structure meet: each side's atoms and the side pair's results, which view
// the atoms' labels.
struct selection_contacts {
  bool self = false;
  atom_table first, second;  // second: empty against itself
  atom_table images;         // with symmetry: the crystal images met by the first side
  std::uint64_t image_contacts = 0;
  std::size_t matched[2] = {0, 0};  // the atoms each selection matched (before the second loses the first's)
  side_pair result;
  std::unique_ptr<side_areas> areas;  // when asked: side 0 the first selection, side 1 the second
  const atom_table& other() const { return self ? first : second; }
};

// The contacts of the request's selections (parsed as selections) in structure, whose entity types must be set:
// grouped and ordered as they are written, the summary and the map when the request asks for them.
// Throws run_error for a selection that matches nothing (unless allowed) or a bad name in the structure.
std::unique_ptr<selection_contacts> find_selection_contacts(const scan_request& request,
                                                            const std::vector<gemmi::Selection>& selections,
                                                            gemmi::Structure& structure);
