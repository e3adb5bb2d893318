#include "structure_file.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include <gemmi/mmcif.hpp>
#include <gemmi/pdb.hpp>
#include <gemmi/cif.hpp>

#include "error.hpp"
#include "text_file.hpp"

namespace {

// A regular file mapped into memory: read in place, as gemmi's own reader does, instead of copied.
class mapped_file {
 public:
  // Maps path when it is a regular, non-empty file; otherwise (a pipe, a device) holds nothing.
  explicit mapped_file(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;  // read_text_file gives the reason
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
      void* data = ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
      if (data != MAP_FAILED) {
        data_ = static_cast<const char*>(data);
        size_ = static_cast<std::size_t>(info.st_size);
      }
    }
    ::close(fd);
  }
  ~mapped_file() {
    if (data_ != nullptr) ::munmap(const_cast<char*>(data_), size_);
  }
  mapped_file(const mapped_file&) = delete;
  mapped_file& operator=(const mapped_file&) = delete;

  std::string_view bytes() const { return {data_, size_}; }
  bool empty() const { return data_ == nullptr; }

 private:
  const char* data_ = nullptr;
  std::size_t size_ = 0;
};

bool is_gzip(std::string_view bytes) {
  return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1f &&
         static_cast<unsigned char>(bytes[1]) == 0x8b;
}

// The uncompressed bytes of a gzip file, all members of it (as gzip -d gives them).
std::string gunzip(const std::string& path, std::string_view packed) {
  std::string bytes;
  // The last four bytes give the size modulo 2^32 of the last member: a good first guess for one member,
  // within what deflate can reach (about 1:1032), so a cut or forged file cannot ask for gigabytes.
  std::uint32_t guess = 0;
  if (packed.size() >= 4) std::memcpy(&guess, packed.data() + packed.size() - 4, 4);
  bytes.resize(std::min<std::size_t>(std::max<std::size_t>(guess, 2 * packed.size()), 1040 * packed.size()) + 1);
  z_stream stream{};
  if (inflateInit2(&stream, 15 + 16) != Z_OK) fail(path + ": cannot start gzip decompression");
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  std::size_t used = 0;
  std::size_t in_left = packed.size();
  for (;;) {
    if (used == bytes.size()) bytes.resize(2 * bytes.size());
    const auto in_chunk = static_cast<uInt>(std::min<std::size_t>(in_left, 1u << 30));
    const auto out_chunk = static_cast<uInt>(std::min<std::size_t>(bytes.size() - used, 1u << 30));
    stream.avail_in = in_chunk;
    stream.next_out = reinterpret_cast<Bytef*>(&bytes[used]);
    stream.avail_out = out_chunk;
    const int status = inflate(&stream, Z_NO_FLUSH);
    in_left -= in_chunk - stream.avail_in;
    used += out_chunk - stream.avail_out;
    if (status == Z_STREAM_END) {
      if (in_left == 0) break;
      inflateReset(&stream);  // another member follows
    } else if (status != Z_OK && !(status == Z_BUF_ERROR && used == bytes.size())) {
      const std::string reason = stream.msg ? stream.msg : "unexpected end of data";
      inflateEnd(&stream);
      fail(path + ": not a valid gzip file: " + reason);
    } else if (in_left == 0 && stream.avail_out != 0) {
      inflateEnd(&stream);
      fail(path + ": not a valid gzip file: it ends inside the compressed data");
    }
  }
  inflateEnd(&stream);
  bytes.resize(used);
  return bytes;
}

enum class format { pdb, mmcif, unknown };

bool starts_with_word(std::string_view line, std::string_view word) {
  return line.substr(0, word.size()) == word &&
         (line.size() == word.size() || line[word.size()] == ' ' || line[word.size()] == '\r' ||
          std::isdigit(static_cast<unsigned char>(line[word.size()])));
}

// Decided by the first line that is neither blank nor a comment: "data_" starts an mmCIF file, a PDB
// record name a PDB file. Anything else (a coordinate list, a binary file) is neither.
format detect_format(std::string_view text) {
  static const char* const records[] = {
      "HEADER", "OBSLTE", "TITLE",  "SPLIT",  "CAVEAT", "COMPND", "SOURCE", "KEYWDS", "EXPDTA", "NUMMDL",
      "MDLTYP", "AUTHOR", "REVDAT", "SPRSDE", "JRNL",   "REMARK", "DBREF",  "SEQADV", "SEQRES", "MODRES",
      "HET",    "HETNAM", "HETSYN", "FORMUL", "HELIX",  "SHEET",  "SSBOND", "LINK",   "CISPEP", "SITE",
      "CRYST1", "ORIGX",  "SCALE",  "MTRIX",  "MODEL",  "ATOM",   "HETATM", "ANISOU", "TER",    "ENDMDL",
      "CONECT", "MASTER", "END"};
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (is_blank_line(line) || line[0] == '#') continue;
    if (line.size() > 5 && std::equal(line.begin(), line.begin() + 5, "data_", [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) == b;
        }))
      return format::mmcif;
    for (const char* record : records)
      if (starts_with_word(line, record)) return format::pdb;
    return format::unknown;
  }
  return format::unknown;
}

// gemmi's reason as one line: its own "Problem in line N: " becomes "PATH:N: ", a quoted record after a line
// break (what gemmi adds to some complaints) is cut to a printable excerpt.
std::string describe_failure(const std::string& path, const std::string& reason) {
  std::string_view text = reason;
  std::string where = path + ": ";
  const std::string_view problem = "Problem in line ";
  if (text.substr(0, problem.size()) == problem) {
    const std::size_t colon = text.find(": ");
    if (colon != std::string_view::npos) {
      where = path + ":" + std::string(text.substr(problem.size(), colon - problem.size())) + ": ";
      text.remove_prefix(colon + 2);
    }
  }
  // pegtl's positions start with the name gemmi gave it, which is path already.
  if (text.substr(0, path.size() + 1) == path + ":") where.clear();
  const std::size_t line_break = text.find('\n');
  if (line_break == std::string_view::npos) return where + printable(text, 200);
  std::string_view excerpt = text.substr(line_break + 1);
  while (!excerpt.empty() && (excerpt.back() == '\n' || excerpt.back() == '\r')) excerpt.remove_suffix(1);
  return where + printable(text.substr(0, line_break), 200) + " " + quoted(excerpt);
}

// Whether a PDB file uses columns 73-80 of its atom records for the entry name and a serial, as old files do:
// a digit in column 77, 78 or 80 of the first ATOM or HETATM record, where an element symbol or a charge sign
// belongs. gemmi must then read such records only up to column 72.
bool has_legacy_id_columns(const char* data, std::size_t size) {
  const std::string_view text(data, size);
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (line.substr(0, 6) != "ATOM  " && line.substr(0, 6) != "HETATM") continue;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const auto digit_at = [&line](std::size_t column) {
      return line.size() >= column && std::isdigit(static_cast<unsigned char>(line[column - 1]));
    };
    return digit_at(77) || digit_at(78) || digit_at(80);
  }
  return false;
}

}  // namespace

gemmi::Structure read_structure(const std::string& path) {
  const std::string shown = path == "-" ? "standard input" : file_name(path);
  const mapped_file mapped(path == "-" ? "" : path);
  std::string read;  // the bytes of a pipe, or of a gzipped file once uncompressed
  std::string_view bytes = mapped.bytes();
  if (mapped.empty()) {
    read = read_text_file(path == "-" ? "/dev/stdin" : path).bytes;
    bytes = read;
  }
  if (is_gzip(bytes)) {
    read = gunzip(shown, bytes);
    bytes = read;
  }
  const format kind = detect_format(bytes);
  if (kind == format::unknown || bytes.find('\0') != std::string_view::npos)
    fail(shown + ": neither a PDB nor an mmCIF file");
  gemmi::Structure structure;
  try {
    if (kind == format::pdb) {
      gemmi::PdbReadOptions options;
      if (has_legacy_id_columns(bytes.data(), bytes.size())) options.max_line_length = 72;
      structure = gemmi::read_pdb_from_memory(bytes.data(), bytes.size(), shown, options);
    } else {
      structure = gemmi::make_structure(gemmi::cif::read_memory(bytes.data(), bytes.size(), shown.c_str()));
    }
  } catch (const std::runtime_error& e) {
    fail(describe_failure(shown, e.what()));
  }
  structure.name = shown;  // what messages call it
  return structure;
}
