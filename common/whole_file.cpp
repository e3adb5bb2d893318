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
#include "output_path.hpp"

namespace {

[[noreturn]] void fail_with(const char* what, const std::string& shown, int error_number) {
  fail_system(std::string(what) + " " + file_name(shown), error_number);
}

void write_in_place(const output_path& out, std::string_view bytes) {
  const int fd = open_for_lines(out);
  int error_number = write_all(fd, bytes.data(), bytes.size());
  if (::close(fd) != 0 && error_number == 0) error_number = errno;
  if (error_number != 0) fail_with("cannot write", out.shown, error_number);
}

}  // namespace

void write_whole_file(const std::string& path, std::string_view bytes) {
  const output_path out = resolve_output(path);
  if (out.kind != output_path::regular) return write_in_place(out, bytes);
  // The temporary file sits beside the final target, so the rename stays within one folder and replaces the
  // file a link points to, not the link.
  const std::size_t slash = out.target.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : out.target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? out.target : out.target.substr(slash + 1);
  std::string temporary = folder + "." + base + ".XXXXXX";
  std::vector<char> name(temporary.begin(), temporary.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) fail_with("cannot create", out.shown, errno);
  temporary.assign(name.data());
  // mkstemp makes the file private; the result gets the permissions a plain creation would give, or those of
  // the file it replaces, without set-user-ID or set-group-ID.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, out.exists ? (out.mode & 01777) : (0666 & ~mask));
  int error_number = write_all(fd, bytes.data(), bytes.size());
  if (::close(fd) != 0 && error_number == 0) error_number = errno;
  if (error_number == 0 && std::rename(temporary.c_str(), out.target.c_str()) != 0) error_number = errno;
  if (error_number != 0) {
    std::remove(temporary.c_str());
    fail_with(out.exists ? "cannot write" : "cannot create", out.shown, error_number);
  }
}
