// The command line of pairscan.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "request.hpp"
#include "structure_file.hpp"

// The command line: the engine's request, and where each result goes.
struct scan_options {
  scan_request request;                // selections, cut-off, rules, crystal or assembly, results to collect
  std::string structure;               // path, "-" for standard input
  std::string output;                  // the sorted contact list; "-" for standard output
  std::string interfaces;              // folder for every interface of the structure, or ""
  std::string map, summary, title;     // optional outputs; title "" : made from the structure and sides
  std::string contacts, residues, residue_pairs, areas, interactions;  // the tables people read, or ""
  bool maps = false;                   // interfaces: each pair's map.svg
  bool map_types = false;              // mark each map cell with its strongest interaction type
  bool write_contacts = false, write_residues = false, write_residue_pairs = false, write_areas = false,
       write_kinds = false, write_interactions = false;  // interfaces: each pair's tables
  std::string pairs;                   // interfaces: named pairs of selections, one per line, instead of chains
  std::string models;                  // "all" or "1-5,8": residue-pair frequencies over those models, or ""
  std::string trajectory;              // a DCD file: residue-pair frequencies over its frames, or ""
  std::string html;                    // a page with the structure in 3D beside its maps, or ""
  std::string html_viewer = "3Dmol-min.js";  // where the page loads the viewer from; the default is copied beside it
  bool self_pairs = false;             // interfaces: each chain against itself too
  std::string status;                  // the structure's status row, or ""
  bool record_failures = false;        // with status: a structure that cannot be read is recorded, not fatal
  std::uint64_t max_input_size = default_max_input_size;  // refuse a larger structure (decompressed)
  bool label_numbers = false;          // --numbering label: mmCIF label_seq_id instead of author numbers
  float map_min_distance = -1, map_max_distance = 0;  // the maps' colour scale; the list's own by default
  bool show_help = false;
  bool show_version = false;
};

// Reads the arguments after the program name; throws usage_error for an unknown option, a bad value, or the
// wrong number of operands (STRUCTURE SELECTION [SELECTION2] OUTPUT; with --interfaces, STRUCTURE alone).
scan_options parse_scan_command_line(const std::vector<std::string>& arguments);

extern const char* const scan_usage;
extern const char* const scan_help;
