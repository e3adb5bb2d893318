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

std::string aside_template(const std::string& target) {
  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  // Cut, so that a target named with the file system's longest name still has a name aside (255 bytes).
  return folder + "." + base.substr(0, 200) + ".XXXXXX";
}

file_in_parts::file_in_parts(const std::string& path) : out_(resolve_output(path)) {
  if (out_.kind != output_path::regular) {
    fd_ = open_for_lines(out_);
    return;
  }
  // The temporary file sits beside the final target, so the rename stays within one folder and replaces the
  // file a link points to, not the link.
  std::vector<char> name;
  for (const char c : aside_template(out_.target)) name.push_back(c);
  name.push_back('\0');
  fd_ = ::mkstemp(name.data());
  if (fd_ < 0) fail_system("cannot create " + file_name(out_.shown), errno);
  temporary_.assign(name.data());
  // mkstemp makes the file private; the result gets the permissions a plain creation would give, or those of
  // the file it replaces, without set-user-ID or set-group-ID.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd_, out_.exists ? (out_.mode & 01777) : (0666 & ~mask));
}

file_in_parts::~file_in_parts() {
  if (fd_ >= 0) ::close(fd_);
  if (!temporary_.empty()) std::remove(temporary_.c_str());
}

void file_in_parts::fail_now(int error_number) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) std::remove(temporary_.c_str());
  const bool created = !temporary_.empty() && !out_.exists;
  temporary_.clear();
  fail_system(std::string(created ? "cannot create " : "cannot write ") + file_name(out_.shown), error_number);
}

void file_in_parts::write(std::string_view bytes) {
  if (const int error_number = write_all(fd_, bytes.data(), bytes.size()); error_number != 0) fail_now(error_number);
}

void file_in_parts::finish() {
  close();
  put_in_place();
}

void file_in_parts::close() {
  const int fd = fd_;
  fd_ = -1;
  if (fd >= 0 && ::close(fd) != 0) fail_now(errno);
}

void file_in_parts::put_in_place() {
  if (!temporary_.empty() && std::rename(temporary_.c_str(), out_.target.c_str()) != 0) fail_now(errno);
  temporary_.clear();
}

void write_whole_file(const std::string& path, std::string_view bytes) {
  file_in_parts file(path);
  file.write(bytes);
  file.finish();
}
