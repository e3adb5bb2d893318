// One line of a contact list: "residue:type:atom<TAB>residue:type:atom<TAB>distance", further fields and label
// parts ignored.
#pragma once

#include <cstddef>
#include <string_view>

struct contact_label {
  std::string_view id, type, atom;
};

struct contact_line {
  contact_label first, second;
  float distance;
  std::string_view distance_text;
};

// The parts of a line, as views into it; the distance read as atof reads it. Throws run_error "FILE:LINE: ..."
// for fewer than three fields, a label of fewer than three ':' parts, or a distance that reads as not-a-number.
contact_line parse_contact_line(std::string_view file, std::size_t line_number, std::string_view line);
