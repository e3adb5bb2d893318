// The engine's data files (engine/data/*.tsv), carried in the library as text, and the reading of their lines.
#pragma once

#include <string_view>
#include <vector>

#include "split.hpp"
#include "text_file.hpp"

extern const char* const interaction_criteria_text;
extern const char* const element_radii_text;
extern const char* const residue_atoms_text;

// Calls visit(fields) for each line of a data file, split at tabs; comment lines (#) and blank lines are left out.
template <class Visit>
void for_each_data_line(std::string_view text, Visit&& visit) {
  std::vector<std::string_view> fields;
  for_each_line(text, [&](std::string_view line, std::size_t) {
    if (line.front() == '#') return;
    split_views(line, '\t', fields);
    visit(static_cast<const std::vector<std::string_view>&>(fields));
  });
}
