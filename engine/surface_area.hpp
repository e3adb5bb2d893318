// Solvent-accessible surface by Shrake and Rupley, and in the same pass the surface each group of atoms (a
// chain, a side) buries of every other group: a point on an atom's probe sphere that no atom of its own group
// covers is accessible with the group alone; each other group that covers it buries it (a point covered by two
// groups counts for each).
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// The atoms of every group: centres, van der Waals radii (0: no surface, covers nothing), and group numbers.
struct area_atoms {
  std::vector<double> x, y, z, radius;
  std::vector<std::uint32_t> group;
  std::size_t size() const { return x.size(); }
  void add(double ax, double ay, double az, double r, std::uint32_t g) {
    x.push_back(ax), y.push_back(ay), z.push_back(az), radius.push_back(r), group.push_back(g);
  }
};

constexpr double default_probe = 1.4;
constexpr int default_area_points = 960;

// Which atoms count for areas, and how finely: by default those FreeSASA counts (no hydrogens, no waters, no
// HETATM records); all_atoms counts ligands and glycans too.
struct area_rules {
  bool all_atoms = false;
  int points = default_area_points;
  double probe = default_probe;
};

// n points spread evenly on the unit sphere (a golden-angle spiral), x y z after each other. Made with
// additions, multiplications and square roots only, so that they are the same bits on every machine.
std::vector<double> sphere_points(int n);

class surface_areas {
 public:
  // Throws run_error for fewer than 1 or more than 100,000 points a sphere, or a probe that is not a
  // non-negative finite number.
  surface_areas(const area_atoms& atoms, double probe = default_probe, int points = default_area_points);
  // Accessible area of the atom with its own group alone (Å^2).
  double alone(std::size_t atom) const { return alone_[atom]; }
  // The area of the atom's accessible surface (alone) that each other group covers, by group number.
  const std::vector<std::pair<std::uint32_t, double>>& buried(std::size_t atom) const { return buried_[atom]; }
  // The part of it that group covers (0 when none).
  double buried_by(std::size_t atom, std::uint32_t group) const;

 private:
  std::vector<double> alone_;
  std::vector<std::vector<std::pair<std::uint32_t, double>>> buried_;
};
