// Where an output goes, decided once for every program: a descriptor the process already holds, a path written
// in place, or a regular file reached through any links. A link stays a link and /dev/stdout stays a device:
// nothing is ever renamed over a path that was not resolved first.
#pragma once

#include <sys/types.h>

#include <string>

struct output_path {
  enum kind_type {
    descriptor,  // "-", /dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N: written to fd, never reopened
    in_place,    // a FIFO, a character device, a socket: opened and written as it is
    regular,     // a regular file, or none yet: target is the final path after every link
  } kind = regular;
  std::string shown;   // the path as given, for messages ("standard output" for "-")
  std::string target;  // the final path (in_place, regular)
  int fd = -1;         // descriptor
  bool exists = false;
  mode_t mode = 0;     // of an existing target
};

// Resolves path by the rules above. Throws run_error "cannot create PATH: reason" for a descriptor that is not
// open, a chain of links that loops, or a target that is a folder.
output_path resolve_output(const std::string& path);

// The folder path names, every link followed (a link stays a link); it need not exist yet. Throws run_error
// "cannot create PATH: reason" for a loop of links or a path that is there but not a folder.
std::string resolve_folder(const std::string& path);

// An open descriptor to write line by line: the held one duplicated, the device opened, or the regular target
// created or truncated (without set-user-ID or set-group-ID). Throws run_error "cannot create PATH: reason".
int open_for_lines(const output_path& out);

// Writes all of bytes to fd, through short writes and interruptions; the errno of a failure, or 0.
int write_all(int fd, const char* bytes, std::size_t size);
