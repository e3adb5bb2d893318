// Arbitrary bytes as a structure file, its contacts typed: every atom against every other (waters kept, the
// file's hydrogens read for angles), and every chain pair of its interfaces, with its crystal when it has one.
// Roles from coordinates meet whatever the bytes make of a residue (piles of atoms, rings of anything): one
// clean error line or a result, never a crash, a hang or unbounded memory.
#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include <gemmi/polyheur.hpp>

#include "error.hpp"
#include "fuzz_checks.hpp"
#include "output_path.hpp"
#include "pair_scans.hpp"
#include "selection_contacts.hpp"
#include "structure_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int fd = ::memfd_create("structure", MFD_CLOEXEC);
  FUZZ_CHECK(fd >= 0);
  FUZZ_CHECK(write_all(fd, reinterpret_cast<const char*>(data), size) == 0);
  try {
    gemmi::Structure structure = read_structure("/proc/self/fd/" + std::to_string(fd));
    gemmi::add_entity_types(structure, /*overwrite=*/false);
    scan_request request;
    request.interactions = true;
    request.tables = true;
    request.atoms.keep_waters = true;
    request.selections = {"//*"};
    const auto found = find_selection_contacts(request, {parse_selection("//*")}, structure);
    found->result.tables->interactions(found->result.interactions);
    request.selections.clear();
    request.symmetry = true;
    structure_status status;
    try {
      for_each_chain_pair(request, false, structure, status, [](found_pair& pair) {
        pair.result.tables->interactions(pair.result.interactions);
      });
    } catch (const run_error& e) {
      check_message(e.what());  // not a crystal
    }
  } catch (const run_error& e) {
    check_message(e.what());
  }
  ::close(fd);
  return 0;
}
