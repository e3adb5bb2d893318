// The command line of pairpick: options, the three operands, and the help text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "atom_picking.hpp"
#include "structure_file.hpp"


struct pick_options {
  std::string structure;  // path, "-" for standard input
  std::string selection;  // selection text; "" with list_chains
  std::string output;     // path, "-" for standard output
  std::string assembly;   // biological assembly to build first, or ""
  std::uint64_t max_input_size = default_max_input_size;  // refuse a larger structure (decompressed)
  bool list_chains = false;
  bool list_assemblies = false;
  bool list_ligands = false;
  bool label_numbers = false;  // --numbering label: mmCIF label_seq_id instead of author numbers
  bool keep_waters = false;
  bool keep_hydrogens = false;
  altloc_choice altloc;
  bool show_help = false;
  bool show_version = false;
};

// Reads the arguments after the program name. Options may come anywhere before "--"; "--altloc X" and
// "--altloc=X" are the same. Throws usage_error for an unknown option, a missing or bad option value, or the
// wrong number of operands (three; with --list or --list-assemblies one or two). --help and --version need nothing else.
pick_options parse_pick_command_line(const std::vector<std::string>& arguments);

extern const char* const pick_usage;
extern const char* const pick_help;
