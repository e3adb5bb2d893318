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

// The usual line, "id:type:atom<TAB>id:type:atom<TAB>distance[<TAB>...]" with no part empty and no ':' in an
// atom name, split in one pass over its bytes. Fills contact (but its distance) and returns true then; false
// for anything else, which the general splitting then reads.
bool split_usual_line(std::string_view line, contact_line& contact) {
  const char* p = line.data();
  const char* const end = p + line.size();
  // The part from p up to stop (or to the line's end), which must be non-empty and end at stop exactly.
  const auto part = [&p, end](char stop, char other, std::string_view& out) {
    const char* const first = p;
    while (p != end && *p != stop && *p != other) ++p;
    if (p == first || p == end || *p != stop) return false;
    out = std::string_view(first, static_cast<std::size_t>(p - first));
    ++p;
    return true;
  };
  if (!part(':', '\t', contact.first.id) || !part(':', '\t', contact.first.type) ||
      !part('\t', ':', contact.first.atom) || !part(':', '\t', contact.second.id) ||
      !part(':', '\t', contact.second.type) || !part('\t', ':', contact.second.atom))
    return false;
  const char* const first = p;
  while (p != end && *p != '\t') ++p;
  if (p == first) return false;
  contact.distance_text = std::string_view(first, static_cast<std::size_t>(p - first));
  return true;
}

}  // namespace

contact_line parse_contact_line(std::string_view file, std::size_t line_number, std::string_view line) {
  contact_line contact{};
  if (split_usual_line(line, contact)) {
    contact.distance = read_float(contact.distance_text);
  } else {
    std::string_view fields[3];
    const std::size_t n_fields = split_plain(line, '\t', fields, 3) ? 3 : split_first(line, '\t', fields, 3);
    if (n_fields < 3)
      fail_at(file, line_number, "expected two labels and a distance, found " + fields_found(n_fields));
    contact = {parse_label(file, line_number, fields[0]), parse_label(file, line_number, fields[1]),
               read_float(fields[2]), fields[2]};
  }
  if (std::isnan(contact.distance))
    fail_at(file, line_number, "distance " + quoted(contact.distance_text) + " is not a number");
  return contact;
}
