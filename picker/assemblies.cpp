#include "assemblies.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include <gemmi/assembly.hpp>

#include "error.hpp"

namespace {

// The atoms that assembly id takes from model, found as gemmi's builder finds them: a generator takes the
// chains it names (PDB) or the residues of the subchains it names (mmCIF), once per operator.
std::size_t assembly_atoms(const gemmi::Assembly& assembly, const gemmi::Model& model) {
  std::size_t atoms = 0;
  for (const gemmi::Assembly::Gen& gen : assembly.generators) {
    const bool all_chains = !gen.chains.empty() && gen.chains[0] == "(all)";
    for (const gemmi::Chain& chain : model.chains) {
      const bool whole = all_chains || gemmi::in_vector(chain.name, gen.chains);
      for (const gemmi::Residue& residue : chain.residues)
        if (whole || gemmi::in_vector(residue.subchain, gen.subchains))
          atoms += residue.atoms.size() * gen.operators.size();
    }
  }
  return atoms;
}

// The cells of the grid gemmi lays over the built model to merge atoms that copies put on one place: its box
// (with a margin of 6 A) in 4 A steps; infinite when a coordinate or matrix is not a number, or a copy lies
// beyond 100,000 A of the origin.
double merge_grid_cells(const gemmi::Assembly& assembly, const gemmi::Model& model) {
  // A box ignores what is not a number, so such coordinates and matrices are caught here.
  gemmi::Box<gemmi::Position> box;
  for (const gemmi::Chain& chain : model.chains)
    for (const gemmi::Residue& residue : chain.residues)
      for (const gemmi::Atom& atom : residue.atoms) {
        if (!std::isfinite(atom.pos.x) || !std::isfinite(atom.pos.y) || !std::isfinite(atom.pos.z)) return HUGE_VAL;
        box.extend(atom.pos);
      }
  gemmi::Box<gemmi::Position> built;
  for (const gemmi::Assembly::Gen& gen : assembly.generators)
    for (const gemmi::Assembly::Operator& op : gen.operators) {
      const gemmi::Transform& t = op.transform;
      for (int i = 0; i < 3; ++i)
        if (!std::isfinite(t.vec.at(i)) || !std::isfinite(t.mat[i][0]) || !std::isfinite(t.mat[i][1]) ||
            !std::isfinite(t.mat[i][2]))
          return HUGE_VAL;
      for (int corner = 0; corner < 8; ++corner) {
        const gemmi::Position p((corner & 1 ? box.maximum : box.minimum).x, (corner & 2 ? box.maximum : box.minimum).y,
                                (corner & 4 ? box.maximum : box.minimum).z);
        built.extend(gemmi::Position(op.transform.apply(p)));
      }
    }
  // Far from the origin the grid's own arithmetic fails (gemmi places points by their coordinates, not from the
  // box's corner), however small the box.
  for (const gemmi::Position& corner : {built.minimum, built.maximum})
    for (const double v : {corner.x, corner.y, corner.z})
      if (!(std::fabs(v) <= 1e5)) return HUGE_VAL;
  const gemmi::Position size = built.get_size();
  double cells = 1;
  for (const double length : {size.x, size.y, size.z}) {
    if (!std::isfinite(length)) return HUGE_VAL;
    cells *= std::max(1.0, std::floor((length + 12) / 4));
  }
  return cells;
}

}  // namespace

std::string missing_assembly(const gemmi::Structure& structure, const std::string& id) {
  std::string declared;
  for (const gemmi::Assembly& assembly : structure.assemblies)
    if (assembly.name == id) return "";
  for (const gemmi::Assembly& assembly : structure.assemblies)
    declared += (declared.empty() ? "" : ", ") + printable(assembly.name, 40);
  return "no assembly " + quoted(id) + " in " + structure.name +
         (declared.empty() ? "; it declares none" : "; it declares " + declared);
}

std::size_t build_assembly(gemmi::Structure& structure, const std::string& id) {
  const std::string missing = missing_assembly(structure, id);
  if (!missing.empty()) fail(missing);
  // gemmi's builder cannot take a model that ends up empty (its search box would have no size).
  for (const gemmi::Model& model : structure.models)
    if (assembly_atoms(*structure.find_assembly(id), model) == 0)
      fail("assembly " + quoted(id) + " of " + structure.name + " holds no atom of model " + printable(model.name, 20) +
           ": its generators name no chain or subchain there");
  // Past this the merge grid alone would take most of a gigabyte (a box some 1,300 A across, beyond the largest
  // capsids); a file's numbers gone wrong come here too.
  constexpr double max_cells = 1 << 25;
  for (const gemmi::Model& model : structure.models) {
    const double cells = merge_grid_cells(*structure.find_assembly(id), model);
    if (!(cells <= max_cells))
      fail("assembly " + quoted(id) + " of " + structure.name +
           " is too large to build here (a box of more than 33 million 4 A cells), or its matrices are wrong");
  }
  // gemmi keeps once an atom whose copy of the same name lies within 0.2 A: counted as the atoms the copies
  // would hold less those built.
  const std::size_t copied = assembly_atoms(*structure.find_assembly(id), structure.models.front());
  try {
    gemmi::transform_to_assembly(structure, id, gemmi::HowToNameCopiedChain::AddNumber, nullptr);
  } catch (const std::runtime_error& e) {
    fail("assembly " + quoted(id) + " of " + structure.name + ": " + printable(e.what(), 120));
  }
  std::size_t built = 0;
  for (const gemmi::Chain& chain : structure.models.front().chains)
    for (const gemmi::Residue& residue : chain.residues) built += residue.atoms.size();
  return (copied > built ? copied - built : 0) + merge_copies_on_axes(structure);
}

std::size_t merge_copies_on_axes(gemmi::Structure& structure) {
  constexpr double same_place = 0.8;  // as an atom on a special position meets its own crystal image
  std::size_t merged = 0;
  for (gemmi::Model& model : structure.models) {
    // Earlier atoms by residue name and number and by element (not by atom name: a sulfate on a twofold axis
    // maps O2 onto O3): where each is, and in which chain.
    struct placed {
      gemmi::Position at;
      std::size_t chain;
    };
    std::unordered_map<std::string, std::vector<placed>> earlier;
    std::string key;
    for (std::size_t c = 0; c < model.chains.size(); ++c) {
      for (gemmi::Residue& residue : model.chains[c].residues) {
        const auto kept_end = std::remove_if(residue.atoms.begin(), residue.atoms.end(), [&](const gemmi::Atom& atom) {
          key.assign(residue.name).append(1, '\t').append(std::to_string(*residue.seqid.num));
          key.append(1, residue.seqid.icode).append(1, '\t').append(atom.element.name());
          std::vector<placed>& same = earlier[key];
          for (const placed& p : same)
            if (p.chain != c && p.at.dist(atom.pos) < same_place) return ++merged, true;
          same.push_back({atom.pos, c});
          return false;
        });
        residue.atoms.erase(kept_end, residue.atoms.end());
      }
      auto& residues = model.chains[c].residues;
      residues.erase(std::remove_if(residues.begin(), residues.end(), [](const gemmi::Residue& r) { return r.atoms.empty(); }),
                     residues.end());
    }
  }
  return merged;
}

namespace {

// A PDB file gives the state as a word ("DIMERIC", "24-MERIC") and no count; an mmCIF file gives both, the
// word in lower case. The PDB word is told as the mmCIF file of the same entry tells it.
int count_of_state(const std::string& details) {
  static const char* const words[] = {"monomeric", "dimeric",   "trimeric",  "tetrameric", "pentameric", "hexameric",
                                      "heptameric", "octameric", "nonameric", "decameric",  "undecameric", "dodecameric"};
  for (int n = 0; n < 12; ++n)
    if (details == words[n]) return n + 1;
  const std::size_t dash = details.find("-meric");
  if (dash != std::string::npos && dash > 0 && dash + 6 == details.size() &&
      details.find_first_not_of("0123456789") == dash && dash < 6)
    return std::stoi(details.substr(0, dash));
  return 0;
}

}  // namespace

std::string assembly_table(const gemmi::Structure& structure) {
  std::string table;
  for (const gemmi::Assembly& assembly : structure.assemblies) {
    std::string details = assembly.oligomeric_details;
    int count = assembly.oligomeric_count;
    if (count == 0) {
      for (char& c : details) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      count = count_of_state(details);
    }
    // The atoms that building it keeps once (an ion on an axis); empty when it cannot be built.
    std::string merged;
    try {
      gemmi::Structure built = structure;
      merged = std::to_string(build_assembly(built, assembly.name));
    } catch (const run_error&) {
    }
    table += printable(assembly.name, 40) + '\t' + std::to_string(count) + '\t' + printable(details, 200) + '\t' + merged +
             '\n';
  }
  return table;
}
