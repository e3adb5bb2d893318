#include "scan.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <tuple>
#include <unordered_set>

#include <gemmi/polyheur.hpp>

#include "atom_table.hpp"
#include "cell_list.hpp"
#include "contact_map.hpp"
#include "covalent_links.hpp"
#include "crystal_images.hpp"
#include "error.hpp"
#include "grouping.hpp"
#include "line_writer.hpp"
#include "assemblies.hpp"
#include "number_text.hpp"
#include "interfaces.hpp"
#include "pair_summary.hpp"
#include "scan_output.hpp"
#include "structure_file.hpp"
#include "svg_map.hpp"
#include "whole_file.hpp"

std::unique_ptr<selection_contacts> find_selection_contacts(const scan_options& options,
                                                            const std::vector<gemmi::Selection>& selections,
                                                            gemmi::Structure& structure) {
  if (options.symmetry) check_crystal(structure);
  const gemmi::Model& model = chosen_model(structure, selections.front());
  atom_tables tables;
  std::vector<std::vector<picked_atom>> picked;
  for (std::size_t s = 0; s < selections.size(); ++s) {
    const gemmi::Model& picked_from = chosen_model(structure, selections[s]);
    picked.push_back(pick_atoms(picked_from, selections[s], options.defaults));
    if (picked.back().empty() && !options.allow_empty) fail_no_atom(picked_from, selections[s], options.selections[s]);
  }
  auto found = std::make_unique<selection_contacts>();
  found->self = selections.size() == 1;
  const bool self = found->self;
  // The crystal repeats the whole second selection, the first selection's atoms in it too.
  atom_table imaged;
  if (options.symmetry && !self) imaged = tables.make(picked[1]);
  if (!self) {
    // The second side is the second selection without the atoms of the first: a ligand meets its chain, never itself.
    std::unordered_set<const gemmi::Atom*> in_first;
    for (const picked_atom& p : picked[0]) in_first.insert(p.atom);
    auto& second = picked[1];
    second.erase(std::remove_if(second.begin(), second.end(), [&](const picked_atom& p) { return in_first.count(p.atom) != 0; }),
                 second.end());
  }
  for (std::size_t s = 0; s < picked.size(); ++s) found->matched[s] = picked[s].size();
  found->first = tables.make(picked[0]);
  if (!self) found->second = tables.make(picked[1]);
  const atom_table& first = found->first;
  const atom_table& other = found->other();

  std::unique_ptr<covalent_links> links;
  if (options.skip_links) links = std::make_unique<covalent_links>(structure, model);
  const pair_rules rules{self && !options.same_residue, options.min_separation, links.get()};

  side_pair& result = found->result;
  result.summarise = !options.summary.empty();
  if (!options.map.empty()) result.map = std::make_unique<contact_map>();
  if (first.size() > 0 && other.size() > 0) {
    const group_numbers first_numbers(result.groups, first);
    std::unique_ptr<group_numbers> second_numbers;
    if (!self) second_numbers = std::make_unique<group_numbers>(result.groups, other);
    const group_numbers& other_numbers = self ? first_numbers : *second_numbers;
    const cell_list grid = loaded_grid(options.cutoff, first.points(), other.points());
    const auto meet = [&](std::int32_t a, std::int32_t b, float d) {
      const auto ia = static_cast<std::size_t>(a), ib = static_cast<std::size_t>(b);
      if (!rules.drops(first, ia, other, ib)) result.feed(first, ia, other, ib, as_written(d), &first_numbers, &other_numbers);
    };
    if (self)
      grid.for_each_self_contact(meet);
    else
      grid.for_each_contact(meet);
  }
  if (options.symmetry) {
    // After the identity's contacts, each image's: a copy is another molecule, so no rule of one chain or of
    // the file's bonds applies; an atom on a special position does not meet itself.
    found->images = crystal_images(structure, self ? first : imaged, first, options.cutoff, tables);
    const atom_table& images = found->images;
    if (first.size() > 0 && images.size() > 0) {
      const group_numbers first_numbers(result.groups, first), image_numbers(result.groups, images);
      const cell_list grid = loaded_grid(options.cutoff, first.points(), images.points());
      grid.for_each_contact([&](std::int32_t a, std::int32_t b, float d) {
        const auto ia = static_cast<std::size_t>(a), ib = static_cast<std::size_t>(b);
        if (first.atoms[ia] == images.atoms[ib] && d < 0.8f) return;
        result.feed(first, ia, images, ib, as_written(d), &first_numbers, &image_numbers);
        ++found->image_contacts;
      });
    }
  }
  return found;
}

namespace {

// Two selections, or one against itself.
void scan_selections(const scan_options& options, const std::vector<gemmi::Selection>& selections,
                     gemmi::Structure& structure) {
  const std::unique_ptr<selection_contacts> found = find_selection_contacts(options, selections, structure);
  const bool self = found->self;
  const atom_table& first = found->first;
  const atom_table& other = found->other();
  side_pair& result = found->result;
  const std::string name = structure_name(options.structure);
  const std::string& first_name = options.selections.front();
  const std::string& second_name = options.selections.back();
  std::string svg, row;
  if (result.map) {
    const std::string title = !options.title.empty() ? options.title
                              : self ? name + ": " + first_name + " with itself"
                                     : name + ": " + first_name + " and " + second_name;
    // One selection: its residues on both axes. Two: the first's residues are rows, unless a residue is on
    // both sides (selections by atom), which the map then draws square.
    if (self) result.map->set_square();
    svg = draw(*result.map, options, title, first_name, self ? first_name : second_name);
  }
  if (!options.summary.empty()) {
    row = result.summary.row(name, first_name, second_name, first.size(), other.size());
    if (options.symmetry) row.back() = '\t', row += std::to_string(found->image_contacts) + '\n';
    row = summary_header_for(options) + row;
  }
  write_sorted(options.output, result.groups);
  if (result.map) write_whole_file(options.map, svg);
  if (!options.summary.empty()) write_whole_file(options.summary, row);
}

}  // namespace

void run_scan(const scan_options& options) {
  // Selections are read before the file: a typo should not wait for a large structure.
  std::vector<gemmi::Selection> selections;
  for (const std::string& text : options.selections) selections.push_back(parse_selection(text));
  structure_status status;
  try {
    gemmi::Structure structure = read_structure(options.structure);
    if (!options.assembly.empty()) build_assembly(structure, options.assembly);
    gemmi::add_entity_types(structure, /*overwrite=*/false);
    if (!options.pairs.empty())
      scan_named_pairs(options, structure, status);
    else if (!options.interfaces.empty())
      scan_chain_pairs(options, structure, status);
    else
      scan_selections(options, selections, structure);
  } catch (const run_error& e) {
    // A structure that cannot be read (or searched) is a row of its own when asked; a failure to write is not.
    if (!options.record_failures || status.writing) throw;
    status = structure_status();
    status.status = "unreadable";
    status.message = e.what();
    if (!options.interfaces.empty()) {
      make_folder(options.interfaces);
      write_whole_file(options.interfaces + "/summary.tsv", summary_header_for(options));
    } else {
      write_whole_file(options.output, "");
    }
  }
  if (!options.status.empty()) write_whole_file(options.status, status.table(structure_name(options.structure)));
}
