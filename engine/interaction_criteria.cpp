#include "interaction_criteria.hpp"

#include <array>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "data_file.hpp"
#include "error.hpp"

namespace {

using member = float interaction_criteria::*;
const std::pair<const char*, member> criteria_names[] = {
    {"hbond_distance", &interaction_criteria::hbond_distance},
    {"hbond_h_distance", &interaction_criteria::hbond_h_distance},
    {"hbond_dha_angle", &interaction_criteria::hbond_dha_angle},
    {"hbond_heavy_angle", &interaction_criteria::hbond_heavy_angle},
    {"salt_bridge_distance", &interaction_criteria::salt_bridge_distance},
    {"his_charged", &interaction_criteria::his_charged},
    {"hydrophobic_distance", &interaction_criteria::hydrophobic_distance},
    {"stacking_distance", &interaction_criteria::stacking_distance},
    {"stacking_parallel_angle", &interaction_criteria::stacking_parallel_angle},
    {"stacking_offset", &interaction_criteria::stacking_offset},
    {"stacking_t_angle", &interaction_criteria::stacking_t_angle},
    {"cation_pi_distance", &interaction_criteria::cation_pi_distance},
    {"cation_pi_offset", &interaction_criteria::cation_pi_offset},
    {"halogen_distance", &interaction_criteria::halogen_distance},
    {"halogen_cx_angle", &interaction_criteria::halogen_cx_angle},
    {"halogen_ay_angle", &interaction_criteria::halogen_ay_angle},
    {"halogen_tolerance", &interaction_criteria::halogen_tolerance},
    {"metal_distance", &interaction_criteria::metal_distance},
    {"covalent_tolerance", &interaction_criteria::covalent_tolerance},
    {"clash_overlap", &interaction_criteria::clash_overlap},
    {"ring_planarity", &interaction_criteria::ring_planarity},
};

struct radii {
  std::array<float, 128> covalent{}, vdw{};
  radii() {
    for (std::size_t e = 0; e < covalent.size(); ++e) covalent[e] = vdw[e] = -1;
    for_each_data_line(element_radii_text, [&](const std::vector<std::string_view>& line) {
      const auto e = static_cast<std::size_t>(gemmi::find_element(std::string(line.at(0)).c_str()));
      covalent[e] = std::strtof(std::string(line.at(1)).c_str(), nullptr);
      if (line.at(2) != "-") vdw[e] = std::strtof(std::string(line.at(2)).c_str(), nullptr);
    });
  }
};

const radii& element_radii() {
  static const radii table;
  return table;
}

}  // namespace

interaction_criteria::interaction_criteria() {
  for_each_data_line(interaction_criteria_text, [&](const std::vector<std::string_view>& line) {
    set(std::string(line.at(0)), std::string(line.at(1)));
  });
}

void interaction_criteria::set(const std::string& name, const std::string& value) {
  for (const auto& [known, field] : criteria_names) {
    if (name != known) continue;
    char* end = nullptr;
    const float v = std::strtof(value.c_str(), &end);
    if (value.empty() || *end != '\0' || !std::isfinite(v) || v < 0)
      throw usage_error("criterion " + name + " takes a number >= 0, not " + quoted(value));
    this->*field = v;
    return;
  }
  throw usage_error("unknown criterion " + quoted(name) + " (see --help)");
}

void interaction_criteria::set(const std::string& assignment) {
  const std::size_t equals = assignment.find('=');
  if (equals == std::string::npos) throw usage_error("--criterion takes NAME=VALUE, not " + quoted(assignment));
  set(assignment.substr(0, equals), assignment.substr(equals + 1));
}

float bond_radius(gemmi::El element) {
  const float r = element_radii().covalent[static_cast<std::size_t>(element)];
  return r >= 0 ? r : static_cast<float>(gemmi::Element(element).covalent_r());
}

float contact_radius(gemmi::El element) {
  const float r = element_radii().vdw[static_cast<std::size_t>(element)];
  return r >= 0 ? r : static_cast<float>(gemmi::Element(element).vdw_r());
}

bool typed_metal(gemmi::El e) {
  using gemmi::El;
  switch (e) {
    case El::Li: case El::Na: case El::K: case El::Mg: case El::Ca: case El::Mn: case El::Fe: case El::Co:
    case El::Ni: case El::Cu: case El::Zn: case El::Cd: case El::Hg: case El::Mo: case El::W: case El::Pt:
      return true;
    default:
      return false;
  }
}
