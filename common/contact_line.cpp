#include "contact_line.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)
// Bit i of colons and tabs set where byte i of a line of 16 to 64 bytes is ':' or a tab: whole 16-byte loads, the
// last one ending at the line's end, so that nothing outside the line is read.
void separator_masks(const char* p, std::size_t n, std::uint64_t& colons, std::uint64_t& tabs) {
  const __m128i colon = _mm_set1_epi8(':'), tab = _mm_set1_epi8('\t');
  colons = tabs = 0;
  const auto add = [&](std::size_t from, unsigned drop, std::size_t at) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + from));
    colons |= std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, colon))) >> drop} << at;
    tabs |= std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, tab))) >> drop} << at;
  };
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) add(i, 0, i);
  if (i < n) add(n - 16, static_cast<unsigned>(16 - (n - i)), i);
}

// The first set bit of mask at or after from, or 64.
std::size_t next_bit(std::uint64_t mask, std::size_t from) {
  if (from >= 64) return 64;
  mask &= ~std::uint64_t{0} << from;
  return mask == 0 ? 64 : static_cast<std::size_t>(__builtin_ctzll(mask));
}
#endif

// The usual line, "id:type:atom<TAB>id:type:atom<TAB>distance[<TAB>...]" with no part empty and no ':' in an
// atom name, split in one pass over its bytes. Fills contact (but its distance) and returns true then; false
// for anything else, which the general splitting then reads.
bool split_usual_line(std::string_view line, contact_line& contact) {
  const char* p = line.data();
  const std::size_t n = line.size();
#if defined(__SSE2__)
  // Most lines: every separator found at once, without a branch per byte.
  if (n >= 16 && n <= 64) {
    std::uint64_t colons, tabs;
    separator_masks(p, n, colons, tabs);
    const std::size_t t1 = next_bit(tabs, 0), t2 = next_bit(tabs, t1 + 1), t3 = std::min(next_bit(tabs, t2 + 1), n);
    const std::size_t c1 = next_bit(colons, 0), c2 = next_bit(colons, c1 + 1), c3 = next_bit(colons, c2 + 1);
    const std::size_t c4 = next_bit(colons, c3 + 1), c5 = next_bit(colons, c4 + 1);
    if (!(t2 < n && 0 < c1 && c1 + 1 < c2 && c2 + 1 < t1 && t1 + 1 < c3 && c3 + 1 < c4 && c4 + 1 < t2 && t2 < c5 &&
          t2 + 1 < t3))
      return false;
    const auto part = [p](std::size_t from, std::size_t to) { return std::string_view(p + from, to - from); };
    contact.first = {part(0, c1), part(c1 + 1, c2), part(c2 + 1, t1)};
    contact.second = {part(t1 + 1, c3), part(c3 + 1, c4), part(c4 + 1, t2)};
    contact.distance_text = part(t2 + 1, t3);
    return true;
  }
#endif
  const char* const end = p + n;
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
  contact_line contact;  // filled below; zeroing it first would cost as much as splitting the line
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
