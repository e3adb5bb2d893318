#include "crystal_images.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include <gemmi/symmetry.hpp>

#include "error.hpp"
#include "number_text.hpp"

namespace {

bool is_diffraction(std::string method) {
  for (char& c : method) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return method.find("DIFFRACTION") != std::string::npos || method.find("CRYSTALLOGRAPHY") != std::string::npos;
}

struct box {
  std::array<double, 3> low{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::infinity()};
  std::array<double, 3> high{-std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity()};
  void add(double x, double y, double z) {
    const double v[3] = {x, y, z};
    for (int k = 0; k < 3; ++k) low[k] = std::min(low[k], v[k]), high[k] = std::max(high[k], v[k]);
  }
};

constexpr double max_shifts = 100000;

// A number of a message, as the lists write numbers.
std::string number(double value) {
  char text[float_text_room];
  return std::string(text, write_float(text, static_cast<float>(value)));
}

[[noreturn]] void fail_cell(const gemmi::Structure& structure) {
  const gemmi::UnitCell& cell = structure.cell;
  std::string lengths;
  for (const double length : {cell.a, cell.b, cell.c}) {
    char text[float_text_room];
    (lengths += lengths.empty() ? "" : " x ").append(text, write_float(text, static_cast<float>(length)));
  }
  fail("--symmetry: the cell of " + structure.name + " (" + lengths + " A) would need more than " +
       std::to_string(static_cast<int>(max_shifts)) + " lattice shifts to surround the selections");
}

}  // namespace

void check_crystal(const gemmi::Structure& structure) {
  const std::string& name = structure.name;
  const auto method = structure.info.find("_exptl.method");
  if (method != structure.info.end() && !method->second.empty()) {
    // Joint refinements list several methods; each must be one that has a crystal.
    std::size_t begin = 0;
    while (begin <= method->second.size()) {
      std::size_t end = method->second.find(';', begin);
      if (end == std::string::npos) end = method->second.size();
      const std::string one = method->second.substr(begin, end - begin);
      if (one.find_first_not_of(' ') != std::string::npos && !is_diffraction(one))
        fail("--symmetry needs a crystal: " + name + " is " + printable(method->second, 80) + ", not a diffraction method");
      begin = end + 1;
    }
  }
  if (!structure.cell.is_crystal())
    fail("--symmetry needs a unit cell: " + name + " has none (no CRYST1 or _cell, or the 1 x 1 x 1 placeholder)");
  const gemmi::SpaceGroup* group = structure.find_spacegroup();
  if (group == nullptr)
    fail("--symmetry needs a space group: " + name + " gives " +
         (structure.spacegroup_hm.empty() ? std::string("none") : quoted(structure.spacegroup_hm) + ", which is not one"));
  check_cell(structure, group->operations().order());
}

void check_cell(const gemmi::Structure& structure, int operations) {
  const std::string& name = structure.name;
  const gemmi::UnitCell& cell = structure.cell;
  const char* length_names[3] = {"a", "b", "c"};
  const double lengths[3] = {cell.a, cell.b, cell.c};
  for (int k = 0; k < 3; ++k)
    if (!(lengths[k] > 0) || !std::isfinite(lengths[k]))
      fail("--symmetry: the cell of " + name + " has " + length_names[k] + " = " + number(lengths[k]) +
           " A; a length must be above 0");
  const char* angle_names[3] = {"alpha", "beta", "gamma"};
  const double angles[3] = {cell.alpha, cell.beta, cell.gamma};
  for (int k = 0; k < 3; ++k)
    if (!(angles[k] > 0 && angles[k] < 180))
      fail("--symmetry: the cell of " + name + " has " + angle_names[k] + " = " + number(angles[k]) +
           "; an angle must lie between 0 and 180 degrees");
  // The volume is a b c sqrt(1 - cos^2 alpha - cos^2 beta - cos^2 gamma + 2 cos alpha cos beta cos gamma): three
  // angles whose root is not positive (one larger than the other two together) make no cell.
  double c[3];
  for (int k = 0; k < 3; ++k) c[k] = std::cos(angles[k] * (3.14159265358979323846 / 180));
  const double root = 1 - c[0] * c[0] - c[1] * c[1] - c[2] * c[2] + 2 * c[0] * c[1] * c[2];
  if (!(root > 0))
    fail("--symmetry: the cell angles of " + name + " (" + number(angles[0]) + ", " + number(angles[1]) + ", " +
         number(angles[2]) + ") give no real cell: its volume would not be above 0");
  const double volume = lengths[0] * lengths[1] * lengths[2] * std::sqrt(root);
  // Protein crystals hold about 20 A^3 an atom; below 1 the images would be atoms on top of atoms, and their
  // number would grow without bound as the cell shrinks.
  double atoms = 0;
  if (!structure.models.empty())
    for (const gemmi::Chain& chain : structure.models.front().chains)
      for (const gemmi::Residue& residue : chain.residues) atoms += static_cast<double>(residue.atoms.size());
  const double held = atoms * operations;
  if (held > 0 && volume / held < 1)
    fail("--symmetry: the cell of " + name + " (" + number(volume) + " A^3) would hold " + number(held) + " atoms (" +
         number(atoms) + " times " + std::to_string(operations) + (operations == 1 ? " operation" : " operations") + "), less than 1 A^3 an atom");
}

std::string image_code(int operation, int da, int db, int dc) {
  std::string code = std::to_string(operation) + '_';
  if (da >= -5 && da <= 4 && db >= -5 && db <= 4 && dc >= -5 && dc <= 4) {
    for (const int d : {da, db, dc}) code += static_cast<char>('5' + d);
  } else {
    code += std::to_string(5 + da) + '_' + std::to_string(5 + db) + '_' + std::to_string(5 + dc);
  }
  return code;
}

atom_table crystal_images(const gemmi::Structure& structure, const atom_table& imaged, const atom_table& near,
                          float cutoff, atom_tables& tables) {
  const gemmi::UnitCell& cell = structure.cell;
  const gemmi::GroupOps operations = structure.find_spacegroup()->operations();
  image_builder images(imaged);
  if (imaged.size() == 0 || near.size() == 0) return images.take();

  // Where near's atoms are, in the cell's fractions and in Angstrom; a point within cutoff of an atom is
  // within cutoff (times the frac matrix's row norm) of the fractional box.
  box near_frac, near_box;
  for (std::size_t p = 0; p < near.size(); ++p) {
    const gemmi::Fractional f = cell.fractionalize(near.atoms[p]->pos);
    near_frac.add(f.x, f.y, f.z);
    near_box.add(near.x[p], near.y[p], near.z[p]);
  }
  double reach[3];
  for (int k = 0; k < 3; ++k) {
    const auto& row = cell.frac.mat[k];
    reach[k] = cutoff * std::sqrt(row[0] * row[0] + row[1] * row[1] + row[2] * row[2]) + 1e-6;
  }
  // The kept images are searched exactly; this box only has to hold every image within cutoff (with room
  // for the rounding of the coordinates it compares).
  const double room = cutoff + 1e-3;
  std::vector<gemmi::Fractional> frac(imaged.size());
  for (std::size_t p = 0; p < imaged.size(); ++p) frac[p] = cell.fractionalize(imaged.atoms[p]->pos);

  int number = 0;
  std::vector<gemmi::Fractional> moved(imaged.size());
  for (const gemmi::Op op : operations) {
    ++number;
    const gemmi::Transform transform{gemmi::rot_as_mat33(op), gemmi::tran_as_vec3(op)};
    box moved_box;
    for (std::size_t p = 0; p < imaged.size(); ++p) {
      moved[p] = gemmi::Fractional(transform.apply(frac[p]));
      moved_box.add(moved[p].x, moved[p].y, moved[p].z);
    }
    int from[3], to[3];
    double shifts = 1;
    for (int k = 0; k < 3; ++k) {
      const double low = std::ceil(near_frac.low[k] - reach[k] - moved_box.high[k]);
      const double high = std::floor(near_frac.high[k] + reach[k] - moved_box.low[k]);
      // A cell far smaller than the molecule (or not a number) would ask for more copies than any crystal has.
      if (!(high - low < max_shifts)) fail_cell(structure);
      shifts *= std::max(0.0, high - low + 1);
      if (shifts > max_shifts) fail_cell(structure);
      from[k] = static_cast<int>(low), to[k] = static_cast<int>(high);
    }
    for (int da = from[0]; da <= to[0]; ++da)
      for (int db = from[1]; db <= to[1]; ++db)
        for (int dc = from[2]; dc <= to[2]; ++dc) {
          if (number == 1 && da == 0 && db == 0 && dc == 0) continue;
          const gemmi::Transform shifted{transform.mat, transform.vec + gemmi::Vec3(da, db, dc)};
          images.begin_image(image_code(number, da, db, dc), cell.orth.combine(shifted).combine(cell.frac));
          for (std::size_t p = 0; p < imaged.size(); ++p) {
            const gemmi::Position at =
                cell.orthogonalize(gemmi::Fractional(moved[p].x + da, moved[p].y + db, moved[p].z + dc));
            const float x = static_cast<float>(at.x), y = static_cast<float>(at.y), z = static_cast<float>(at.z);
            if (x < near_box.low[0] - room || x > near_box.high[0] + room || y < near_box.low[1] - room ||
                y > near_box.high[1] + room || z < near_box.low[2] - room || z > near_box.high[2] + room)
              continue;
            images.add(p, x, y, z, tables);
          }
        }
  }
  return images.take();
}
