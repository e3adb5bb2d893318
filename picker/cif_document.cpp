#include "cif_document.hpp"

#include <algorithm>
#include <cstring>

namespace {

// The classes of bytes in gemmi's grammar: whitespace (space, tab, CR, LF) and the printable ASCII that a tag or
// an unquoted value is made of ('!' to '~').
bool is_space(char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; }
bool is_nonblank(char c) { return c >= '!' && c <= '~'; }

bool starts_with_word(const char* p, const char* end, const char* word, std::size_t size) {
  if (static_cast<std::size_t>(end - p) < size) return false;
  for (std::size_t i = 0; i < size; ++i)
    if ((p[i] | 0x20) != word[i] && p[i] != word[i]) return false;
  return true;
}

// The grammar's reserved words, which no unquoted value may start with (in any case).
bool at_keyword(const char* p, const char* end) {
  const char first = static_cast<char>(*p | 0x20);
  if (first != 'd' && first != 'l' && first != 's' && first != 'g') return false;
  return starts_with_word(p, end, "data_", 5) || starts_with_word(p, end, "loop_", 5) ||
         starts_with_word(p, end, "save_", 5) || starts_with_word(p, end, "stop_", 5) ||
         starts_with_word(p, end, "global_", 7);
}

class reader {
 public:
  explicit reader(std::string_view text)
      : begin_(text.data()), p_(text.data()), end_(text.data() + text.size()), room_left_(text.size() / 2 + 1) {}

  // Reads the whole text into blocks; false where gemmi's parser must decide.
  bool read(std::vector<gemmi::cif::Block>& blocks) {
    skip_space();
    if (p_ == end_) return false;
    while (p_ != end_) {
      if (!starts_with_word(p_, end_, "data_", 5)) return false;
      p_ += 5;
      const char* name = p_;
      while (p_ != end_ && is_nonblank(*p_)) ++p_;
      blocks.emplace_back(std::string(name, p_));
      if (blocks.back().name.empty()) blocks.back().name = "#";  // as gemmi names a block without a name
      if (!space_or_end()) return false;
      skip_space();
      if (!read_items(blocks.back().items)) return false;
    }
    return true;
  }

 private:
  // Items up to the next block or the end of the text.
  bool read_items(std::vector<gemmi::cif::Item>& items) {
    while (p_ != end_) {
      if (*p_ == '_') {
        const int line = line_at(p_);
        const std::string_view tag = read_tag();
        if (tag.empty() || !space_follows()) return false;
        skip_space();
        const std::string_view value = read_value();
        if (value.empty() || !space_or_end()) return false;
        skip_space();
        items.emplace_back(std::string(tag));
        items.back().line_number = line;
        items.back().pair[1].assign(value.data(), value.size());
      } else if (starts_with_word(p_, end_, "loop_", 5)) {
        const int line = line_at(p_);
        p_ += 5;
        if (!space_follows()) return false;
        skip_space();
        items.emplace_back(gemmi::cif::LoopArg{});
        items.back().line_number = line;
        if (!read_loop(items.back().loop)) return false;
      } else if (starts_with_word(p_, end_, "data_", 5)) {
        return true;
      } else {
        return false;  // save frames, global_, stop_, or a value without a tag
      }
    }
    return true;
  }

  bool read_loop(gemmi::cif::Loop& loop) {
    while (p_ != end_ && *p_ == '_') {
      const std::string_view tag = read_tag();
      if (tag.empty() || !space_follows()) return false;
      skip_space();
      loop.tags.emplace_back(tag);
    }
    if (loop.tags.empty()) return false;
    const char* first_row = p_;
    while (p_ != end_ && *p_ != '_' && !at_keyword(p_, end_)) {
      const std::string_view value = read_value();
      if (value.empty() || !space_or_end()) return false;
      skip_space();
      loop.values.emplace_back(value);
      if (loop.values.size() == loop.tags.size()) reserve_rows(loop, static_cast<std::size_t>(p_ - first_row));
    }
    // An empty loop, or one whose values do not fill its rows: gemmi's parser decides (as for stop_ after a loop,
    // which the items that follow do not take).
    return !loop.values.empty() && loop.values.size() % loop.tags.size() == 0;
  }

  // Room for the loop's rows, guessed from the first row's length and the loop's likely end (the first line that
  // starts a tag, a comment or a reserved word): growing a vector of a hundred thousand values moves them all
  // several times. The search for that line goes over each byte once however many loops share a line, and all
  // loops together get room for at most one value for every two bytes of the text.
  void reserve_rows(gemmi::cif::Loop& loop, std::size_t row_length) {
    if (likely_end_ < p_) {
      likely_end_ = p_;
      do likely_end_ = next_line(likely_end_);
      while (likely_end_ != end_ && *likely_end_ != '_' && *likely_end_ != '#' && !at_keyword(likely_end_, end_));
    }
    const auto bytes = static_cast<std::size_t>(likely_end_ - p_);
    const std::size_t rows = bytes / std::max<std::size_t>(row_length, 1) + 1;
    const std::size_t room = std::min({rows * loop.tags.size(), bytes / 2 + 1, room_left_});
    room_left_ -= room;
    loop.values.reserve(loop.values.size() + room);
  }

  // '_' and at least one more printable byte; empty when there is none.
  std::string_view read_tag() {
    const char* start = p_;
    ++p_;
    while (p_ != end_ && is_nonblank(*p_)) ++p_;
    if (p_ - start < 2) return {};
    return {start, static_cast<std::size_t>(p_ - start)};
  }

  // A value as the text has it: quoted (quotes kept), a text field (its semicolons kept) or unquoted. Empty where
  // none starts here.
  std::string_view read_value() {
    if (p_ == end_) return {};
    const char* start = p_;
    const char c = *p_;
    if (c == '\'' || c == '"') {
      // The quote closes where it is followed by whitespace, a comment or the end; never past the line.
      for (const char* q = p_ + 1; q != end_ && *q != '\n'; ++q)
        if (*q == c && (q + 1 == end_ || is_space(q[1]) || q[1] == '#')) {
          p_ = q + 1;
          return {start, static_cast<std::size_t>(p_ - start)};
        }
      return {};
    }
    if (c == ';' && (p_ == begin_ || p_[-1] == '\n')) {
      // A text field ends at the next semicolon that starts a line.
      for (const char* q = next_line(p_); q != end_; q = next_line(q))
        if (*q == ';') {
          p_ = q + 1;
          return {start, static_cast<std::size_t>(p_ - start)};
        }
      return {};
    }
    if (!is_nonblank(c) || c == '_' || c == '$' || c == '#' || at_keyword(p_, end_)) return {};
    while (p_ != end_ && is_nonblank(*p_)) ++p_;
    return {start, static_cast<std::size_t>(p_ - start)};
  }

  bool space_follows() const { return p_ != end_ && (is_space(*p_) || *p_ == '#'); }
  bool space_or_end() const { return p_ == end_ || is_space(*p_) || *p_ == '#'; }

  // Whitespace and comments (from '#' to the end of the line).
  void skip_space() {
    while (p_ != end_) {
      if (is_space(*p_)) {
        ++p_;
      } else if (*p_ == '#') {
        p_ = next_line(p_);
      } else {
        return;
      }
    }
  }

  // The start of the line after the one at p, or the end of the text.
  const char* next_line(const char* p) const {
    const void* found = std::memchr(p, '\n', static_cast<std::size_t>(end_ - p));
    return found == nullptr ? end_ : static_cast<const char*>(found) + 1;
  }

  // The line of a position, counted from 1 by line feeds as gemmi counts; positions are asked in order.
  int line_at(const char* position) {
    line_ += static_cast<int>(std::count(counted_, position, '\n'));
    counted_ = position;
    return line_;
  }

  const char* begin_;
  const char* p_;
  const char* end_;
  const char* counted_ = begin_;
  int line_ = 1;
  const char* likely_end_ = begin_;  // where the last loop's values likely end
  std::size_t room_left_;             // values all loops may still reserve
};

}  // namespace

bool read_cif_document(std::string_view text, const std::string& name, gemmi::cif::Document& document) {
  document = gemmi::cif::Document();
  if (!reader(text).read(document.blocks)) {
    document = gemmi::cif::Document();
    return false;
  }
  document.source = name;
  if (!document.blocks.empty()) document.items_ = &document.blocks.back().items;
  gemmi::cif::check_for_missing_values(document);
  gemmi::cif::check_for_duplicates(document);
  return true;
}
