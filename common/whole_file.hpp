// Output written whole at the end of a run, so that a failed run never leaves a half-written file.
#pragma once

#include <string>
#include <string_view>

#include "output_path.hpp"

// The mkstemp/mkdtemp template of a name beside target, hidden and on its file system: "DIR/.NAME.XXXXXX", the
// name cut to 200 bytes.
std::string aside_template(const std::string& target);

// A file written in parts and put in place whole. A regular file (or a new one) is written to a temporary file
// in the folder of the final target and renamed over that target by finish, so readers see the old file or the
// new one, never a part, and a link stays a link; a held descriptor or a device is written in place. Throws
// run_error "cannot create PATH: reason" or "cannot write PATH: reason"; a file not finished leaves no
// temporary file behind.
class file_in_parts {
 public:
  // Resolves path by resolve_output and creates the temporary file (or opens the device).
  explicit file_in_parts(const std::string& path);
  ~file_in_parts();
  file_in_parts(const file_in_parts&) = delete;
  file_in_parts& operator=(const file_in_parts&) = delete;
  void write(std::string_view bytes);
  // Closes the file and renames it over the target.
  void finish();
  // finish in two steps, so that several files can be closed first and put in place together: close reports a
  // late write error (and removes the temporary file), put_in_place renames.
  void close();
  void put_in_place();
  // The open descriptor to write to, and the path as messages show it.
  int descriptor() const { return fd_; }
  const std::string& shown() const { return out_.shown; }

 private:
  [[noreturn]] void fail_now(int error_number);
  output_path out_;
  std::string temporary_;  // none: written in place
  int fd_ = -1;
};

// The whole of bytes as the file at path, as file_in_parts puts it in place.
void write_whole_file(const std::string& path, std::string_view bytes);
