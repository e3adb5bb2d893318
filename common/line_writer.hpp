// Output file written line by line: each line handed to the system as soon as it is complete (a long run's
// results appear as it goes), or, for a program that writes its whole result at the end, in blocks.
#pragma once

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

class line_writer {
 public:
  // Opens the output as resolve_output decides: a held descriptor, a device in place, or the final target of
  // any links, created or truncated; throws run_error "cannot create PATH: reason".
  enum class flushing { each_line, blocks };
  explicit line_writer(std::string path, flushing when = flushing::each_line);
  // Writes to a descriptor held elsewhere (a file of an output_set), which close leaves open; shown names it.
  line_writer(int fd, std::string shown, flushing when);
  // Closes without a check: only reached without close() when an error is already on its way.
  ~line_writer();
  line_writer(const line_writer&) = delete;
  line_writer& operator=(const line_writer&) = delete;

  line_writer& operator<<(std::string_view text) {
    if (text.empty()) return *this;
    if (text.size() > line_.size() - used_) grow(text.size());
    std::memcpy(line_.data() + used_, text.data(), text.size());
    used_ += text.size();
    return *this;
  }
  line_writer& operator<<(char c) {
    if (used_ == line_.size()) grow(1);
    line_[used_++] = c;
    return *this;
  }
  // A distance, formatted as a default stream formats a float.
  line_writer& operator<<(float value);

  // Ends the line and writes it with one system call (or, in blocks, once enough lines are waiting);
  // throws run_error "cannot write PATH: reason" (a full disk, /dev/full).
  void end_line() {
    *this << '\n';
    if (when_ == flushing::each_line || used_ >= block_size) flush();
  }
  // Writes what is waiting and closes the file (unless held elsewhere); throws run_error when the system reports a late write error.
  void close();

 private:
  static constexpr std::size_t block_size = 1 << 16;
  void grow(std::size_t more);
  void flush();

  std::string path_;
  int fd_ = -1;
  bool owns_fd_ = true;
  flushing when_;
  // The line being built: a plain buffer with a fill mark, so that appending a field is one copy.
  std::vector<char> line_;
  std::size_t used_ = 0;
};
