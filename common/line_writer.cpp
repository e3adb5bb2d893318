#include "line_writer.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "error.hpp"
#include "number_text.hpp"

line_writer::line_writer(std::string path) : path_(std::move(path)) {
  fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) fail("cannot create " + path_ + ": " + std::strerror(errno));
  line_.reserve(256);
}

line_writer::~line_writer() {
  if (fd_ >= 0) ::close(fd_);
}

line_writer& line_writer::operator<<(float value) {
  char text[float_text_room];
  line_.append(text, write_float(text, value));
  return *this;
}

void line_writer::end_line() {
  line_.push_back('\n');
  const char* next = line_.data();
  std::size_t left = line_.size();
  while (left > 0) {
    const ssize_t put = ::write(fd_, next, left);
    if (put < 0) {
      if (errno == EINTR) continue;
      fail("cannot write " + path_ + ": " + std::strerror(errno));
    }
    next += put;
    left -= static_cast<std::size_t>(put);
  }
  line_.clear();
}

void line_writer::close() {
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) fail("cannot write " + path_ + ": " + std::strerror(errno));
}
