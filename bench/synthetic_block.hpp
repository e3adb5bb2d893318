// Deterministic coordinate lists with protein-like density (0.05 points per cubic Angstrom) and labels of the
// form residue:type:atom. Every residue is a cube of 8 points, so residues are compact, as in a protein.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace synthetic {

constexpr int atoms_per_residue = 8;
constexpr double density = 0.05;
// Edge of one residue's cube.
inline double residue_edge() { return std::cbrt(atoms_per_residue / density); }
// Residue cubes along x and y in a block of n points.
inline long residues_across(long n) {
  return std::max(1L, std::lround(std::cbrt(static_cast<double>((n + atoms_per_residue - 1) / atoms_per_residue))));
}

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

// Calls visit(residue_number, type, atom_name, x, y, z) for n points, residue cubes filling x and y first,
// starting at x = x0; residue numbers count from 1.
template <class Visit>
void for_each_point(long n, double x0, std::uint64_t seed, Visit&& visit) {
  static const char* const atom_names[atoms_per_residue] = {"N", "CA", "C", "O", "CB", "CG", "CD", "CE"};
  static const char* const types[] = {"ALA", "ARG", "ASN", "ASP", "CYS", "GLN", "GLU", "GLY", "HIS", "ILE",
                                      "LEU", "LYS", "MET", "PHE", "PRO", "SER", "THR", "TRP", "TYR", "VAL"};
  const double edge = residue_edge();
  const long m = residues_across(n);
  random_stream random{seed};
  long written = 0;
  for (long r = 0; written < n; ++r) {
    const double cx = x0 + static_cast<double>(r % m) * edge, cy = static_cast<double>((r / m) % m) * edge,
                 cz = static_cast<double>(r / (m * m)) * edge;
    const char* type = types[random.next() % 20];
    for (int a = 0; a < atoms_per_residue && written < n; ++a, ++written) {
      const double x = cx + random.uniform() * edge, y = cy + random.uniform() * edge, z = cz + random.uniform() * edge;
      visit(r + 1, type, atom_names[a], x, y, z);
    }
  }
}

// A block of n points as coordinate-list text; residue identifiers are the chain letter and a number.
inline std::string block(long n, char chain, double x0, std::uint64_t seed) {
  std::string text;
  text.reserve(static_cast<std::size_t>(n) * 40);
  char line[128];
  for_each_point(n, x0, seed, [&](long residue, const char* type, const char* atom, double x, double y, double z) {
    text.append(line, static_cast<std::size_t>(std::snprintf(line, sizeof line, "%c%ld:%s:%s\t%.3f\t%.3f\t%.3f\n",
                                                              chain, residue, type, atom, x, y, z)));
  });
  return text;
}

// mmCIF text of the usual atom_site columns, one row per append().
class cif_writer {
 public:
  explicit cif_writer(long n) {
    text_ =
        "data_bench\nloop_\n_atom_site.group_PDB\n_atom_site.id\n_atom_site.type_symbol\n_atom_site.label_atom_id\n"
        "_atom_site.label_alt_id\n_atom_site.label_comp_id\n_atom_site.label_asym_id\n_atom_site.label_entity_id\n"
        "_atom_site.label_seq_id\n_atom_site.pdbx_PDB_ins_code\n_atom_site.Cartn_x\n_atom_site.Cartn_y\n"
        "_atom_site.Cartn_z\n_atom_site.occupancy\n_atom_site.B_iso_or_equiv\n_atom_site.auth_seq_id\n"
        "_atom_site.auth_asym_id\n_atom_site.pdbx_PDB_model_num\n";
    text_.reserve(text_.size() + static_cast<std::size_t>(n) * 96);
  }
  void append(char chain, long number, const char* type, const char* atom, double x, double y, double z) {
    char line[192];
    text_.append(line, static_cast<std::size_t>(std::snprintf(
                           line, sizeof line, "ATOM %ld %c %s . %s %c 1 %ld ? %.3f %.3f %.3f 1.00 20.00 %ld %c 1\n",
                           ++id_, atom[0], atom, type, chain, number, x, y, z, number, chain)));
  }
  std::string finish() { return text_ + "#\n"; }

 private:
  std::string text_;
  long id_ = 0;
};

// The same points as an mmCIF file, one chain (A, B, ...) per 10,000 residues: slabs of one block.
inline std::string structure_cif(long n, std::uint64_t seed) {
  cif_writer cif(n);
  for_each_point(n, 0.0, seed, [&](long residue, const char* type, const char* atom, double x, double y, double z) {
    const long number = (residue - 1) % 10000 + 1;
    cif.append(static_cast<char>('A' + (residue - 1) / 10000 % 26), number, type, atom, x, y, z);
  });
  return cif.finish();
}

// n atoms as two chains of n/2, A and B, laid out as the two blocks of the interface lists: touching at a face.
inline std::string interface_cif(long n, std::uint64_t seed) {
  cif_writer cif(n);
  const long half = n / 2;
  const double face = static_cast<double>(residues_across(half)) * residue_edge();
  for (char chain : {'A', 'B'}) {
    for_each_point(half, chain == 'A' ? 0.0 : face, seed + static_cast<std::uint64_t>(chain),
                   [&](long residue, const char* type, const char* atom, double x, double y, double z) {
                     cif.append(chain, residue, type, atom, x, y, z);
                   });
  }
  return cif.finish();
}

// A hollow assembly: n points uniform in a spherical shell (a capsid's shape) at protein density, radius 250 and
// thickness 30 Angstrom for a million points, scaled with the cube root of n; and a compact probe of 800 points
// at its outer surface. Both as coordinate-list text.
inline std::string shell(long n, std::uint64_t seed) {
  const double scale = std::cbrt(static_cast<double>(n) / 1e6);
  const double inner = 235 * scale, outer = 265 * scale;
  random_stream random{seed};
  std::string text;
  text.reserve(static_cast<std::size_t>(n) * 40);
  char line[128];
  for (long p = 0; p < n; ++p) {
    const double r = std::cbrt(inner * inner * inner + random.uniform() * (outer * outer * outer - inner * inner * inner));
    const double cos_theta = 2 * random.uniform() - 1, phi = 2 * M_PI * random.uniform();
    const double sin_theta = std::sqrt(1 - cos_theta * cos_theta);
    text.append(line, static_cast<std::size_t>(std::snprintf(line, sizeof line, "S%ld:ALA:CA\t%.3f\t%.3f\t%.3f\n", p / 8 + 1,
                                                              r * sin_theta * std::cos(phi), r * sin_theta * std::sin(phi),
                                                              r * cos_theta)));
  }
  return text;
}

inline std::string probe(long n, std::uint64_t seed) {
  const double surface = 265 * std::cbrt(static_cast<double>(n) / 1e6);
  return block(800, 'P', surface - 4, seed);
}

}  // namespace synthetic
