#include "structure_file.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

#include <gemmi/mmcif.hpp>
#include <gemmi/pdb.hpp>
#include <gemmi/cif.hpp>

#include "cif_document.hpp"
#include "error.hpp"
#include "text_file.hpp"

namespace {

// A regular file mapped into memory: read in place, as gemmi's own reader does, instead of copied.
class mapped_file {
 public:
  // Maps fd's file when it is regular and not empty; otherwise holds nothing.
  explicit mapped_file(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) return;
    void* data = ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (data == MAP_FAILED) return;
    data_ = static_cast<const char*>(data);
    size_ = static_cast<std::size_t>(info.st_size);
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

// A structure whose text holds a NUL in its first bytes is binary.
constexpr std::size_t binary_window = 4096;

[[noreturn]] void fail_too_large(const std::string& shown, std::uint64_t max_size) {
  fail(shown + ": larger than " + std::to_string(max_size) +
       " bytes decompressed (the largest structures are a few hundred MB); --max-input-size raises the bound");
}

bool is_gzip(std::string_view bytes) {
  return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1f &&
         static_cast<unsigned char>(bytes[1]) == 0x8b;
}

// A gzip file in memory, each member decompressed in one call by libdeflate (about three times zlib's speed).
// Nothing, deciding nothing, for what the streaming reader below must judge (and word): damaged data, bytes
// after the last member, a header checksum (which libdeflate does not check), more than max_size bytes, and
// anything larger than whole_limit, which the streaming reader refuses early if it is binary.
constexpr std::uint64_t whole_limit = std::uint64_t{64} << 20;

std::optional<std::string> inflate_whole(std::string_view packed, std::uint64_t max_size) {
  const std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> inflater(
      libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
  if (inflater == nullptr || packed.size() < 18) return std::nullopt;
  // The last member's trailer holds its size (modulo 2^32): for the usual single member, the whole size. Deflate
  // expands at most 1032 times: a trailer that claims more is the streaming reader's to judge.
  std::uint64_t size = 0;
  for (std::size_t i = 1; i <= 4; ++i) size = (size << 8) | static_cast<unsigned char>(packed[packed.size() - i]);
  const std::uint64_t most =
      std::min<std::uint64_t>({max_size + 1, std::uint64_t{packed.size()} * 1032 + 1024, whole_limit});
  if (size > most) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(std::max<std::uint64_t>(size, 1)), '\0');
  std::size_t used = 0;
  while (!packed.empty()) {
    constexpr char header_checksum = 0x02;
    if (!is_gzip(packed) || packed.size() < 18 || (packed[3] & header_checksum) != 0) return std::nullopt;
    std::size_t taken = 0;
    std::size_t made = 0;
    const libdeflate_result result = libdeflate_gzip_decompress_ex(
        inflater.get(), packed.data(), packed.size(), &bytes[used], bytes.size() - used, &taken, &made);
    if (result == LIBDEFLATE_INSUFFICIENT_SPACE) {
      if (bytes.size() >= most) return std::nullopt;
      const std::uint64_t grown = std::max<std::uint64_t>(2 * std::uint64_t{bytes.size()}, 1 << 16);
      bytes.resize(static_cast<std::size_t>(std::min(grown, most)));
      continue;
    }
    if (result != LIBDEFLATE_SUCCESS) return std::nullopt;
    used += made;
    packed.remove_prefix(taken);
  }
  if (used > max_size) return std::nullopt;
  bytes.resize(used);
  return bytes;
}

// Everything fd gives, through zlib: gzip members one after another, trailing zero padding, or plain bytes
// as they are. Takes over fd.
std::string read_through_zlib(int fd, const std::string& shown, std::size_t size_hint, std::uint64_t max_size) {
  gzFile in = ::gzdopen(fd, "rb");
  if (in == nullptr) {
    ::close(fd);
    throw std::bad_alloc();
  }
  ::gzbuffer(in, 1 << 17);
  std::string bytes;
  bytes.resize(std::max<std::size_t>(size_hint, 1 << 16));
  std::size_t used = 0;
  bool looked = false;  // at the first block: binary bytes are refused before the rest is decompressed
  for (;;) {
    if (used == bytes.size()) bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(2 * used, max_size + 1)));
    const auto chunk = static_cast<unsigned>(std::min<std::size_t>(bytes.size() - used, 1u << 30));
    const int got = ::gzread(in, &bytes[used], chunk);
    if (got > 0) {
      used += static_cast<std::size_t>(got);
      if (!looked && used >= binary_window) {
        looked = true;
        if (std::memchr(bytes.data(), '\0', binary_window) != nullptr) {
          ::gzclose(in);
          fail(shown + ": neither a PDB nor an mmCIF file");
        }
      }
      if (used > max_size) {
        ::gzclose(in);
        fail_too_large(shown, max_size);
      }
      continue;
    }
    if (got == 0) break;
    int status = Z_OK;
    std::string reason = ::gzerror(in, &status);
    if (reason.compare(0, 4, "<fd:") == 0 && reason.find(": ") != std::string::npos)  // zlib names the descriptor
      reason.erase(0, reason.find(": ") + 2);
    ::gzclose(in);
    if (status == Z_ERRNO) fail_system("cannot read " + shown, errno);
    if (status == Z_BUF_ERROR) fail(shown + ": not a valid gzip file: it ends inside the compressed data");
    fail(shown + ": not a valid gzip file: " + printable(reason));
  }
  // A stream cut inside a member reads as a short end without an error on some zlib versions.
  int status = Z_OK;
  ::gzerror(in, &status);
  ::gzclose(in);
  if (status == Z_BUF_ERROR) fail(shown + ": not a valid gzip file: it ends inside the compressed data");
  bytes.resize(used);
  return bytes;
}

enum class format { pdb, mmcif, binary };

// mmCIF when the first line that is neither blank nor a comment starts with "data_"; anything else goes to the
// PDB reader, which knows every record, and a file that gives it no atom record is then refused.
format detect_format(std::string_view text) {
  if (text.substr(0, binary_window).find('\0') != std::string_view::npos) return format::binary;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (is_blank_line(line) || line[0] == '#') continue;
    if (line.size() > 5 && std::equal(line.begin(), line.begin() + 5, "data_", [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) == b;
        }))
      return format::mmcif;
    return format::pdb;
  }
  return format::pdb;
}

// Where an mmCIF atom has no author residue number ("?" or "."), gemmi would give it a placeholder number that
// a real residue may hold; the label number stands in for it, and an atom with neither is refused.
void fill_missing_author_numbers(gemmi::cif::Document& document, const std::string& shown) {
  for (gemmi::cif::Block& block : document.blocks) {
    gemmi::cif::Column author = block.find_values("_atom_site.auth_seq_id");
    if (!author) continue;
    gemmi::cif::Column label = block.find_values("_atom_site.label_seq_id");
    const auto is_null = [](const std::string& value) { return value == "?" || value == "."; };
    for (int row = 0; row < author.length(); ++row) {
      std::string& number = author[row];
      if (!is_null(number)) continue;
      if (label && label.length() == author.length() && !is_null(label[row])) {
        number = label[row];
        continue;
      }
      const auto value_of = [&](const char* tag) {
        gemmi::cif::Column column = block.find_values(tag);
        return column && column.length() == author.length() ? column[row] : std::string("?");
      };
      const std::string chain = is_null(value_of("_atom_site.auth_asym_id")) ? value_of("_atom_site.label_asym_id")
                                                                             : value_of("_atom_site.auth_asym_id");
      fail(shown + ": atom " + ::quoted(value_of("_atom_site.id")) + " of chain " + ::quoted(chain) +
           " has no residue number (auth_seq_id and label_seq_id are both missing)");
    }
  }
}

// The PDB reader skips lines it does not know, so a text that is no structure at all reads as an empty one.
bool has_atoms(const gemmi::Structure& structure) {
  for (const gemmi::Model& model : structure.models)
    for (const gemmi::Chain& chain : model.chains)
      if (!chain.residues.empty()) return true;
  return false;
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

// gemmi 0.5 reads the connection records (SSBOND, LINK, CISPEP) at fixed columns up to 78 without checking that
// its copy of the line (line end included) reaches them, and reads past the copy where a short line ends in a
// sign. Such a line, once long enough for gemmi to read it at all, is padded with blanks to 80 columns, which the
// format means anyway; bytes without one are used as they are.
std::string_view pad_short_connection_records(std::string_view bytes, std::string& storage) {
  const auto is_short_connection = [](std::string_view line) {
    if (line.size() < 21 || line.size() > 79) return false;
    char record[4];
    for (std::size_t i = 0; i < 4; ++i) record[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(line[i])));
    const std::string_view name(record, 4);
    // gemmi skips shorter ones; its own copy is one longer than the line
    return (name == "LINK" && line.size() >= 56) || (name == "SSBO" && line.size() >= 31) || name == "CISP";
  };
  bool found = false;
  std::string padded;
  for (std::size_t pos = 0; pos < bytes.size();) {
    std::size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(pos, end - pos);
    const bool pad = line.size() >= 21 && is_short_connection(line);
    if (pad && !found) {
      found = true;
      padded.reserve(bytes.size() + 64);
      padded.assign(bytes.substr(0, pos));
    }
    if (found) {
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      padded += line;
      if (pad) padded.append(80 - line.size(), ' ');
      if (end < bytes.size()) padded += '\n';
    }
    pos = end + 1;
  }
  if (!found) return bytes;
  storage = std::move(padded);
  return storage;
}

}  // namespace

gemmi::Structure parse_structure(std::string_view bytes, const std::string& shown) {
  if (bytes.substr(0, 3) == "\xef\xbb\xbf") bytes.remove_prefix(3);  // a UTF-8 byte-order mark
  const format kind = detect_format(bytes);
  if (kind == format::binary) fail(shown + ": neither a PDB nor an mmCIF file");
  gemmi::Structure structure;
  try {
    if (kind == format::pdb) {
      gemmi::PdbReadOptions options;
      if (has_legacy_id_columns(bytes.data(), bytes.size())) options.max_line_length = 72;
      std::string padded;
      const std::string_view text = pad_short_connection_records(bytes, padded);
      structure = gemmi::read_pdb_from_memory(text.data(), text.size(), shown, options);
      if (!has_atoms(structure)) fail(shown + ": neither a PDB nor an mmCIF file");
    } else {
      gemmi::cif::Document document;
      if (!read_cif_document(bytes, shown, document))
        document = gemmi::cif::read_memory(bytes.data(), bytes.size(), shown.c_str());
      fill_missing_author_numbers(document, shown);
      structure = gemmi::make_structure(document);
    }
  } catch (const run_error&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    // gemmi reports bad input mostly as runtime_error, but a number it cannot read as invalid_argument.
    fail(describe_failure(shown, e.what()));
  }
  structure.name = shown;  // what messages call it
  return structure;
}

// The reader of read_structure; text, when given, receives the file's text.
static gemmi::Structure read_structure_keeping(const std::string& path, std::uint64_t max_size, std::string* text) {
  const std::string shown = path == "-" ? "standard input" : file_name(path);
  // Standard input is descriptor 0 itself: reopening /dev/stdin fails for a socket.
  const int fd = path == "-" ? ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3) : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) fail_system("cannot read " + shown, errno);
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    fail_system("cannot read " + shown, EISDIR);
  }
  std::optional<std::string> whole;  // a mapped gzip file, decompressed at once
  {
    const mapped_file mapped(fd);
    if (!mapped.empty() && !is_gzip(mapped.bytes())) {
      ::close(fd);
      if (mapped.bytes().size() > max_size) fail_too_large(shown, max_size);
      if (text != nullptr) text->assign(mapped.bytes());
      return parse_structure(mapped.bytes(), shown);
    }
    if (!mapped.empty()) whole = inflate_whole(mapped.bytes(), max_size);
  }
  std::string bytes;
  if (whole) {
    ::close(fd);
    bytes = std::move(*whole);
  } else {
    const std::size_t hint = S_ISREG(info.st_mode) ? 4 * static_cast<std::size_t>(info.st_size) : 0;
    const auto size_hint = static_cast<std::size_t>(std::min<std::uint64_t>(hint, max_size + 1));
    bytes = read_through_zlib(fd, shown, size_hint, max_size);
  }
  gemmi::Structure structure = parse_structure(bytes, shown);
  if (text != nullptr) *text = std::move(bytes);
  return structure;
}

gemmi::Structure read_structure(const std::string& path, std::uint64_t max_size) {
  return read_structure_keeping(path, max_size, nullptr);
}

gemmi::Structure read_structure(const std::string& path, std::uint64_t max_size, std::string& text) {
  return read_structure_keeping(path, max_size, &text);
}

bool is_mmcif_text(std::string_view text) { return detect_format(text) == format::mmcif; }

void use_label_numbers(gemmi::Structure& structure) {
  bool any = false;
  // The file's links name residues by author numbers: they follow the residues they name, found through one
  // index of the first model's residues (not a scan of a chain per link).
  if (!structure.models.empty() && !structure.connections.empty()) {
    std::unordered_map<std::string, int> label_of;
    const auto key = [](const std::string& chain, const gemmi::SeqId& seqid, const std::string& name) {
      return chain + '\t' + seqid.str() + '\t' + name;
    };
    for (const gemmi::Chain& chain : structure.models.front().chains)
      for (const gemmi::Residue& residue : chain.residues)
        if (residue.label_seq.has_value()) label_of.emplace(key(chain.name, residue.seqid, residue.name), *residue.label_seq);
    for (gemmi::Connection& connection : structure.connections)
      for (gemmi::AtomAddress* partner : {&connection.partner1, &connection.partner2}) {
        const auto found = label_of.find(key(partner->chain_name, partner->res_id.seqid, partner->res_id.name));
        if (found != label_of.end()) partner->res_id.seqid = gemmi::SeqId(found->second, ' ');
      }
  }
  for (gemmi::Model& model : structure.models)
    for (gemmi::Chain& chain : model.chains)
      for (gemmi::Residue& residue : chain.residues) {
        if (!residue.label_seq.has_value()) continue;
        residue.seqid = gemmi::SeqId(*residue.label_seq, ' ');
        any = true;
      }
  if (!any) fail(structure.name + " has no label numbers (mmCIF label_seq_id); --numbering label needs them");
}
