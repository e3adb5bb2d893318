#include "line_writer.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "error.hpp"
#include "number_text.hpp"
#include "output_path.hpp"

line_writer::line_writer(std::string path, flushing when) : path_(std::move(path)), when_(when) {
  const output_path out = resolve_output(path_);
  path_ = out.shown;
  fd_ = open_for_lines(out);
  line_.resize(when == flushing::each_line ? 256 : block_size + 256);
}

line_writer::line_writer(int fd, std::string shown, flushing when)
    : path_(std::move(shown)), fd_(fd), owns_fd_(false), when_(when) {
  line_.resize(when == flushing::each_line ? 256 : block_size + 256);
}

void line_writer::grow(std::size_t more) { line_.resize(std::max(2 * line_.size(), used_ + more + float_text_room)); }

line_writer::~line_writer() {
  if (fd_ >= 0 && owns_fd_) ::close(fd_);
}

line_writer& line_writer::operator<<(float value) {
  if (line_.size() - used_ < float_text_room) grow(float_text_room);
  used_ = static_cast<std::size_t>(write_float(line_.data() + used_, value) - line_.data());
  return *this;
}

void line_writer::flush() {
  const int error_number = write_all(fd_, line_.data(), used_);
  if (error_number != 0) fail_system("cannot write " + file_name(path_), error_number);
  used_ = 0;
}

void line_writer::close() {
  if (used_ != 0) flush();
  const int fd = fd_;
  fd_ = -1;
  if (owns_fd_ && ::close(fd) != 0) fail_system("cannot write " + file_name(path_), errno);
}
