#include "split.hpp"

#include <cstdint>

namespace {

// Calls emit(field) for each field of text at a one-character delimiter, in order, until emit returns false.
template <class Emit>
void scan_fields(std::string_view text, char delimiter, Emit&& emit) {
  const std::size_t n = text.size();
  std::size_t pos = 0;
  if (n == 0) {
    emit(std::string_view());
    return;
  }
  if (text[0] == delimiter) {
    while (pos < n && text[pos] == delimiter) ++pos;
    // A text of delimiters alone is cut to nothing and gives one empty field, not two.
    if (!emit(std::string_view()) || pos == n) return;
  }
  while (pos < n) {
    std::size_t end = pos;
    while (end < n && text[end] != delimiter) ++end;
    if (!emit(text.substr(pos, end - pos))) return;
    pos = end;
    while (pos < n && text[pos] == delimiter) ++pos;
  }
}

}  // namespace

void split_views(std::string_view text, char delimiter, std::vector<std::string_view>& fields) {
  fields.clear();
  scan_fields(text, delimiter, [&fields](std::string_view field) {
    fields.push_back(field);
    return true;
  });
}

std::size_t split_first(std::string_view text, char delimiter, std::string_view* fields, std::size_t n) {
  std::size_t count = 0;
  if (n == 0) return 0;
  scan_fields(text, delimiter, [&](std::string_view field) {
    fields[count++] = field;
    return count < n;
  });
  return count;
}

namespace {

// Leftmost-first rewriting of every doubled delimiter into one. The text before a rewrite held no doubled
// delimiter, so the next one can start no earlier than 2 * length - 1 bytes before the rewritten spot.
void collapse_doubled(std::string& text, const std::string& delimiter) {
  const std::string doubled = delimiter + delimiter;
  std::size_t from = 0;
  for (;;) {
    const std::size_t hit = text.find(doubled, from);
    if (hit == std::string::npos) return;
    text.erase(hit, delimiter.size());
    from = hit >= doubled.size() - 1 ? hit - (doubled.size() - 1) : 0;
  }
}

}  // namespace

std::vector<std::string> split(std::string text, std::string delimiter) {
  if (delimiter.empty()) return {text};
  std::vector<std::string> result;
  if (delimiter.size() == 1) {
    std::vector<std::string_view> views;
    split_views(text, delimiter[0], views);
    result.reserve(views.size());
    for (std::string_view v : views) result.emplace_back(v);
    return result;
  }
  collapse_doubled(text, delimiter);
  const std::size_t last = text.find_last_not_of(delimiter);
  text.resize(last == std::string::npos ? 0 : last + 1);
  // The bound wraps when the text is shorter than the delimiter; the search then fails at once.
  std::size_t start = 0;
  while (static_cast<std::uint64_t>(start) <
         static_cast<std::uint64_t>(text.size()) - static_cast<std::uint64_t>(delimiter.size())) {
    const std::size_t hit = text.find(delimiter, start);
    if (hit == std::string::npos) break;
    result.push_back(text.substr(start, hit - start));
    start = hit + delimiter.size();
  }
  result.push_back(text.substr(start));
  return result;
}
