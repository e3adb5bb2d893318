#include "text_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "error.hpp"
#include "huge_pages.hpp"

namespace {

[[noreturn]] void fail_reading(const std::string& name, int error_number) {
  fail_system("cannot read " + file_name(name), error_number);
}

}  // namespace

void require_text(const std::string& name, std::string_view bytes) {
  if (bytes.substr(0, 4096).find('\0') != std::string_view::npos) fail(file_name(name) + ": not a text file");
}

text_file read_text_file(const std::string& name) {
  text_file file{name, {}};
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) fail_reading(name, errno);
  // A regular file is read into a buffer one byte larger than its size, so the end shows without a regrowth;
  // a pipe has no size and grows by doubling, which keeps reading linear.
  struct stat info {};
  const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  assign_on_huge_pages(file.bytes, regular ? static_cast<std::size_t>(info.st_size) + 1 : 65536);
  std::size_t used = 0;
  for (;;) {
    if (used == file.bytes.size()) file.bytes.resize(2 * used);
    const ssize_t got = ::read(fd, &file.bytes[used], file.bytes.size() - used);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      const int error_number = errno;
      ::close(fd);
      fail_reading(name, error_number);
    }
    used += static_cast<std::size_t>(got);
  }
  ::close(fd);
  file.bytes.resize(used);
  return file;
}

file_blocks::file_blocks(const std::string& name) : name_(name) {
  fd_ = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) fail_reading(name, errno);  // a directory opens, and its first read reports EISDIR
}

file_blocks::~file_blocks() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t file_blocks::read(char* at, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(fd_, at, size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) fail_reading(name_, errno);
    return static_cast<std::size_t>(got);
  }
}
