// The residue contact map as an SVG picture: rows and columns of residues in contact, each cell coloured by the
// smallest distance of its residue pair on the viridis scale (closest darkest), with a colour bar in Angstrom,
// axis titles and labels, chain blocks named and set apart from gaps in the numbering, a title, and a tooltip per
// cell. Sized to be read at 1,200 pixels wide: labels thin out rather than shrink.
#pragma once

#include <functional>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "contact_map.hpp"
#include "type_marks.hpp"

struct map_style {
  std::string title;                     // the first line of the title: the input's name, or --title
  std::string row_title, column_title;   // what each side is ("" : "rows", "columns")
  float cutoff = 0;                      // shown in the subtitle when given
  float min_distance = -1;               // the colour scale's ends; -1 and 0: the list's smallest, rounded down
  float max_distance = 0;                // to a tick step, and its largest
  // A map of frequencies over an ensemble: each cell's value (its "distance") is the share of models in
  // contact, coloured on 0-1 (frequent is bright) and shown as such; models is their number.
  std::uint64_t models = 0;
  // Each residue pair's strongest interaction type, marked on its cell with a legend, or none.
  const type_marks* marks = nullptr;
};

std::string draw_svg(const contact_map& map, const std::vector<map_cell>& cells, const map_style& style);
// The same picture handed to write in parts, in order.
void draw_svg(const contact_map& map, const std::vector<map_cell>& cells, const map_style& style,
              const std::function<void(std::string_view)>& write);

// The colour of t in [0, 1] on the viridis scale, as "#rrggbb"; t outside is clamped.
std::string viridis(double t);
