#include "output_path.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "error.hpp"

namespace {

[[noreturn]] void fail_creating(const std::string& shown, int error_number) {
  fail_system("cannot create " + file_name(shown), error_number);
}

// The descriptor a path names without opening anything, or -1.
int named_descriptor(const std::string& path) {
  if (path == "-" || path == "/dev/stdout") return STDOUT_FILENO;
  if (path == "/dev/stderr") return STDERR_FILENO;
  for (const char* prefix : {"/dev/fd/", "/proc/self/fd/"}) {
    const std::size_t n = std::strlen(prefix);
    if (path.compare(0, n, prefix) != 0 || path.size() == n || path.size() > n + 9) continue;
    if (path.find_first_not_of("0123456789", n) != std::string::npos) continue;
    return std::atoi(path.c_str() + n);
  }
  return -1;
}

std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// Where the link at (lstat gave info) points, a relative target taken from the link's own folder.
std::string link_target(const std::string& at, const struct stat& info, const std::string& shown) {
  std::string link(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
  const ssize_t n = ::readlink(at.c_str(), &link[0], link.size());
  if (n < 0) fail_creating(shown, errno);
  link.resize(static_cast<std::size_t>(n));
  return link[0] == '/' ? link : folder_of(at) + link;
}

}  // namespace

output_path resolve_output(const std::string& path) {
  output_path out;
  out.shown = path == "-" ? "standard output" : path;
  std::string at = path;
  // Links are followed by hand rather than with realpath, so that a link to a file not yet there is written
  // where it points; 40 steps is the kernel's own limit.
  for (int step = 0; step < 40; ++step) {
    const int fd = named_descriptor(at);
    if (fd >= 0) {
      if (::fcntl(fd, F_GETFD) < 0) fail_creating(out.shown, errno);
      out.kind = output_path::descriptor;
      out.fd = fd;
      return out;
    }
    struct stat info {};
    if (::lstat(at.c_str(), &info) != 0) {
      if (errno != ENOENT) fail_creating(out.shown, errno);
      out.target = at;  // a new file; a missing folder is reported when it is created
      return out;
    }
    if (S_ISLNK(info.st_mode)) {
      at = link_target(at, info, out.shown);
      continue;
    }
    if (S_ISDIR(info.st_mode)) fail_creating(out.shown, EISDIR);
    out.kind = S_ISREG(info.st_mode) ? output_path::regular : output_path::in_place;
    out.target = at;
    out.exists = true;
    out.mode = info.st_mode;
    return out;
  }
  fail_creating(out.shown, ELOOP);
}

std::string resolve_folder(const std::string& path) {
  std::string at = path;
  for (int step = 0; step < 40; ++step) {
    struct stat info {};
    if (::lstat(at.c_str(), &info) != 0) {
      if (errno != ENOENT) fail_creating(path, errno);
      return at;
    }
    if (!S_ISLNK(info.st_mode)) {
      if (!S_ISDIR(info.st_mode)) fail_creating(path, ENOTDIR);
      return at;
    }
    at = link_target(at, info, path);
  }
  fail_creating(path, ELOOP);
}

int open_for_lines(const output_path& out) {
  int fd = -1;
  switch (out.kind) {
    case output_path::descriptor:
      fd = ::fcntl(out.fd, F_DUPFD_CLOEXEC, 3);
      break;
    case output_path::in_place:
      fd = ::open(out.target.c_str(), O_WRONLY | O_CLOEXEC);
      break;
    case output_path::regular:
      fd = ::open(out.target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
      // New contents never run with the old owner's rights (the kernel drops these bits itself, but not for root).
      if (fd >= 0 && out.exists && (out.mode & (S_ISUID | S_ISGID)) != 0) ::fchmod(fd, out.mode & 01777);
      break;
  }
  if (fd < 0) fail_creating(out.shown, errno);
  return fd;
}

int write_all(int fd, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t put = ::write(fd, bytes, size);
    if (put < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes += put;
    size -= static_cast<std::size_t>(put);
  }
  return 0;
}
