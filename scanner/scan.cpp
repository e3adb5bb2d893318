#include "scan.hpp"

#include <memory>
#include <string>
#include <vector>

#include <gemmi/polyheur.hpp>

#include "assemblies.hpp"
#include "error.hpp"
#include "interfaces.hpp"
#include "pair_summary.hpp"
#include "scan_output.hpp"
#include "selection_contacts.hpp"
#include "structure_file.hpp"
#include "whole_file.hpp"

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
  if (!options.summary.empty())
    row = summary_header_for(options) + summary_row(options, result.summary, name, first_name, second_name, first.size(),
                                                    other.size(), found->image_contacts);
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
