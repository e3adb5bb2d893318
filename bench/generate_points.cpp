// Deterministic coordinate lists with protein-like density (0.05 points per cubic Angstrom) and labels of the
// form residue:type:atom. Every residue is a cube of 8 points, so residues are compact, as in a protein.
//
//   generate_points interface N DIR   two blocks of N points touching at a face: DIR/interface_N_{A,B}.xyz
//   generate_points overlap N DIR     one block of N points, meant as both lists: DIR/overlap_N.xyz
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int atoms_per_residue = 8;
constexpr double density = 0.05;
const char* const atom_names[atoms_per_residue] = {"N", "CA", "C", "O", "CB", "CG", "CD", "CE"};
const char* const residue_types[] = {"ALA", "ARG", "ASN", "ASP", "CYS", "GLN", "GLU", "GLY", "HIS", "ILE",
                                     "LEU", "LYS", "MET", "PHE", "PRO", "SER", "THR", "TRP", "TYR", "VAL"};

// splitmix64: the same stream on every machine.
struct random_stream {
  std::uint64_t state;
  std::uint64_t next() {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
  }
  double uniform() { return static_cast<double>(next() >> 11) * 0x1p-53; }
};

// Writes n points as a block of residue cubes, m cubes along x and y, starting at x = x0.
void write_block(const std::string& path, long n, char chain, double x0, std::uint64_t seed) {
  std::FILE* out = std::fopen(path.c_str(), "w");
  if (out == nullptr) {
    std::perror(path.c_str());
    std::exit(2);
  }
  const double edge = std::cbrt(atoms_per_residue / density);
  const long residues = (n + atoms_per_residue - 1) / atoms_per_residue;
  const long m = std::max(1L, std::lround(std::cbrt(static_cast<double>(residues))));
  random_stream random{seed};
  long written = 0;
  for (long r = 0; written < n; ++r) {
    const double cx = x0 + static_cast<double>(r % m) * edge, cy = static_cast<double>((r / m) % m) * edge,
                 cz = static_cast<double>(r / (m * m)) * edge;
    const char* type = residue_types[random.next() % 20];
    for (int a = 0; a < atoms_per_residue && written < n; ++a, ++written)
      std::fprintf(out, "%c%ld:%s:%s\t%.3f\t%.3f\t%.3f\n", chain, r + 1, type, atom_names[a],
                   cx + random.uniform() * edge, cy + random.uniform() * edge, cz + random.uniform() * edge);
  }
  if (std::fclose(out) != 0) {
    std::perror(path.c_str());
    std::exit(2);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: generate_points interface|overlap N DIR\n");
    return 1;
  }
  const std::string scenario = argv[1], dir = argv[3];
  const long n = std::atol(argv[2]);
  const double edge = std::cbrt(atoms_per_residue / density);
  const long m = std::max(1L, std::lround(std::cbrt(static_cast<double>((n + 7) / atoms_per_residue))));
  if (scenario == "interface") {
    write_block(dir + "/interface_" + argv[2] + "_A.xyz", n, 'A', 0.0, 1);
    write_block(dir + "/interface_" + argv[2] + "_B.xyz", n, 'B', static_cast<double>(m) * edge, 2);
  } else if (scenario == "overlap") {
    write_block(dir + "/overlap_" + argv[2] + ".xyz", n, 'A', 0.0, 3);
  } else {
    std::fprintf(stderr, "generate_points: unknown scenario %s\n", argv[1]);
    return 1;
  }
  return 0;
}
