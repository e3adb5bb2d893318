#include "side_areas.hpp"

extern "C" {
#include <freesasa.h>
}

#include "error.hpp"
#include "number_text.hpp"
#include "point_list.hpp"

// FreeSASA's JSON and XML writers stood in for. Its library links them in beside freesasa_tree_export, which
// nothing here calls; the real ones would load libxml2 (with ICU) and json-c at every start of every program.
extern "C" {
int freesasa_write_json(FILE*, freesasa_node*, int) { return FREESASA_FAIL; }
int freesasa_write_xml(FILE*, freesasa_node*, int) { return FREESASA_FAIL; }
}

const char* const areas_header = "side\tchain\tnumber\ticode\tresname\tarea_alone\tarea_buried\n";

double area_radii::of(const gemmi::Residue& residue, const gemmi::Atom& atom) {
  // FreeSASA reads the element from a PDB-style padded name (" CA " is carbon, "CA  " calcium).
  const std::string padded = atom.padded_name();
  std::string key = residue.name;
  (key += '\t') += padded;
  const auto found = known_.find(key);
  if (found != known_.end()) return found->second;
  // One atom through FreeSASA's own path for a structure: its classifier, and its element guess after it.
  freesasa_set_verbosity(FREESASA_V_SILENT);
  freesasa_structure* one = freesasa_structure_new();
  if (one == nullptr) fail("out of memory");
  double radius = 0;
  if (freesasa_structure_add_atom_wopt(one, padded.c_str(), residue.name.c_str(), "   1", 'A', 0, 0, 0, nullptr,
                                       FREESASA_INCLUDE_HETATM) == FREESASA_SUCCESS &&
      freesasa_structure_n(one) == 1)
    radius = freesasa_structure_radius(one)[0];
  freesasa_structure_free(one);
  if (!(radius > 0)) radius = 0;
  known_.emplace(std::move(key), radius);
  return radius;
}

bool counts_for_area(const gemmi::Residue& residue, const gemmi::Atom& atom, const area_rules& rules) {
  if (atom.is_hydrogen() || residue.is_water()) return false;
  return rules.all_atoms || residue.het_flag != 'H';
}

void side_areas::add(const atom_table& table, std::size_t atom, std::uint32_t side) {
  const gemmi::Atom& a = *table.atoms[atom];
  const gemmi::Residue& r = *table.residue_at[atom];
  if (!counts_for_area(r, a, rules_)) return;
  const auto [at, fresh] = residue_index_.try_emplace(&r, static_cast<std::uint32_t>(residues_.size()));
  if (fresh) {
    residue_areas row;
    row.residue = table_residue{table.chain_at[atom], &r, "", table.parts[atom].id};
    row.side = side;
    residues_.push_back(std::move(row));
  }
  atoms_.add(a.pos.x, a.pos.y, a.pos.z, radii_.of(r, a), side);
  residue_of_.push_back(at->second);
}

void side_areas::compute() {
  const surface_areas surface(atoms_, rules_.probe, rules_.points);
  for (std::size_t i = 0; i < atoms_.size(); ++i) {
    residue_areas& r = residues_[residue_of_[i]];
    r.alone += surface.alone(i);
    for (const auto& [other, area] : surface.buried(i)) {
      r.buried[other] += area;
      side_buried_[(std::uint64_t{atoms_.group[i]} << 32) | other] += area;
    }
  }
}

double side_areas::buried(std::uint32_t side, std::uint32_t other) const {
  const auto found = side_buried_.find((std::uint64_t{side} << 32) | other);
  return found == side_buried_.end() ? 0 : found->second;
}

std::vector<residue_area_row> side_areas::rows(std::uint32_t first, std::uint32_t second) const {
  std::vector<residue_area_row> rows;
  for (int k = 0; k < (first == second ? 1 : 2); ++k) {
    const std::uint32_t side = k == 0 ? first : second, other = k == 0 ? second : first;
    for (const residue_areas& r : residues_) {
      if (r.side != side) continue;
      const auto found = r.buried.find(other);
      rows.push_back({k + 1, r.residue, r.alone, side == other || found == r.buried.end() ? 0 : found->second});
    }
  }
  return rows;
}

std::string areas_text(const std::vector<residue_area_row>& rows) {
  std::string out = areas_header;
  char text[float_text_room];
  for (const residue_area_row& r : rows) {
    out += std::to_string(r.side);
    out += '\t';
    append_residue_fields(out, *r.residue.chain, *r.residue.residue);
    (out += '\t').append(text, write_float(text, static_cast<float>(r.alone)));
    (out += '\t').append(text, write_float(text, static_cast<float>(r.buried)));
    out += '\n';
  }
  return out;
}
