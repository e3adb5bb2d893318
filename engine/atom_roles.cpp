#include "atom_roles.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "data_file.hpp"

namespace {

// The table of standard residues: "RES\tATOM" to its roles, ring numbers (bit 0 ring1, bit 1 ring2) and whether
// it is a cation's centre.
struct table_entry {
  std::uint16_t roles = 0;
  std::uint8_t rings = 0;
  bool centre = false, histidine = false;
};

struct residue_table {
  std::unordered_map<std::string, table_entry> atoms;
  std::unordered_map<std::string, bool> residues;  // residue name: whether it is an amino acid
  residue_table() {
    std::vector<std::string_view> roles;
    for_each_data_line(residue_atoms_text, [&](const std::vector<std::string_view>& line) {
      const std::string residue(line.at(0)), atom(line.at(1));
      table_entry entry;
      split_views(line.at(2), ',', roles);
      for (const std::string_view role : roles) {
        if (role == "donor") entry.roles |= role_donor;
        else if (role == "acceptor") entry.roles |= role_acceptor;
        else if (role == "positive") entry.roles |= role_positive;
        else if (role == "negative") entry.roles |= role_negative;
        else if (role == "hydrophobic") entry.roles |= role_hydrophobic;
        else if (role == "ring1") entry.rings |= 1;
        else if (role == "ring2") entry.rings |= 2;
        else if (role == "centre") entry.centre = true;
        else if (role == "histidine") entry.histidine = true;
      }
      atoms[residue + '\t' + atom] = entry;
      if (atom == "CA") residues[residue] = true;
      else residues.emplace(residue, false);
    });
  }
};

const residue_table& standard() {
  static const residue_table table;
  return table;
}

gemmi::Position difference(const gemmi::Position& a, const gemmi::Position& b) { return gemmi::Position(a - b); }

// The normal of a polygon (Newell's method) and how far its farthest atom lies from the mean plane.
double planarity(const gemmi::Residue& residue, const std::vector<std::uint32_t>& ring) {
  gemmi::Position centre(0, 0, 0), normal(0, 0, 0);
  for (const std::uint32_t a : ring) centre += residue.atoms[a].pos;
  centre /= static_cast<double>(ring.size());
  for (std::size_t k = 0; k < ring.size(); ++k) {
    const gemmi::Position p = difference(residue.atoms[ring[k]].pos, centre);
    const gemmi::Position q = difference(residue.atoms[ring[(k + 1) % ring.size()]].pos, centre);
    normal += gemmi::Position(p.cross(q));
  }
  const double length = normal.length();
  if (!(length > 0)) return INFINITY;
  double farthest = 0;
  for (const std::uint32_t a : ring)
    farthest = std::max(farthest, std::fabs(difference(residue.atoms[a].pos, centre).dot(normal) / length));
  return farthest;
}

// Every ring of 5 or 6 atoms of the bond graph, each once, its atoms in ring order from its lowest index.
std::vector<std::vector<std::uint32_t>> small_rings(const std::vector<std::vector<std::uint32_t>>& bonded) {
  std::vector<std::vector<std::uint32_t>> rings;
  std::vector<std::uint32_t> path;
  const auto walk = [&](auto&& self, std::uint32_t at) -> void {
    for (const std::uint32_t next : bonded[at]) {
      if (next == path.front() && path.size() >= 5 && path[1] < path.back()) rings.push_back(path);
      if (next <= path.front() || path.size() == 6 || bonded[next].size() > 4 ||
          std::find(path.begin(), path.end(), next) != path.end())
        continue;
      path.push_back(next);
      self(self, next);
      path.pop_back();
    }
  };
  // Atoms of an aromatic ring have at most three heavy neighbours (four leaves room for coordinates that
  // bond too eagerly); atoms of many neighbours (a pile of atoms in garbage input) would make the walk explode.
  for (std::uint32_t start = 0; start < bonded.size(); ++start) {
    if (bonded[start].size() > 4) continue;
    path.assign(1, start);
    walk(walk, start);
  }
  return rings;
}

bool is_nitrogen_or_oxygen(gemmi::El e) { return e == gemmi::El::N || e == gemmi::El::O; }

}  // namespace

bool within_bond(const gemmi::Atom& a, const gemmi::Atom& b, float tolerance) {
  const double reach = bond_radius(a.element.elem) + bond_radius(b.element.elem) + tolerance;
  return a.pos.dist_sq(b.pos) <= reach * reach;
}

const residue_roles& role_book::of(const gemmi::Chain& chain, const gemmi::Residue& residue) {
  const auto cached = cache_.find(&residue);
  if (cached != cache_.end()) return cached->second;
  residue_roles& r = cache_[&residue];
  const std::size_t n = residue.atoms.size();
  r.roles.assign(n, 0);
  r.group.assign(n, -1);
  r.bonded.resize(n);
  r.hydrogens.resize(n);
  const float tolerance = criteria_.covalent_tolerance;
  // Bonds by distance, found by a sweep along x: a residue of many atoms (a whole chain filed as one residue)
  // costs in proportion to its atoms, not their square.
  std::vector<std::uint32_t> by_x(n);
  double longest = 0;
  for (std::uint32_t i = 0; i < n; ++i) {
    by_x[i] = i;
    if (residue.atoms[i].is_hydrogen()) r.has_hydrogens = true;
    longest = std::max<double>(longest, bond_radius(residue.atoms[i].element.elem));
  }
  const double reach = 2 * longest + tolerance;
  std::sort(by_x.begin(), by_x.end(), [&](std::uint32_t x, std::uint32_t y) {
    return residue.atoms[x].pos.x < residue.atoms[y].pos.x || (residue.atoms[x].pos.x == residue.atoms[y].pos.x && x < y);
  });
  for (std::uint32_t u = 0; u < n; ++u) {
    const std::uint32_t i = by_x[u];
    const gemmi::Atom& a = residue.atoms[i];
    for (std::uint32_t v = u + 1; v < n && residue.atoms[by_x[v]].pos.x - a.pos.x <= reach; ++v) {
      const std::uint32_t j = by_x[v];
      const gemmi::Atom& b = residue.atoms[j];
      if (!same_conformer(a, b) || !within_bond(a, b, tolerance)) continue;
      if (a.is_hydrogen() && b.is_hydrogen()) continue;
      // No atom has more than a dozen bonds; more are a pile of atoms in broken input, kept bounded.
      if (r.bonded[i].size() + r.hydrogens[i].size() >= 16 || r.bonded[j].size() + r.hydrogens[j].size() >= 16) continue;
      if (b.is_hydrogen()) r.hydrogens[i].push_back(j);
      else if (a.is_hydrogen()) r.hydrogens[j].push_back(i);
      else r.bonded[i].push_back(j), r.bonded[j].push_back(i);
    }
  }
  // In atom order, as a pass over every pair would give them.
  for (std::uint32_t i = 0; i < n; ++i) {
    std::sort(r.bonded[i].begin(), r.bonded[i].end());
    std::sort(r.hydrogens[i].begin(), r.hydrogens[i].end());
  }
  // The residue's first conformer: rings and groups are made of its atoms.
  char first_altloc = '\0';
  for (const gemmi::Atom& a : residue.atoms)
    if (a.altloc != '\0') {
      first_altloc = a.altloc;
      break;
    }
  const auto in_first = [&](std::uint32_t i) { return residue.atoms[i].altloc == '\0' || residue.atoms[i].altloc == first_altloc; };
  for (std::uint32_t i = 0; i < n; ++i) {
    const gemmi::El e = residue.atoms[i].element.elem;
    if (typed_metal(e)) r.roles[i] |= role_metal;
  }

  const residue_table& table = standard();
  const auto known = table.residues.find(residue.name);
  if (known != table.residues.end()) {
    // A standard residue: roles by name, rings and groups of the atoms it has.
    std::vector<std::uint32_t> ring_atoms[2];
    std::vector<std::uint32_t> sign_atoms[2];  // negative, positive
    int centre = -1;
    for (std::uint32_t i = 0; i < n; ++i) {
      const auto entry = table.atoms.find(residue.name + '\t' + residue.atoms[i].name);
      if (entry == table.atoms.end() || residue.atoms[i].is_hydrogen()) continue;
      table_entry roles = entry->second;
      if (roles.histidine && criteria_.his_charged != 0) roles.roles |= role_positive;
      r.roles[i] |= roles.roles;
      if (!in_first(i)) continue;
      for (int k = 0; k < 2; ++k)
        if (roles.rings & (1 << k)) ring_atoms[k].push_back(i);
      if (roles.roles & role_negative) sign_atoms[0].push_back(i);
      if (roles.roles & role_positive) sign_atoms[1].push_back(i);
      if (roles.centre) centre = static_cast<int>(i);
    }
    // Termini by place: the chain's first polymer residue has a charged amine, a residue with OXT a carboxylate.
    if (known->second) {
      const gemmi::Residue* first_polymer = nullptr;
      for (const gemmi::Residue& each : chain.residues)
        if (each.entity_type == gemmi::EntityType::Polymer) {
          first_polymer = &each;
          break;
        }
      std::vector<std::uint32_t> n_terminus, c_terminus;
      bool has_oxt = false;
      for (std::uint32_t i = 0; i < n; ++i)
        if (in_first(i) && residue.atoms[i].name == "OXT") has_oxt = true;
      for (std::uint32_t i = 0; i < n; ++i) {
        if (!in_first(i)) continue;
        const std::string& name = residue.atoms[i].name;
        if (first_polymer == &residue && name == "N") n_terminus.push_back(i);
        if (has_oxt && (name == "O" || name == "OXT")) c_terminus.push_back(i);
      }
      const auto add_group = [&](int sign, const std::vector<std::uint32_t>& atoms, int at) {
        if (atoms.empty()) return;
        const auto g = static_cast<std::int32_t>(r.groups.size());
        r.groups.push_back({sign, atoms, at});
        for (const std::uint32_t i : atoms) {
          r.group[i] = g;
          r.roles[i] |= sign < 0 ? role_negative : role_positive;
        }
      };
      add_group(-1, sign_atoms[0], -1);
      add_group(+1, sign_atoms[1], centre >= 0 ? centre : (sign_atoms[1].size() == 1 ? static_cast<int>(sign_atoms[1][0]) : -1));
      add_group(+1, n_terminus, -1);
      add_group(-1, c_terminus, -1);
    } else {
      if (!sign_atoms[0].empty()) {
        r.groups.push_back({-1, sign_atoms[0], -1});
        for (const std::uint32_t i : sign_atoms[0]) r.group[i] = static_cast<std::int32_t>(r.groups.size() - 1);
      }
    }
    // Rings whose atoms are all there (a side chain cut short has none).
    for (const auto& ring : ring_atoms)
      if (ring.size() == 5 || ring.size() == 6) {
        // In ring order: walk the bonds from the first atom.
        std::vector<std::uint32_t> ordered{ring.front()};
        while (ordered.size() < ring.size()) {
          bool stepped = false;
          for (const std::uint32_t next : r.bonded[ordered.back()])
            if (std::find(ring.begin(), ring.end(), next) != ring.end() &&
                std::find(ordered.begin(), ordered.end(), next) == ordered.end()) {
              ordered.push_back(next);
              stepped = true;
              break;
            }
          if (!stepped) break;
        }
        if (ordered.size() == ring.size()) r.rings.push_back(ordered);
      }
    return r;
  }

  // Any other residue: from its elements and bonds.
  for (std::uint32_t i = 0; i < n; ++i) {
    const gemmi::Atom& a = residue.atoms[i];
    const gemmi::El e = a.element.elem;
    if (a.is_hydrogen()) continue;
    const std::vector<std::uint32_t>& heavy = r.bonded[i];
    if (e == gemmi::El::C) {
      const bool carbon_only = std::all_of(heavy.begin(), heavy.end(), [&](std::uint32_t j) { return residue.atoms[j].element.elem == gemmi::El::C; });
      if (carbon_only) r.roles[i] |= role_hydrophobic;
    }
    if (is_nitrogen_or_oxygen(e)) {
      if (r.has_hydrogens) {
        if (!r.hydrogens[i].empty()) r.roles[i] |= role_donor;
        if (e == gemmi::El::O || (r.hydrogens[i].empty() && heavy.size() < 3)) r.roles[i] |= role_acceptor;
      } else {
        r.roles[i] |= role_acceptor;
        if (!(e == gemmi::El::O && heavy.size() >= 2)) r.roles[i] |= role_donor;
      }
    }
    if (e == gemmi::El::Cl || e == gemmi::El::Br || e == gemmi::El::I) {
      if (std::any_of(heavy.begin(), heavy.end(), [&](std::uint32_t j) { return residue.atoms[j].element.elem == gemmi::El::C; }))
        r.roles[i] |= role_halogen;
    }
  }
  // Charged groups of the first conformer.
  const auto degree = [&](std::uint32_t i) { return r.bonded[i].size(); };
  const auto add_group = [&](int sign, std::vector<std::uint32_t> atoms, int centre) {
    for (const std::uint32_t i : atoms)
      if (r.group[i] >= 0) return;  // an atom is in one group
    const auto g = static_cast<std::int32_t>(r.groups.size());
    for (const std::uint32_t i : atoms) r.group[i] = g, r.roles[i] |= sign < 0 ? role_negative : role_positive;
    r.groups.push_back({sign, std::move(atoms), centre});
  };
  for (std::uint32_t i = 0; i < n; ++i) {
    if (!in_first(i) || residue.atoms[i].is_hydrogen()) continue;
    const gemmi::El e = residue.atoms[i].element.elem;
    std::vector<std::uint32_t> terminal_o, nitrogens;
    bool has_o = false;
    for (const std::uint32_t j : r.bonded[i]) {
      const gemmi::El f = residue.atoms[j].element.elem;
      if (f == gemmi::El::O) {
        has_o = true;
        if (degree(j) == 1) terminal_o.push_back(j);
      }
      if (f == gemmi::El::N && degree(j) <= 2) nitrogens.push_back(j);
    }
    // Carboxylate; phosphate, phosphonate, sulfate, sulfonate: their terminal oxygens.
    if (e == gemmi::El::C && terminal_o.size() == 2 && degree(i) == 3) add_group(-1, terminal_o, -1);
    if ((e == gemmi::El::P || e == gemmi::El::S) && terminal_o.size() >= 2 && degree(i) == 4) add_group(-1, terminal_o, -1);
    // Amidine and guanidine: a carbon of three heavy neighbours, two or more of them nitrogen, no oxygen.
    if (e == gemmi::El::C && degree(i) == 3 && nitrogens.size() >= 2 && !has_o) add_group(+1, nitrogens, static_cast<int>(i));
    if (e == gemmi::El::N) {
      // Quaternary ammonium; a primary amine on a carbon bonded to no other N or O (not an amide, aniline-like
      // bond lengths excluded by the single-bond length).
      if (degree(i) == 4) add_group(+1, {i}, static_cast<int>(i));
      if (degree(i) == 1 && !r.has_hydrogens) {
        const std::uint32_t c = r.bonded[i][0];
        const gemmi::Atom& carbon = residue.atoms[c];
        bool plain = carbon.element.elem == gemmi::El::C && degree(c) == 4;
        for (const std::uint32_t k : r.bonded[c])
          if (k != i && is_nitrogen_or_oxygen(residue.atoms[k].element.elem)) plain = false;
        if (plain) add_group(+1, {i}, static_cast<int>(i));
      }
    }
  }
  // Aromatic rings: 5 or 6 atoms of the first conformer within ring_planarity of their plane.
  std::vector<std::vector<std::uint32_t>> first_bonds(n);
  for (std::uint32_t i = 0; i < n; ++i)
    if (in_first(i))
      for (const std::uint32_t j : r.bonded[i])
        if (in_first(j)) first_bonds[i].push_back(j);
  for (std::vector<std::uint32_t>& ring : small_rings(first_bonds))
    if (planarity(residue, ring) <= criteria_.ring_planarity) r.rings.push_back(std::move(ring));
  return r;
}
