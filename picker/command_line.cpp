#include "command_line.hpp"

#include "options.hpp"
#include "error.hpp"

const char* const pick_usage =
    "Usage: pairpick [options] STRUCTURE SELECTION OUTPUT\n"
    "       pairpick --list [options] STRUCTURE [OUTPUT]\n"
    "       pairpick --list-assemblies STRUCTURE [OUTPUT]\n";

const char* const pick_help =
    "Writes the atoms of a selection of a PDB or mmCIF file (plain or gzipped) as a coordinate list,\n"
    "one point per line: residue:type:atom<TAB>x<TAB>y<TAB>z, in file order.\n"
    "\n"
    "  STRUCTURE   PDB or mmCIF file, plain or .gz; - for standard input\n"
    "  SELECTION   gemmi selection: //A, //A,B, //A/10-50, //*/(ATP), //!A, //A/*/CA, /2/A (model 2)\n"
    "  OUTPUT      coordinate list to write; - for standard output\n"
    "\n"
    "By default the first model, the first alternate conformation of each atom, and no waters or\n"
    "hydrogens are written.\n"
    "  --altloc X       write conformation X (and atoms without one); --altloc all writes every one\n"
    "  --waters         keep waters\n"
    "  --hydrogens      keep hydrogens (H and D)\n"
    "  --assembly ID    build biological assembly ID first (mmCIF pdbx_struct_assembly, PDB REMARK 350);\n"
    "                   copies of a chain are named by the chain plus a copy number: A1, A2\n"
    "  --list           write the chains instead: name, residues, atoms (after the choices above),\n"
    "                   polymer or other; tab-separated, one chain per line\n"
    "  --list-assemblies  write the assemblies the file declares instead: id, oligomeric count,\n"
    "                   details, atoms on a symmetry axis kept once; tab-separated, one assembly per line\n"
    "  --list-ligands   write the ligands instead (residues of no polymer, not water), one per row under\n"
    "                   a header: chain, number, icode, name, atoms\n"
    "  --numbering label  number residues by mmCIF label_seq_id (the entity's sequence) instead of the\n"
    "                   author numbers (--numbering author, the default)\n"
    "  --max-input-size BYTES  refuse a structure larger than this once decompressed (default 4G; K, M, G\n"
    "                   are powers of 1024)\n"
    "  --help           show this help\n"
    "  --version        show the version\n"
    "\n"
    "Exit status: 0 done, 1 wrong command line, 2 error (one line on standard error).\n";


pick_options parse_pick_command_line(const std::vector<std::string>& arguments) {
  pick_options options;
  const scanned_command_line line = scan_command_line(arguments, [&](const auto& all, std::size_t& i) {
    if (all[i] == "--list") {
      options.list_chains = true;
    } else if (all[i] == "--list-assemblies") {
      options.list_assemblies = true;
    } else if (all[i] == "--list-ligands") {
      options.list_ligands = true;
    } else if (is_option(all[i], "--assembly")) {
      options.assembly = option_value(all, i, "--assembly");
      if (options.assembly.empty()) throw usage_error("--assembly takes an assembly id, not ''");
    } else if (all[i] == "--waters") {
      options.keep_waters = true;
    } else if (all[i] == "--hydrogens") {
      options.keep_hydrogens = true;
    } else if (is_option(all[i], "--altloc")) {
      options.altloc = read_altloc(option_value(all, i, "--altloc"));
    } else if (is_option(all[i], "--numbering")) {
      options.label_numbers = read_numbering(option_value(all, i, "--numbering"));
    } else if (is_option(all[i], "--max-input-size")) {
      options.max_input_size = byte_count_option("--max-input-size", option_value(all, i, "--max-input-size"));
    } else {
      return false;
    }
    return true;
  });
  options.show_help = line.show_help;
  options.show_version = line.show_version;
  const auto& operands = line.operands;
  if (options.show_help || options.show_version) return options;
  if (int{options.list_chains} + options.list_assemblies + options.list_ligands > 1)
    throw usage_error("--list, --list-assemblies and --list-ligands go apart");
  if (options.list_assemblies && !options.assembly.empty())
    throw usage_error("--list-assemblies lists them all; --assembly does not apply");
  if (options.list_chains || options.list_assemblies || options.list_ligands) {
    if (operands.empty() || operands.size() > 2)
      throw usage_error(std::string(options.list_chains ? "--list" : options.list_ligands ? "--list-ligands" : "--list-assemblies") +
                        " takes a structure and an optional output");
    options.structure = operands[0];
    options.output = operands.size() == 2 ? operands[1] : "-";
    return options;
  }
  if (operands.size() != 3)
    throw usage_error("expected a structure, a selection and an output, found " + arguments_found(operands.size()));
  options.structure = operands[0];
  options.selection = operands[1];
  options.output = operands[2];
  return options;
}
