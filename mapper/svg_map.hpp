// The residue contact map as an SVG picture: rows and columns of residues in contact, each cell coloured by the
// smallest distance of its residue pair on the viridis scale (closest darkest), with a colour bar, axis labels,
// separators where residue numbers jump, a title, and a tooltip per cell.
#pragma once

#include <string>
#include <vector>

#include "contact_map.hpp"

struct map_style {
  std::string title;           // the first line of the title: the input's name, or --title
  float max_distance = 0;      // the top of the colour scale; 0: the largest distance of the list
};

std::string draw_svg(const contact_map& map, const std::vector<map_cell>& cells, const map_style& style);

// The colour of t in [0, 1] on the viridis scale, as "#rrggbb"; t outside is clamped.
std::string viridis(double t);
