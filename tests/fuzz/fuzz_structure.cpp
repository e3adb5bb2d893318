// Arbitrary bytes as a structure file, read as given and again gzipped in-process (so that the gzip path is
// reached), then picked whole and listed, its first assembly built and listed: a structure or one clean error line, never a crash, a hang or
// unbounded memory. The bytes go through a memory file, so the reader takes the same path as for a real file.
// The fast mmCIF reader, where it takes the bytes, must give gemmi's own document (or gemmi's message).
#include <sys/mman.h>
#include <unistd.h>
#include <zlib.h>

#include <string>

#include "assemblies.hpp"
#include "cif_document.hpp"
#include "error.hpp"
#include "fuzz_checks.hpp"
#include "output_path.hpp"
#include "point_list.hpp"
#include "same_document.hpp"
#include "structure_file.hpp"

namespace {

std::string gzipped(const std::uint8_t* data, std::size_t size) {
  z_stream stream{};
  deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  std::string packed(deflateBound(&stream, size) + 32, '\0');
  stream.next_in = const_cast<Bytef*>(data);
  stream.avail_in = static_cast<uInt>(size);
  stream.next_out = reinterpret_cast<Bytef*>(&packed[0]);
  stream.avail_out = static_cast<uInt>(packed.size());
  deflate(&stream, Z_FINISH);
  packed.resize(stream.total_out);
  deflateEnd(&stream);
  return packed;
}

void read_and_pick(const std::string& bytes) {
  const int fd = ::memfd_create("structure", MFD_CLOEXEC);
  FUZZ_CHECK(fd >= 0);
  FUZZ_CHECK(write_all(fd, bytes.data(), bytes.size()) == 0);
  try {
    gemmi::Structure structure = read_structure("/proc/self/fd/" + std::to_string(fd));
    const atom_defaults defaults;
    write_chain_table(structure, defaults);
    write_points(structure, parse_selection("//*"), "//*", defaults);
    assembly_table(structure);
    if (!structure.assemblies.empty()) {
      build_assembly(structure, structure.assemblies.front().name);
      write_chain_table(structure, defaults);
    }
  } catch (const run_error& e) {
    check_message(e.what());
  }
  ::close(fd);
}

void compare_with_gemmi(const std::string& bytes) {
  gemmi::cif::Document fast;
  std::string fast_error;
  bool taken = false;
  try {
    taken = read_cif_document(bytes, "fuzz", fast);
  } catch (const std::exception& e) {
    taken = true;
    fast_error = e.what();
  }
  if (!taken) return;
  const gemmi_reading expected = read_with_gemmi(bytes, "fuzz");
  FUZZ_CHECK(expected.error == fast_error);
  FUZZ_CHECK(!expected.error.empty() || same_document(fast, expected.document));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  compare_with_gemmi(bytes);
  read_and_pick(bytes);
  read_and_pick(gzipped(data, size));
  return 0;
}
