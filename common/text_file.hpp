// Whole-file input, read once, and the line loop that both programs share.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A file's bytes, read once: a pipe or a file that changes meanwhile gives the same lines to every pass.
struct text_file {
  std::string name;
  std::string bytes;
};

// Reads the whole file; throws run_error "cannot read NAME: reason" for a missing file, a directory, no
// permission or a failed read.
text_file read_text_file(const std::string& name);

// A line that is empty once trailing blanks, tabs and carriage returns are dropped: what an empty line of a
// CRLF file, or a line of stray blanks, looks like. Such lines are skipped and never numbered as records.
inline bool is_blank_line(std::string_view line) {
  for (std::size_t i = line.size(); i > 0; --i) {
    const char c = line[i - 1];
    if (c != ' ' && c != '\t' && c != '\r') return false;
  }
  return true;
}

// Calls visit(line, line_number) for every line of text that is not blank, in order. Lines end at "\n",
// which is dropped; a last line without it still counts and a final "\n" adds no line. line_number is the
// physical line, counting blank lines too, so that messages point into the file.
template <class Visit>
void for_each_line(std::string_view text, Visit&& visit) {
  std::size_t line_number = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    ++line_number;
    const std::string_view line = text.substr(pos, end - pos);
    if (!is_blank_line(line)) visit(line, line_number);
    pos = end + 1;
  }
}
