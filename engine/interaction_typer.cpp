#include "interaction_typer.hpp"

#include <algorithm>
#include <cmath>

#include "cell_list.hpp"
#include "geometry.hpp"

namespace {

constexpr double degrees = 180.0 / 3.14159265358979323846;

// The angle at b of a-b-c, in degrees.
double angle_at(const gemmi::Position& a, const gemmi::Position& b, const gemmi::Position& c) {
  const gemmi::Vec3 u = a - b, v = c - b;
  const double cosine = u.dot(v) / std::sqrt(u.length_sq() * v.length_sq());
  return std::acos(std::max(-1.0, std::min(1.0, cosine))) * degrees;
}

bool coordinating(gemmi::El e) { return e == gemmi::El::N || e == gemmi::El::O || e == gemmi::El::S; }

std::uint64_t residue_pair_key(std::uint32_t x, std::uint32_t y) {
  if (x > y) std::swap(x, y);
  return static_cast<std::uint64_t>(x) << 32 | y;
}

// Two residues of one chain next to each other (and in one image): their backbone bond is not an interaction.
bool consecutive(const atom_table& t_a, std::size_t a, const atom_table& t_b, std::size_t b) {
  if (t_a.chain_at[a] != t_b.chain_at[b] || t_a.image_codes[t_a.image[a]] != t_b.image_codes[t_b.image[b]]) return false;
  const auto apart = t_a.residue_at[a] - t_b.residue_at[b];
  return apart == 1 || apart == -1;
}

bool backbone_link(const gemmi::Atom& x, const gemmi::Atom& y) {
  const auto is = [&](const char* p, const char* q) { return (x.name == p && y.name == q) || (x.name == q && y.name == p); };
  return is("C", "N") || is("O3'", "P");
}

std::string joined_names(const gemmi::Residue& residue, const std::vector<std::uint32_t>& atoms) {
  std::string names;
  for (const std::uint32_t i : atoms) (names += names.empty() ? "" : ",") += residue.atoms[i].name;
  return names;
}

// A ring or a cation of one table, where the table's atom p puts it.
struct ring_place {
  std::uint32_t p;  // a table atom of the ring's residue
  gemmi::Position centre, normal;
  std::string names;
};

}  // namespace

const char* interaction_name(interaction_type type) {
  static const char* const names[] = {"hydrogen_bond", "salt_bridge", "hydrophobic", "stacking_parallel",
                                      "stacking_t_shaped", "cation_pi", "halogen_bond", "metal",
                                      "water_bridge", "covalent", "clash"};
  return names[static_cast<std::size_t>(type)];
}

bool covalent_pair(const atom_table& t_a, std::size_t a, const atom_table& t_b, std::size_t b, float d, float tolerance) {
  const gemmi::Atom& x = *t_a.atoms[a];
  const gemmi::Atom& y = *t_b.atoms[b];
  const gemmi::El ex = x.element.elem, ey = y.element.elem;
  if (t_a.residue[a] == t_b.residue[b] || typed_metal(ex) || typed_metal(ey)) return false;
  if (d > bond_radius(ex) + bond_radius(ey) + tolerance) return false;
  return !(consecutive(t_a, a, t_b, b) && backbone_link(x, y));
}

interaction_typer::interaction_typer(const interaction_criteria& criteria, const gemmi::Model& model)
    : criteria_(criteria), model_(model), book_(criteria) {}

void interaction_typer::search(const atom_table& a, const atom_table* b, float reach, const pair_filter& keep) {
  const atom_table& other = b != nullptr ? *b : a;
  if (a.size() == 0 || other.size() == 0) return;
  const cell_list grid = b == nullptr ? cell_list::for_self_points(reach, a.points())
                                      : cell_list::for_points(reach, a.points(), other.points());
  const auto meet = [&](std::int32_t i, std::int32_t j, float d) {
    const auto p = static_cast<std::size_t>(i), q = static_cast<std::size_t>(j);
    if (keep(a, p, other, q)) offer(a, p, other, q, d);
  };
  if (b == nullptr) grid.for_each_self_contact(meet);
  else grid.for_each_contact(meet);
}

float interaction_typer::radius(const atom_table& a, const atom_table* b) const {
  const interaction_criteria& c = criteria_;
  float reach = std::max({c.hbond_distance, c.salt_bridge_distance, c.hydrophobic_distance, c.halogen_distance,
                          c.metal_distance});
  // Covalent and clash pairs reach as far as the largest radii of the elements present.
  float covalent = 0, vdw = 0;
  for (const atom_table* t : {&a, b}) {
    if (t == nullptr) continue;
    for (const gemmi::Atom* atom : t->atoms) {
      const gemmi::El e = atom->element.elem;
      if (!typed_metal(e)) covalent = std::max(covalent, bond_radius(e));
      vdw = std::max(vdw, contact_radius(e));
    }
  }
  return std::max({reach, 2 * covalent + c.covalent_tolerance, 2 * vdw - c.clash_overlap});
}

gemmi::Position interaction_typer::moved(const atom_table& t, std::size_t p, const gemmi::Position& pos) const {
  const std::uint32_t image = t.image[p];
  return image == 0 ? pos : gemmi::Position(t.image_moves[image].apply(pos));
}

gemmi::Position interaction_typer::at(const atom_table& t, std::size_t p) const { return moved(t, p, t.atoms[p]->pos); }

const residue_roles& interaction_typer::roles_of(const atom_table& t, std::size_t p) {
  return book_.of(*t.chain_at[p], *t.residue_at[p]);
}

std::uint32_t interaction_typer::index_in_residue(const atom_table& t, std::size_t p) const {
  return static_cast<std::uint32_t>(t.atoms[p] - t.residue_at[p]->atoms.data());
}

std::uint16_t interaction_typer::roles(const atom_table& t, std::size_t p) {
  return roles_of(t, p).roles[index_in_residue(t, p)];
}

std::vector<gemmi::Position> interaction_typer::heavy_neighbours(const atom_table& t, std::size_t p) {
  const residue_roles& r = roles_of(t, p);
  const gemmi::Residue& residue = *t.residue_at[p];
  const gemmi::Atom& atom = *t.atoms[p];
  std::vector<gemmi::Position> out;
  for (const std::uint32_t j : r.bonded[index_in_residue(t, p)]) out.push_back(moved(t, p, residue.atoms[j].pos));
  // The residues before and after it in its chain: the peptide or phosphodiester bond.
  const gemmi::Chain& chain = *t.chain_at[p];
  const auto at_index = &residue - chain.residues.data();
  for (const auto next : {at_index - 1, at_index + 1}) {
    if (next < 0 || next >= static_cast<long>(chain.residues.size())) continue;
    for (const gemmi::Atom& other : chain.residues[static_cast<std::size_t>(next)].atoms)
      if (!other.is_hydrogen() && within_bond(atom, other, criteria_.covalent_tolerance)) out.push_back(moved(t, p, other.pos));
  }
  return out;
}

bool interaction_typer::hydrogen_bond(const atom_table& t_d, std::size_t d, const atom_table& t_a, std::size_t a,
                                      float& angle_d, float& angle_a) {
  const gemmi::Position donor = at(t_d, d), acceptor = at(t_a, a);
  const residue_roles& r = roles_of(t_d, d);
  angle_d = angle_a = NAN;
  if (r.has_hydrogens) {
    // The file's hydrogens decide: one of the donor's must point at the acceptor.
    const gemmi::Residue& residue = *t_d.residue_at[d];
    double best = -1;
    for (const std::uint32_t h : r.hydrogens[index_in_residue(t_d, d)]) {
      const gemmi::Position hydrogen = moved(t_d, d, residue.atoms[h].pos);
      if (hydrogen.dist(acceptor) > criteria_.hbond_h_distance) continue;
      const double angle = angle_at(donor, hydrogen, acceptor);
      if (angle >= criteria_.hbond_dha_angle) best = std::max(best, angle);
    }
    if (best < 0) return false;
    angle_d = static_cast<float>(best);
    return true;
  }
  double smallest = INFINITY;
  for (const gemmi::Position& x : heavy_neighbours(t_d, d)) smallest = std::min(smallest, angle_at(x, donor, acceptor));
  if (smallest < criteria_.hbond_heavy_angle) return false;
  if (std::isfinite(smallest)) angle_d = static_cast<float>(smallest);
  smallest = INFINITY;
  for (const gemmi::Position& y : heavy_neighbours(t_a, a)) smallest = std::min(smallest, angle_at(donor, acceptor, y));
  if (smallest < criteria_.hbond_heavy_angle) return false;
  if (std::isfinite(smallest)) angle_a = static_cast<float>(smallest);
  return true;
}

bool interaction_typer::halogen_bond(const atom_table& t_x, std::size_t x, const atom_table& t_a, std::size_t a,
                                     float& angle_x, float& angle_y) {
  const gemmi::Position halogen = at(t_x, x), acceptor = at(t_a, a);
  const residue_roles& r = roles_of(t_x, x);
  const gemmi::Residue& residue = *t_x.residue_at[x];
  const float tolerance = criteria_.halogen_tolerance;
  angle_x = angle_y = NAN;
  for (const std::uint32_t c : r.bonded[index_in_residue(t_x, x)]) {
    if (residue.atoms[c].element.elem != gemmi::El::C) continue;
    const double angle = angle_at(moved(t_x, x, residue.atoms[c].pos), halogen, acceptor);
    if (std::fabs(angle - criteria_.halogen_cx_angle) > tolerance) return false;
    angle_x = static_cast<float>(angle);
    break;
  }
  double smallest = INFINITY;
  for (const gemmi::Position& y : heavy_neighbours(t_a, a)) {
    const double angle = angle_at(halogen, acceptor, y);
    if (std::fabs(angle - criteria_.halogen_ay_angle) > tolerance) return false;
    smallest = std::min(smallest, angle);
  }
  if (std::isfinite(smallest)) angle_y = static_cast<float>(smallest);
  return !std::isnan(angle_x);
}

void interaction_typer::add(interaction_type type, const atom_table& t_a, std::size_t a, const atom_table& t_b,
                            std::size_t b, float d, float angle1, float angle2) {
  found_.push_back({type, &t_a, &t_b, static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b), {}, {}, d, angle1,
                    angle2, nullptr, nullptr});
}

void interaction_typer::offer(const atom_table& t_a, std::size_t a, const atom_table& t_b, std::size_t b, float d) {
  const gemmi::Atom& x = *t_a.atoms[a];
  const gemmi::Atom& y = *t_b.atoms[b];
  if (x.is_hydrogen() || y.is_hydrogen()) return;
  const bool same_residue = t_a.residue[a] == t_b.residue[b];
  if (same_residue) return;  // bonds and angles inside a residue are its own shape
  const gemmi::El ex = x.element.elem, ey = y.element.elem;
  const bool metal_x = typed_metal(ex), metal_y = typed_metal(ey);
  const interaction_criteria& c = criteria_;

  // Covalent: a pair that is only that. (The backbone bond of consecutive residues has no roles to type and is
  // never a clash.)
  if (covalent_pair(t_a, a, t_b, b, d, c.covalent_tolerance)) {
    add(interaction_type::covalent, t_a, a, t_b, b, d);
    linked_residues_.insert(residue_pair_key(t_a.residue[a], t_b.residue[b]));
    return;
  }
  const std::uint16_t ra = roles(t_a, a), rb = roles(t_b, b);
  bool bonded_kind = false;  // a hydrogen bond, salt bridge or metal pair: not a clash
  if (d <= c.metal_distance && ((metal_x && coordinating(ey)) || (metal_y && coordinating(ex)))) {
    add(interaction_type::metal, t_a, a, t_b, b, d);
    bonded_kind = true;
  }
  if (d <= c.hbond_distance) {
    float angle_d, angle_a;
    if ((ra & role_donor) && (rb & role_acceptor) && hydrogen_bond(t_a, a, t_b, b, angle_d, angle_a)) {
      add(interaction_type::hydrogen_bond, t_a, a, t_b, b, d, angle_d, angle_a);
      bonded_kind = true;
    } else if ((rb & role_donor) && (ra & role_acceptor) && hydrogen_bond(t_b, b, t_a, a, angle_d, angle_a)) {
      add(interaction_type::hydrogen_bond, t_a, a, t_b, b, d, angle_a, angle_d);
      bonded_kind = true;
    }
  }
  if (d <= c.salt_bridge_distance &&
      (((ra & role_positive) && (rb & role_negative)) || ((ra & role_negative) && (rb & role_positive)))) {
    const std::int32_t ga = roles_of(t_a, a).group[index_in_residue(t_a, a)];
    const std::int32_t gb = roles_of(t_b, b).group[index_in_residue(t_b, b)];
    if (ga >= 0 && gb >= 0) {
      bonded_kind = true;
      // A pair of groups is one key whichever atom the search offers first.
      std::pair<std::uint64_t, std::uint64_t> key{static_cast<std::uint64_t>(t_a.residue[a]) << 32 | static_cast<std::uint32_t>(ga),
                                                  static_cast<std::uint64_t>(t_b.residue[b]) << 32 | static_cast<std::uint32_t>(gb)};
      if (key.second < key.first) std::swap(key.first, key.second);
      // Kept as offered (the first side's atom first); ties go to the atoms first in the file.
      const salt candidate{&t_a, &t_b, static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b), d};
      const auto atoms = [](const salt& x) { return std::minmax(x.a, x.b); };
      const auto placed = salt_index_.try_emplace(key, salts_.size());
      if (placed.second) {
        salts_.push_back(candidate);
      } else {
        salt& best = salts_[placed.first->second];
        if (d < best.distance || (d == best.distance && atoms(candidate) < atoms(best))) best = candidate;
      }
    }
  }
  if (d <= c.hydrophobic_distance && (ra & role_hydrophobic) && (rb & role_hydrophobic))
    add(interaction_type::hydrophobic, t_a, a, t_b, b, d);
  if (d <= c.halogen_distance) {
    float angle_x, angle_y;
    if ((ra & role_halogen) && (rb & role_acceptor) && halogen_bond(t_a, a, t_b, b, angle_x, angle_y))
      add(interaction_type::halogen_bond, t_a, a, t_b, b, d, angle_x, angle_y);
    else if ((rb & role_halogen) && (ra & role_acceptor) && halogen_bond(t_b, b, t_a, a, angle_x, angle_y))
      add(interaction_type::halogen_bond, t_a, a, t_b, b, d, angle_y, angle_x);
  }
  if (!bonded_kind && !consecutive(t_a, a, t_b, b) && contact_radius(ex) + contact_radius(ey) - d >= c.clash_overlap)
    clashes_.push_back({interaction_type::clash, &t_a, &t_b, static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b),
                        {}, {}, d, NAN, NAN, nullptr, nullptr});
}

void interaction_typer::rings_and_cations(const atom_table& a, const atom_table* b, const pair_filter& keep) {
  // Each side's rings and cations, once per residue (and image), placed where the side's atoms are.
  struct side_places {
    std::vector<ring_place> rings, cations;
  };
  const auto collect = [&](const atom_table& t) {
    side_places places;
    std::unordered_set<std::uint32_t> seen;  // residue numbers of the table
    for (std::uint32_t p = 0; p < t.size(); ++p) {
      if (!seen.insert(t.residue[p]).second) continue;
      const residue_roles& r = roles_of(t, p);
      const gemmi::Residue& residue = *t.residue_at[p];
      for (const auto& ring : r.rings) {
        ring_place place{p, gemmi::Position(0, 0, 0), gemmi::Position(0, 0, 0), joined_names(residue, ring)};
        std::vector<gemmi::Position> points;
        for (const std::uint32_t i : ring) points.push_back(moved(t, p, residue.atoms[i].pos));
        for (const gemmi::Position& q : points) place.centre += q;
        place.centre /= static_cast<double>(points.size());
        for (std::size_t k = 0; k < points.size(); ++k)
          place.normal += gemmi::Position((points[k] - place.centre).cross(points[(k + 1) % points.size()] - place.centre));
        place.normal = gemmi::Position(place.normal.normalized());
        places.rings.push_back(std::move(place));
      }
      for (const charged_group& g : r.groups)
        if (g.sign > 0 && g.centre >= 0)
          places.cations.push_back({p, moved(t, p, residue.atoms[static_cast<std::size_t>(g.centre)].pos),
                                    gemmi::Position(0, 0, 0), joined_names(residue, g.atoms)});
    }
    return places;
  };
  const side_places first = collect(a);
  const side_places second = b != nullptr ? collect(*b) : side_places();
  const atom_table& t_b = b != nullptr ? *b : a;
  const side_places& other = b != nullptr ? second : first;
  const auto points = [](const std::vector<ring_place>& places) {
    point_set set;
    for (const ring_place& place : places) {
      set.labels.emplace_back();
      set.x.push_back(static_cast<float>(place.centre.x));
      set.y.push_back(static_cast<float>(place.centre.y));
      set.z.push_back(static_cast<float>(place.centre.z));
    }
    return set;
  };
  // Stacking.
  if (!first.rings.empty() && !other.rings.empty()) {
    const auto stack = [&](std::int32_t i, std::int32_t j, float) {
      const ring_place& x = first.rings[static_cast<std::size_t>(i)];
      const ring_place& y = other.rings[static_cast<std::size_t>(j)];
      if (!keep(a, x.p, t_b, y.p)) return;
      const gemmi::Vec3 apart = y.centre - x.centre;
      const double distance = apart.length();
      if (distance > criteria_.stacking_distance) return;
      double angle = std::acos(std::min(1.0, std::fabs(x.normal.dot(y.normal)))) * degrees;
      const auto offset = [&](const gemmi::Position& normal) {
        const double along = apart.dot(normal);
        return std::sqrt(std::max(0.0, apart.length_sq() - along * along));
      };
      const double off = std::min(offset(x.normal), offset(y.normal));
      interaction_type type;
      if (angle <= criteria_.stacking_parallel_angle && off <= criteria_.stacking_offset)
        type = interaction_type::stacking_parallel;
      else if (angle >= criteria_.stacking_t_angle)
        type = interaction_type::stacking_t_shaped;
      else
        return;
      found_.push_back({type, &a, &t_b, x.p, y.p, x.names, y.names, static_cast<float>(distance), static_cast<float>(angle),
                        NAN, nullptr, nullptr});
    };
    const cell_list grid = b == nullptr ? cell_list::for_self_points(criteria_.stacking_distance, points(first.rings))
                                        : cell_list::for_points(criteria_.stacking_distance, points(first.rings), points(other.rings));
    if (b == nullptr) grid.for_each_self_contact(stack);
    else grid.for_each_contact(stack);
  }
  // Cation-pi, from either side's cations to the other's rings.
  const auto cation_pi = [&](const std::vector<ring_place>& rings, const atom_table& t_rings,
                             const std::vector<ring_place>& cations, const atom_table& t_cations) {
    if (rings.empty() || cations.empty()) return;
    const cell_list grid = cell_list::for_points(criteria_.cation_pi_distance, points(rings), points(cations));
    grid.for_each_contact([&](std::int32_t i, std::int32_t j, float) {
      const ring_place& ring = rings[static_cast<std::size_t>(i)];
      const ring_place& cation = cations[static_cast<std::size_t>(j)];
      if (t_rings.residue[ring.p] == t_cations.residue[cation.p] || !keep(t_rings, ring.p, t_cations, cation.p)) return;
      const gemmi::Vec3 apart = cation.centre - ring.centre;
      const double distance = apart.length();
      const double along = apart.dot(ring.normal);
      const double offset = std::sqrt(std::max(0.0, apart.length_sq() - along * along));
      if (distance > criteria_.cation_pi_distance || offset > criteria_.cation_pi_offset) return;
      const float angle = static_cast<float>(std::acos(std::min(1.0, std::fabs(along) / distance)) * degrees);
      // The first side's end first.
      if (&t_rings == &a)
        found_.push_back({interaction_type::cation_pi, &a, &t_cations, ring.p, cation.p, ring.names, cation.names,
                          static_cast<float>(distance), angle, NAN, nullptr, nullptr});
      else
        found_.push_back({interaction_type::cation_pi, &t_cations, &t_rings, cation.p, ring.p, cation.names, ring.names,
                          static_cast<float>(distance), angle, NAN, nullptr, nullptr});
    });
  };
  cation_pi(first.rings, a, other.cations, t_b);
  if (b != nullptr) cation_pi(other.rings, t_b, first.cations, a);
}

void interaction_typer::water_bridges(const atom_table& a, const atom_table* b, const pair_filter& keep) {
  // The model's waters (their oxygens, one conformer), each with its hydrogen-bond partners on either side.
  struct water {
    const gemmi::Chain* chain;
    const gemmi::Residue* residue;
    const gemmi::Atom* oxygen;
  };
  std::vector<water> waters;
  for (const gemmi::Chain& chain : model_.chains)
    for (const gemmi::Residue& residue : chain.residues) {
      if (!residue.is_water()) continue;
      for (const gemmi::Atom& atom : residue.atoms)
        if (atom.element.elem == gemmi::El::O) {
          waters.push_back({&chain, &residue, &atom});
          break;
        }
    }
  if (waters.empty()) return;
  point_set water_points;
  for (const water& w : waters) {
    water_points.labels.emplace_back();
    water_points.x.push_back(static_cast<float>(w.oxygen->pos.x));
    water_points.y.push_back(static_cast<float>(w.oxygen->pos.y));
    water_points.z.push_back(static_cast<float>(w.oxygen->pos.z));
  }
  // A partner makes a hydrogen bond with the water by the rule of hydrogen bonds (the water's hydrogens, if the
  // file has them, are not looked at; it has no heavy neighbour to bar an angle).
  const auto partners = [&](const atom_table& t) {
    std::vector<std::vector<std::uint32_t>> of(waters.size());
    if (t.size() == 0) return of;
    const cell_list grid = cell_list::for_points(criteria_.hbond_distance, water_points, t.points());
    grid.for_each_contact([&](std::int32_t w, std::int32_t p, float) {
      const auto q = static_cast<std::size_t>(p);
      if (t.residue_at[q] == waters[static_cast<std::size_t>(w)].residue || t.atoms[q]->is_hydrogen()) return;
      if (t.residue_at[q]->is_water()) return;
      const std::uint16_t r = roles(t, q);
      if (!(r & (role_donor | role_acceptor))) return;
      const gemmi::Position partner = at(t, q), oxygen = waters[static_cast<std::size_t>(w)].oxygen->pos;
      const residue_roles& own = roles_of(t, q);
      bool bonded = false;
      if (own.has_hydrogens && (r & role_donor)) {
        const gemmi::Residue& residue = *t.residue_at[q];
        for (const std::uint32_t h : own.hydrogens[index_in_residue(t, q)]) {
          const gemmi::Position hydrogen = moved(t, q, residue.atoms[h].pos);
          if (hydrogen.dist(oxygen) <= criteria_.hbond_h_distance && angle_at(partner, hydrogen, oxygen) >= criteria_.hbond_dha_angle)
            bonded = true;
        }
      }
      if (!bonded && (!own.has_hydrogens || (r & role_acceptor))) {
        bonded = true;
        for (const gemmi::Position& x : heavy_neighbours(t, q))
          if (angle_at(x, partner, oxygen) < criteria_.hbond_heavy_angle) bonded = false;
      }
      if (bonded) of[static_cast<std::size_t>(w)].push_back(static_cast<std::uint32_t>(q));
    });
    return of;
  };
  const std::vector<std::vector<std::uint32_t>> first = partners(a);
  const std::vector<std::vector<std::uint32_t>> second = b != nullptr ? partners(*b) : first;
  const atom_table& t_b = b != nullptr ? *b : a;
  for (std::size_t w = 0; w < waters.size(); ++w)
    for (const std::uint32_t p : first[w])
      for (const std::uint32_t q : second[w]) {
        if (b == nullptr && q <= p) continue;
        if (a.residue[p] == t_b.residue[q] || !keep(a, p, t_b, q)) continue;
        const float d = static_cast<float>(at(a, p).dist(at(t_b, q)));
        found_.push_back({interaction_type::water_bridge, &a, &t_b, p, q, {}, {}, d, NAN, NAN, waters[w].chain, waters[w].residue});
      }
}

void interaction_typer::add_groups(const atom_table& a, const atom_table* b, const pair_filter& keep, bool waters) {
  rings_and_cations(a, b, keep);
  if (waters) water_bridges(a, b, keep);
}

std::vector<typed_interaction> interaction_typer::take() {
  for (const salt& s : salts_)
    found_.push_back({interaction_type::salt_bridge, s.t_a, s.t_b, s.a, s.b, {}, {}, s.distance, NAN, NAN, nullptr, nullptr});
  for (typed_interaction& clash : clashes_)
    if (linked_residues_.count(residue_pair_key(clash.t_a->residue[clash.a], clash.t_b->residue[clash.b])) == 0)
      found_.push_back(std::move(clash));
  std::vector<typed_interaction> out;
  out.swap(found_);
  salts_.clear();
  salt_index_.clear();
  clashes_.clear();
  linked_residues_.clear();
  return out;
}
