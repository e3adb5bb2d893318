#include "whole_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "error.hpp"

namespace {

[[noreturn]] void fail_with(const char* what, const std::string& path, int error_number) {
  fail(std::string(what) + " " + file_name(path) + ": " + std::strerror(error_number));
}

// Writes all of bytes to fd; the errno of the failure, or 0.
int write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t put = ::write(fd, bytes.data(), bytes.size());
    if (put < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(put));
  }
  return 0;
}

void write_in_place(const std::string& path, int fd, std::string_view bytes) {
  int error_number = write_all(fd, bytes);
  if (::close(fd) != 0 && error_number == 0) error_number = errno;
  if (error_number != 0) fail_with("cannot write", path, error_number);
}

}  // namespace

void write_whole_file(const std::string& path, std::string_view bytes) {
  if (path == "-") return write_in_place("standard output", ::dup(STDOUT_FILENO), bytes);
  struct stat info {};
  const bool exists = ::stat(path.c_str(), &info) == 0;
  if (exists && !S_ISREG(info.st_mode)) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) fail_with("cannot create", path, errno);
    return write_in_place(path, fd, bytes);
  }
  // The temporary file sits beside the target, so the rename stays within one file system.
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string temporary = folder + "." + base + ".XXXXXX";
  std::vector<char> name(temporary.begin(), temporary.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) fail_with("cannot create", path, errno);
  temporary.assign(name.data());
  // mkstemp makes the file private; the result gets the permissions a plain creation would give.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, exists ? (info.st_mode & 07777) : (0666 & ~mask));
  int error_number = write_all(fd, bytes);
  if (::close(fd) != 0 && error_number == 0) error_number = errno;
  if (error_number == 0 && std::rename(temporary.c_str(), path.c_str()) != 0) error_number = errno;
  if (error_number != 0) {
    std::remove(temporary.c_str());
    fail_with(exists ? "cannot write" : "cannot create", path, error_number);
  }
}
