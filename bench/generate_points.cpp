// Writes the benchmark's coordinate lists.
//   generate_points interface N DIR   two blocks of N points touching at a face: DIR/interface_N_{A,B}.xyz
//   generate_points overlap N DIR     one block of N points, meant as both lists: DIR/overlap_N.xyz
//   generate_points structure N DIR   one block of N atoms as an mmCIF file: DIR/structure_N.cif
//   generate_points scan N DIR        two chains of N/2 atoms touching at a face, as mmCIF: DIR/scan_N.cif
//   generate_points shell N DIR       N points on a spherical shell and a probe of 800 at its surface:
//                                     DIR/shell_N.xyz, DIR/probe_N.xyz
#include <cstdio>
#include <cstdlib>
#include <string>

#include "synthetic_block.hpp"

namespace {

void write_file(const std::string& path, const std::string& text) {
  std::FILE* out = std::fopen(path.c_str(), "w");
  if (out == nullptr || std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fclose(out) != 0) {
    std::perror(path.c_str());
    std::exit(2);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: generate_points interface|overlap|structure|scan|shell N DIR\n");
    return 1;
  }
  const std::string scenario = argv[1], n_text = argv[2], dir = argv[3];
  const long n = std::atol(argv[2]);
  if (scenario == "interface") {
    // B starts where A's residue cubes end along x: the two blocks touch at a face.
    const double face = static_cast<double>(synthetic::residues_across(n)) * synthetic::residue_edge();
    write_file(dir + "/interface_" + n_text + "_A.xyz", synthetic::block(n, 'A', 0.0, 1));
    write_file(dir + "/interface_" + n_text + "_B.xyz", synthetic::block(n, 'B', face, 2));
  } else if (scenario == "overlap") {
    write_file(dir + "/overlap_" + n_text + ".xyz", synthetic::block(n, 'A', 0.0, 3));
  } else if (scenario == "shell") {
    write_file(dir + "/shell_" + n_text + ".xyz", synthetic::shell(n, 5));
    write_file(dir + "/probe_" + n_text + ".xyz", synthetic::probe(n, 6));
  } else if (scenario == "structure") {
    write_file(dir + "/structure_" + n_text + ".cif", synthetic::structure_cif(n, 4));
  } else if (scenario == "scan") {
    write_file(dir + "/scan_" + n_text + ".cif", synthetic::interface_cif(n, 7));
  } else {
    std::fprintf(stderr, "generate_points: unknown scenario %s\n", argv[1]);
    return 1;
  }
  return 0;
}
