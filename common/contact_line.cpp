#include "contact_line.hpp"

#include <cmath>
#include <string>

#include "error.hpp"
#include "number_text.hpp"
#include "split.hpp"

namespace {

// The usual text: n fields at single delimiters, none empty, no delimiter first. Fills fields and returns true
// then, as split_first would; returns false for anything else, which split_first then reads.
bool split_plain(std::string_view text, char delimiter, std::string_view* fields, std::size_t n) {
  // A plain loop: fields are a few bytes long, shorter than a library search pays off for.
  const std::size_t size = text.size();
  std::size_t pos = 0;
  for (std::size_t k = 0; k < n; ++k) {
    if (pos >= size || text[pos] == delimiter) return false;
    std::size_t end = pos + 1;
    while (end < size && text[end] != delimiter) ++end;
    fields[k] = text.substr(pos, end - pos);
    if (end == size) return k + 1 == n;
    pos = end + 1;
  }
  return true;
}

contact_label parse_label(std::string_view file, std::size_t line_number, std::string_view text) {
  std::string_view parts[3];
  if (!split_plain(text, ':', parts, 3) && split_first(text, ':', parts, 3) < 3)
    fail_at(file, line_number, "label " + quoted(text) + " is not of the form residue:type:atom");
  return {parts[0], parts[1], parts[2]};
}

}  // namespace

contact_line parse_contact_line(std::string_view file, std::size_t line_number, std::string_view line) {
  std::string_view fields[3];
  const std::size_t n_fields = split_plain(line, '\t', fields, 3) ? 3 : split_first(line, '\t', fields, 3);
  if (n_fields < 3)
    fail_at(file, line_number, "expected two labels and a distance, found " + fields_found(n_fields));
  contact_line contact{parse_label(file, line_number, fields[0]), parse_label(file, line_number, fields[1]),
                       read_float(fields[2]), fields[2]};
  if (std::isnan(contact.distance))
    fail_at(file, line_number, "distance " + quoted(fields[2]) + " is not a number");
  return contact;
}
