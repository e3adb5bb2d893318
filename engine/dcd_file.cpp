#include "dcd_file.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "error.hpp"

namespace {

std::uint32_t swap32(std::uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xff00u) | ((v << 8) & 0xff0000u) | (v << 24);
}

}  // namespace

dcd_file::dcd_file(const std::string& path) : path_(path) {
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) fail_system("cannot read " + file_name(path), errno);
  struct stat status {};
  if (::fstat(fileno(file_), &status) != 0) fail_system("cannot read " + file_name(path), errno);
  size_ = static_cast<std::uint64_t>(status.st_size);
  unsigned char start[4];
  if (std::fread(start, 1, 4, file_) != 4) fail(file_name(path) + ": not a DCD trajectory (too short)");
  std::uint32_t length;
  std::memcpy(&length, start, 4);
  // The header record is 84 bytes long: its length in this machine's byte order or in the other.
  if (length == 84) {
    swapped_ = false;
  } else if (swap32(length) == 84) {
    swapped_ = true;
  } else {
    fail(file_name(path) + ": not a DCD trajectory of 32-bit records (the first record is not 84 bytes long)");
  }
  std::rewind(file_);
  std::vector<unsigned char> header;
  record(header, "header");
  if (std::memcmp(header.data(), "CORD", 4) != 0) fail(file_name(path) + ": not a DCD trajectory of coordinates (no 'CORD')");
  const auto control = [&](int k) { return word(header.data() + 4 + 4 * k); };
  const bool charmm = control(19) != 0;  // CHARMM and NAMD write their version there; X-PLOR writes 0
  if (control(8) != 0) fail(file_name(path) + ": fixed atoms in a DCD trajectory are not read; write every atom in every frame");
  if (charmm && control(11) != 0) fail(file_name(path) + ": a DCD trajectory with a fourth dimension is not read");
  cell_ = charmm && control(10) != 0;
  std::vector<unsigned char> titles, count;
  record(titles, "titles");
  record(count, "atom count");
  if (count.size() != 4) fail(file_name(path) + ": the atom count record of a DCD trajectory is 4 bytes, not " + std::to_string(count.size()));
  atoms_ = word(count.data());
  if (atoms_ == 0) fail(file_name(path) + ": a DCD trajectory of no atoms");
  // Frames from the size left: each is the cell (if any) and three records of floats.
  const long here = std::ftell(file_);
  if (here < 0) fail_system("cannot read " + file_name(path), errno);
  const std::uint64_t frame_bytes = (cell_ ? 8 + 48 : 0) + 3 * (8 + 4 * std::uint64_t{atoms_});
  const std::uint64_t left = size_ - static_cast<std::uint64_t>(here);
  frames_ = left / frame_bytes;
  if (left % frame_bytes != 0)
    fail(file_name(path) + ": the DCD trajectory ends within a frame (" + std::to_string(left % frame_bytes) +
         " bytes after frame " + std::to_string(frames_) + ")");
}

dcd_file::~dcd_file() {
  if (file_ != nullptr) std::fclose(file_);
}

std::uint32_t dcd_file::word(const unsigned char* bytes) const {
  std::uint32_t v;
  std::memcpy(&v, bytes, 4);
  return swapped_ ? swap32(v) : v;
}

void dcd_file::record(std::vector<unsigned char>& buffer, const char* what) {
  unsigned char mark[4];
  if (std::fread(mark, 1, 4, file_) != 4) fail(file_name(path_) + ": the DCD trajectory ends before its " + what);
  const std::uint32_t length = word(mark);
  // Nothing is allocated for more than the file holds.
  const long here = std::ftell(file_);
  if (here < 0 || length > size_ - static_cast<std::uint64_t>(here))
    fail(file_name(path_) + ": the DCD trajectory ends within its " + what);
  buffer.resize(length);
  if (std::fread(buffer.data(), 1, length, file_) != length || std::fread(mark, 1, 4, file_) != 4)
    fail(file_name(path_) + ": the DCD trajectory ends within its " + what);
  if (word(mark) != length) fail(file_name(path_) + ": the " + what + " record of the DCD trajectory has unequal lengths at its ends");
}

bool dcd_file::next(std::vector<float>& xyz) {
  if (read_ == frames_) return false;
  const std::string frame = "frame " + std::to_string(read_ + 1);
  if (cell_) {
    record(buffer_, "unit cell");
    if (buffer_.size() != 48) fail(file_name(path_) + ": " + frame + ": a unit cell of " + std::to_string(buffer_.size()) + " bytes, not 48");
  }
  xyz.resize(3 * atoms_);
  for (int axis = 0; axis < 3; ++axis) {
    record(buffer_, "coordinates");
    if (buffer_.size() != 4 * atoms_)
      fail(file_name(path_) + ": " + frame + ": " + std::to_string(buffer_.size() / 4) + " coordinates, not " + std::to_string(atoms_));
    for (std::size_t p = 0; p < atoms_; ++p) {
      const std::uint32_t bits = word(buffer_.data() + 4 * p);
      float value;
      std::memcpy(&value, &bits, 4);
      xyz[3 * p + static_cast<std::size_t>(axis)] = value;
    }
  }
  ++read_;
  return true;
}
