#include "contact_line.hpp"

#include <cmath>
#include <string>

#include "error.hpp"
#include "number_text.hpp"
#include "split.hpp"

namespace {

contact_label parse_label(std::string_view file, std::size_t line_number, std::string_view text) {
  std::string_view parts[3];
  if (split_first(text, ':', parts, 3) < 3)
    fail_at(file, line_number, "label " + quoted(text) + " is not of the form residue:type:atom");
  return {parts[0], parts[1], parts[2]};
}

}  // namespace

contact_line parse_contact_line(std::string_view file, std::size_t line_number, std::string_view line) {
  std::string_view fields[3];
  const std::size_t n_fields = split_first(line, '\t', fields, 3);
  if (n_fields < 3)
    fail_at(file, line_number, "expected two labels and a distance, found " + fields_found(n_fields));
  contact_line contact{parse_label(file, line_number, fields[0]), parse_label(file, line_number, fields[1]),
                       read_float(fields[2]), fields[2]};
  if (std::isnan(contact.distance))
    fail_at(file, line_number, "distance " + quoted(fields[2]) + " is not a number");
  return contact;
}
