#include "line_writer.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "error.hpp"
#include "number_text.hpp"

line_writer::line_writer(std::string path) : path_(std::move(path)) {
  fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) fail("cannot create " + file_name(path_) + ": " + std::strerror(errno));
  line_.resize(256);
}

void line_writer::grow(std::size_t more) { line_.resize(std::max(2 * line_.size(), used_ + more + float_text_room)); }

line_writer::~line_writer() {
  if (fd_ >= 0) ::close(fd_);
}

line_writer& line_writer::operator<<(float value) {
  if (line_.size() - used_ < float_text_room) grow(float_text_room);
  used_ = static_cast<std::size_t>(write_float(line_.data() + used_, value) - line_.data());
  return *this;
}

void line_writer::end_line() {
  *this << '\n';
  const char* next = line_.data();
  std::size_t left = used_;
  while (left > 0) {
    const ssize_t put = ::write(fd_, next, left);
    if (put < 0) {
      if (errno == EINTR) continue;
      fail("cannot write " + file_name(path_) + ": " + std::strerror(errno));
    }
    next += put;
    left -= static_cast<std::size_t>(put);
  }
  used_ = 0;
}

void line_writer::close() {
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) fail("cannot write " + file_name(path_) + ": " + std::strerror(errno));
}
