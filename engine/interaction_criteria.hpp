// What makes a contact a hydrogen bond, a salt bridge, a stacking and the rest: the thresholds (defaults in
// engine/data/interaction_criteria.tsv, each changed by name) and the radii of the elements.
#pragma once

#include <string>
#include <vector>

#include <gemmi/elem.hpp>

struct interaction_criteria {
  float hbond_distance, hbond_h_distance, hbond_dha_angle, hbond_heavy_angle;
  float salt_bridge_distance, his_charged;
  float hydrophobic_distance;
  float stacking_distance, stacking_parallel_angle, stacking_offset, stacking_t_angle;
  float cation_pi_distance, cation_pi_offset;
  float halogen_distance, halogen_cx_angle, halogen_ay_angle, halogen_tolerance;
  float metal_distance;
  float covalent_tolerance, clash_overlap, ring_planarity;

  // The defaults, from the data file.
  interaction_criteria();
  // Sets one by name; throws usage_error for a name that is none of them or a value that is not a finite number
  // >= 0 ("unknown criterion 'x'").
  void set(const std::string& name, const std::string& value);
  // "NAME=VALUE", as the command line gives it.
  void set(const std::string& assignment);
};

// Covalent (Cordero) and van der Waals (Bondi, H 1.1) radii by element, from the data file; gemmi's for the rest.
float bond_radius(gemmi::El element);
float contact_radius(gemmi::El element);
// The metals whose coordination is typed.
bool typed_metal(gemmi::El element);
