// pairpick: the atoms of a selection of a PDB or mmCIF file as a coordinate list.
#include <string>
#include <vector>

#include <gemmi/version.hpp>

#include "assemblies.hpp"
#include "command_line.hpp"
#include "error.hpp"
#include "point_list.hpp"
#include "structure_file.hpp"
#include "whole_file.hpp"

int main(int argc, char** argv) {
  pick_options options;
  const auto parse = [&] { return parse_pick_command_line(std::vector<std::string>(argv + 1, argv + argc)); };
  const int answered = answer_command_line("pairpick", pick_usage, pick_help,
                                          std::string(TOOLKIT_VERSION) + " (gemmi " + GEMMI_VERSION + ")", parse, options);
  if (answered >= 0) return answered;
  return run_reporting_errors("pairpick", "", [&options] {
    const atom_defaults defaults{options.altloc, options.keep_waters, options.keep_hydrogens};
    // The selection is read before the file: a typo should not wait for a large structure.
    const bool listing = options.list_chains || options.list_assemblies || options.list_ligands;
    const gemmi::Selection selection = listing ? gemmi::Selection() : parse_selection(options.selection);
    gemmi::Structure structure = read_structure(options.structure, options.max_input_size);
    if (options.label_numbers) use_label_numbers(structure);
    if (!options.assembly.empty()) build_assembly(structure, options.assembly);
    const std::string text = options.list_assemblies ? assembly_table(structure)
                             : options.list_chains   ? write_chain_table(structure, defaults)
                             : options.list_ligands  ? ligands_text(list_ligands(structure, defaults))
                                                     : write_points(structure, selection, options.selection, defaults);
    write_whole_file(options.output, text);
  });
}
