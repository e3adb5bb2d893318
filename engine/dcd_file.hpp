// Trajectories in the DCD format of CHARMM and NAMD (and X-PLOR's): Fortran records of a header ("CORD" and
// twenty control numbers), titles, the atom count, then per frame an optional unit cell (six doubles) and the
// x, y and z of every atom as float32. Either byte order, told from the first record's length. Fixed atoms,
// a fourth dimension and 64-bit record lengths are refused, as is a record whose lengths do not match or that
// claims more than the file holds.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class dcd_file {
 public:
  // Opens and reads the header; throws run_error "FILE: what is wrong".
  explicit dcd_file(const std::string& path);
  ~dcd_file();
  dcd_file(const dcd_file&) = delete;
  dcd_file& operator=(const dcd_file&) = delete;
  std::size_t atoms() const { return atoms_; }
  // The frames the file holds, counted from its size (the header's count is not always kept up to date).
  std::uint64_t frames() const { return frames_; }
  // The next frame's coordinates as x y z of each atom after each other; false at the end.
  bool next(std::vector<float>& xyz);

 private:
  std::uint32_t word(const unsigned char* bytes) const;
  // One Fortran record into buffer; throws for a truncated or inconsistent one.
  void record(std::vector<unsigned char>& buffer, const char* what);
  std::string path_;
  std::FILE* file_ = nullptr;
  bool swapped_ = false;
  bool cell_ = false;
  std::size_t atoms_ = 0;
  std::uint64_t frames_ = 0, read_ = 0, size_ = 0;
  std::vector<unsigned char> buffer_;
};
