// What pairscan's runs share on the way out: names, the map's drawing, the sorted list's writing, folders,
// and the structure's status row.
#pragma once

#include <cstddef>
#include <string>

#include "contact_map.hpp"
#include "grouping.hpp"
#include "pair_summary.hpp"
#include "scan_command_line.hpp"
#include "whole_file.hpp"

// The structure's name in tables and titles: the file name without its folder and ".gz".
std::string structure_name(const std::string& path);

// The summary's header, with the image_contacts column last when symmetry is asked.
std::string summary_header_for(const scan_options& options);

// One pair's summary row, with its image contacts last when symmetry is asked.
std::string summary_row(const scan_options& options, const pair_summary& summary, const std::string& structure,
                        const std::string& first, const std::string& second, std::size_t first_atoms,
                        std::size_t second_atoms, std::uint64_t image_contacts);

// The map of one pair, with the options' cut-off and colour scale.
std::string draw(contact_map& map, const scan_options& options, const std::string& title, const std::string& rows,
                 const std::string& columns);

// The whole list is known before the first line: written in blocks, not one system call per line.
void write_sorted(file_in_parts& file, contact_groups& groups);

// Creates a folder unless it is there; throws run_error.
void make_folder(const std::string& path);

// A side's name as a file name that no other side's name gives, on any file system: letters, digits and "-"
// kept, a lower-case letter after "_" ("a" gives "_a", so chains "A" and "a" stay apart where case is not told
// apart), any other byte as "%XX", and an empty name as "%". "_vs_" never occurs within one.
std::string folder_name(const std::string& side);

// What --status records of a structure: one row under the header.
struct structure_status {
  bool counted = false;  // chains, polymer_chains and atoms are known (not for a file that cannot be read)
  std::size_t chains = 0, polymer_chains = 0, atoms = 0, pairs = 0;
  std::string status = "done";  // done, one_chain, no_match, unreadable
  std::string message;
  bool writing = false;  // the run has begun to write: a failure now is not the structure's
  std::string table(const std::string& structure) const;
};
