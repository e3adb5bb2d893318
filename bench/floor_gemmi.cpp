// The structure-reading floor: gemmi alone reads a file into a structure, as its own tools do.
//   floor_gemmi FILE
#include <cstdio>
#include <exception>

#include <gemmi/mmread.hpp>
#include <gemmi/select.hpp>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: floor_gemmi FILE\n");
    return 1;
  }
  try {
    const gemmi::Structure structure = gemmi::read_structure_file(argv[1]);
    std::printf("%zu atoms\n", gemmi::count_atom_sites(structure));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "floor_gemmi: %s\n", e.what());
    return 2;
  }
  return 0;
}
