// What pairscan's runs share on the way out: names, the map's drawing, the sorted list's writing, folders,
// and the structure's status row.
#pragma once

#include <cstddef>
#include <string>

#include "contact_map.hpp"
#include "contact_tables.hpp"
#include "grouping.hpp"
#include "pair_summary.hpp"
#include "side_areas.hpp"
#include "svg_map.hpp"
#include "whole_file.hpp"

// The structure's name in tables and titles: the file name without its folder and ".gz".
std::string structure_name(const std::string& path);

// The summary's header, with the image_contacts column when symmetry is asked, then the folder column (the
// pair's folder, with --interfaces), kind (with --write kinds), then buried_area and interface_area when areas
// are asked.
// With interactions, one count per type after them.
std::string summary_header_for(bool symmetry, bool folder, bool kinds, bool areas, bool interactions);

// A pair's area fields of the summary: "\tBURIED\tINTERFACE" (both sides' area the other buries, and half of
// it), empty fields for a side against itself.
std::string area_fields(const side_areas& areas, std::uint32_t first, std::uint32_t second);

// One pair's summary row, with its image contacts last when symmetry is asked.
std::string summary_row(bool symmetry, const pair_summary& summary, const std::string& structure,
                        const std::string& first, const std::string& second, std::size_t first_atoms,
                        std::size_t second_atoms, std::uint64_t image_contacts);

// Each residue pair's strongest interaction type, for the map's marks.
type_marks marks_of(const contact_tables& tables, std::vector<typed_interaction>& found);

// The map of one pair in the style given (titles, cut-off, colour scale).
std::string draw(contact_map& map, const map_style& style);

// The whole list is known before the first line: written in blocks, not one system call per line.
void write_sorted(file_in_parts& file, contact_groups& groups);

// The text of the tables asked for ("" for the others), each made from the one before it: the contacts are
// sorted once.
// With typed interactions (typed not null), their table, and the residue pairs count them by type.
struct table_texts {
  std::string contacts, residues, residue_pairs, interactions;
};
table_texts tables_text(const contact_tables& tables, std::vector<typed_interaction>* typed, bool contacts, bool residues,
                        bool residue_pairs, bool interactions);

// Creates a folder unless it is there; throws run_error.
void make_folder(const std::string& path);

// A side's name as a file name that no other side's name gives, on any file system: letters, digits and "-"
// kept, a lower-case letter after "_" ("a" gives "_a", so chains "A" and "a" stay apart where case is not told
// apart), any other byte as "%XX", and an empty name as "%". "_vs_" never occurs within one.
std::string folder_name(const std::string& side);

// The folder of a pair of sides' folder names: "FIRST_vs_SECOND", or, past 100 bytes, its first 80 bytes, "_" and
// the first 16 hex digits of the SHA-256 of the whole name.
std::string pair_folder_name(const std::string& first, const std::string& second);
