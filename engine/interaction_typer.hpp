// What kind of interaction each close pair is: the search offers every atom pair within radius(), and the typer
// adds the pairs of rings, cations and waters from the same tables when it finishes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <gemmi/model.hpp>

#include "atom_roles.hpp"
#include "atom_table.hpp"
#include "interaction_criteria.hpp"

// In the order rows of one residue pair are written.
enum class interaction_type : std::uint8_t {
  hydrogen_bond,
  salt_bridge,
  hydrophobic,
  stacking_parallel,
  stacking_t_shaped,
  cation_pi,
  halogen_bond,
  metal,
  water_bridge,
  covalent,
  clash,
};
constexpr std::size_t interaction_type_count = 11;
const char* interaction_name(interaction_type type);

// One interaction between an atom (or ring, or group) of table a and one of table b. a and b are atoms of the
// tables (for a ring, one of its atoms), so that residues and images are named as for contacts.
struct typed_interaction {
  interaction_type type;
  const atom_table* t_a;
  const atom_table* t_b;
  std::uint32_t a, b;
  std::string names_a, names_b;  // the ring's or group's atoms, comma-separated; "" for the atom's own name
  float distance;
  float angle1 = NAN, angle2 = NAN;  // NaN where the type has none
  const gemmi::Chain* via_chain = nullptr;
  const gemmi::Residue* via = nullptr;  // a water bridge's water

  // The same interaction seen from b's side: a hydrogen or halogen bond's angles belong to their ends.
  void swap_sides() {
    std::swap(t_a, t_b), std::swap(a, b), std::swap(names_a, names_b);
    if (type == interaction_type::hydrogen_bond || type == interaction_type::halogen_bond) std::swap(angle1, angle2);
  }
};

// Whether two atoms of different residues are covalently bonded by distance (within the sum of their covalent
// radii plus tolerance), leaving out a metal's bonds and the peptide or phosphodiester bond of consecutive
// residues of one chain.
bool covalent_pair(const atom_table& t_a, std::size_t a, const atom_table& t_b, std::size_t b, float d, float tolerance);

class interaction_typer {
 public:
  // Whether a pair of tables' atoms may interact (the scan's rules, and sides told apart).
  using pair_filter = std::function<bool(const atom_table&, std::size_t, const atom_table&, std::size_t)>;
  // waters: the model's waters bridge the two sides (the scan keeps waters).
  interaction_typer(const interaction_criteria& criteria, const gemmi::Model& model);

  // The longest distance at which these tables' atom pairs can be typed.
  float radius(const atom_table& a, const atom_table* b) const;
  // An atom pair the search found within radius() that the rules keep.
  void offer(const atom_table& t_a, std::size_t a, const atom_table& t_b, std::size_t b, float d);
  // Offers every pair of the tables (b null: a against itself) within reach (their radius()) that keep lets
  // through: for a contact search that does not reach that far.
  void search(const atom_table& a, const atom_table* b, float reach, const pair_filter& keep);
  // Stacking and cation-pi between the tables' rings and cations, and with waters the water bridges between
  // them. b null: table a against itself.
  void add_groups(const atom_table& a, const atom_table* b, const pair_filter& keep, bool waters);
  // Everything found, in no order: the offered pairs' types, one salt bridge per pair of groups, the groups'.
  std::vector<typed_interaction> take();

 private:
  gemmi::Position at(const atom_table& t, std::size_t p) const;
  gemmi::Position moved(const atom_table& t, std::size_t p, const gemmi::Position& pos) const;
  const residue_roles& roles_of(const atom_table& t, std::size_t p);
  std::uint32_t index_in_residue(const atom_table& t, std::size_t p) const;
  std::uint16_t roles(const atom_table& t, std::size_t p);
  std::vector<gemmi::Position> heavy_neighbours(const atom_table& t, std::size_t p);
  bool hydrogen_bond(const atom_table& t_d, std::size_t d, const atom_table& t_a, std::size_t a, float& angle_d,
                     float& angle_a);
  bool halogen_bond(const atom_table& t_x, std::size_t x, const atom_table& t_a, std::size_t a, float& angle_x,
                    float& angle_y);
  void add(interaction_type type, const atom_table& t_a, std::size_t a, const atom_table& t_b, std::size_t b,
           float d, float angle1 = NAN, float angle2 = NAN);
  void rings_and_cations(const atom_table& a, const atom_table* b, const pair_filter& keep);
  void water_bridges(const atom_table& a, const atom_table* b, const pair_filter& keep);

  const interaction_criteria& criteria_;
  const gemmi::Model& model_;
  role_book book_;
  std::vector<typed_interaction> found_;
  // Salt bridges: the closest atom pair of each pair of groups (a group: residue number in the tables, group).
  struct salt {
    const atom_table *t_a, *t_b;
    std::uint32_t a, b;
    float distance;
  };
  struct group_pair_hash {
    std::size_t operator()(const std::pair<std::uint64_t, std::uint64_t>& k) const {
      return std::hash<std::uint64_t>()(k.first * 0x9E3779B97F4A7C15ull ^ k.second);
    }
  };
  std::unordered_map<std::pair<std::uint64_t, std::uint64_t>, std::size_t, group_pair_hash> salt_index_;
  std::vector<salt> salts_;  // in the order first found
  // Clash candidates wait until every covalent pair is known: residues bonded to each other are not checked.
  std::vector<typed_interaction> clashes_;
  std::unordered_set<std::uint64_t> linked_residues_;
};
