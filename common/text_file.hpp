// Whole-file input, read once, and the line loop that both programs share.
#pragma once

#include <cstddef>
#include <cstring>
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

// Throws run_error "NAME: not a text file" when the first 4 KiB of a file's bytes hold a NUL byte: a binary
// file, named as such rather than by the first line it happens to break.
void require_text(const std::string& name, std::string_view bytes);

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

// A file read block by block, for inputs whose size should not set the memory a run needs.
class file_blocks {
 public:
  // Opens the file; throws run_error "cannot read NAME: reason".
  explicit file_blocks(const std::string& name);
  ~file_blocks();
  file_blocks(const file_blocks&) = delete;
  file_blocks& operator=(const file_blocks&) = delete;
  // Reads up to size bytes into at; 0 once the file has ended. Throws as above.
  std::size_t read(char* at, std::size_t size);

 private:
  std::string name_;
  int fd_ = -1;
};

// for_each_line over a file read in blocks: memory in proportion to the longest line, not to the file; a binary
// file is refused with require_text.
template <class Visit>
void for_each_line_of_file(const std::string& name, Visit&& visit) {
  file_blocks blocks(name);
  // One buffer, read into block by block; what follows the last complete line moves to its front. It grows
  // only for a line longer than itself.
  std::string buffer(1 << 20, '\0');
  std::size_t held = 0;
  std::size_t line_number = 0;
  for (bool more = true; more;) {
    if (held == buffer.size()) buffer.resize(2 * buffer.size());
    const std::size_t got = blocks.read(&buffer[held], buffer.size() - held);
    more = got > 0;
    held += got;
    const std::string_view text(buffer.data(), held);
    if (line_number == 0) require_text(name, text);
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string_view::npos; start = end + 1) {
      ++line_number;
      if (const std::string_view line = text.substr(start, end - start); !is_blank_line(line)) visit(line, line_number);
    }
    if (!more && start < held) {  // a last line without "\n"
      ++line_number;
      if (const std::string_view line = text.substr(start); !is_blank_line(line)) visit(line, line_number);
      start = held;
    }
    std::memmove(&buffer[0], buffer.data() + start, held - start);
    held -= start;
  }
}
