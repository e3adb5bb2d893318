// Output file written line by line, every line handed to the system as soon as it is complete.
#pragma once

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

class line_writer {
 public:
  // Opens the output as resolve_output decides: a held descriptor, a device in place, or the final target of
  // any links, created or truncated; throws run_error "cannot create PATH: reason".
  explicit line_writer(std::string path);
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

  // Ends the line and writes it with one system call, so that a long run's results appear as it goes;
  // throws run_error "cannot write PATH: reason" (a full disk, /dev/full).
  void end_line();
  // Closes the file; throws run_error when the system reports a late write error.
  void close();

 private:
  void grow(std::size_t more);

  std::string path_;
  int fd_ = -1;
  // The line being built: a plain buffer with a fill mark, so that appending a field is one copy.
  std::vector<char> line_;
  std::size_t used_ = 0;
};
