#include "interfaces.hpp"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "error.hpp"
#include "pair_scans.hpp"
#include "scan_output.hpp"
#include "split.hpp"
#include "text_file.hpp"
#include "whole_file.hpp"

namespace {

// A name of a named pair is its folder's name too: letters, digits, ".", "_" and "-", not "_vs_", "." or "..".
void check_pair_name(const std::string& name, const std::string& file, std::size_t line) {
  const bool plain = !name.empty() && name != "." && name != ".." && name.find("_vs_") == std::string::npos &&
                     std::all_of(name.begin(), name.end(), [](char c) {
                       return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-';
                     });
  if (!plain)
    fail(file_name(file) + ":" + std::to_string(line) + ": the name " + quoted(name) +
         " names a folder: letters, digits, '.', '_' and '-' only, without '_vs_'");
}

// The pairs file: NAME<TAB>SELECTION<TAB>NAME<TAB>SELECTION a line, names that can be folders.
std::vector<named_pair> read_named_pairs(const std::string& path) {
  std::vector<named_pair> pairs;
  const text_file file = read_text_file(path);
  require_text(file.name, file.bytes);
  for_each_line(file.bytes, [&](std::string_view line, std::size_t number) {
    std::string_view fields[5];
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (split_first(line, '\t', fields, 5) != 4)
      fail(file_name(file.name) + ":" + std::to_string(number) + ": expected NAME<TAB>SELECTION<TAB>NAME<TAB>SELECTION");
    pairs.push_back({{std::string(fields[0]), std::string(fields[2])}, {std::string(fields[1]), std::string(fields[3])}});
    for (const std::string& name : pairs.back().names) check_pair_name(name, file.name, number);
  });
  // Folders are named by the names as they are: two that differ in case alone would be one folder where case
  // is not told apart.
  std::unordered_map<std::string, std::string> by_lower_case;
  for (const named_pair& pair : pairs)
    for (const std::string& name : pair.names) {
      std::string low = name;
      for (char& c : low) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      const std::string& first = by_lower_case.try_emplace(low, name).first->second;
      if (first != name)
        fail(file_name(file.name) + ": names " + quoted(first) + " and " + quoted(name) +
             " differ in case alone; their folders would be one where case is not told apart");
    }
  return pairs;
}

}  // namespace

void scan_interfaces(const scan_options& options, gemmi::Structure& structure, structure_status& status,
                     const std::string& written) {
  const bool named = !options.pairs.empty();
  const std::vector<named_pair> pairs = named ? read_named_pairs(options.pairs) : std::vector<named_pair>();
  const std::string name = structure_name(options.structure);
  std::string table = summary_header_for(options.request.symmetry);
  // Each pair's folder: the sorted list, and the map when one is drawn; a row of the summary.
  const pair_visit write_pair = [&](found_pair& pair) {
    status.writing = true;
    const std::string& first = pair.first;
    const std::string& second = pair.second;
    const std::string folder =
        written + "/" + (named ? first + "_vs_" + second : folder_name(first) + "_vs_" + folder_name(second));
    make_folder(folder);
    file_in_parts sorted(folder + "/sorted.pairtab");
    write_sorted(sorted, pair.result.groups);
    sorted.finish();
    if (pair.result.map) {
      map_style style;
      style.title = name + (named ? ": " + first + " and " + second
                                  : pair.self ? ": chain " + first + " with itself" : ": chains " + first + " and " + second);
      style.row_title = named ? first : "chain " + first;
      style.column_title = named ? second : "chain " + second;
      style.cutoff = options.request.cutoff;
      style.min_distance = options.map_min_distance, style.max_distance = options.map_max_distance;
      write_whole_file(folder + "/map.svg", draw(*pair.result.map, style));
    }
    if (pair.result.tables) {
      const table_texts texts = tables_text(*pair.result.tables, options.write_contacts, options.write_residues,
                                            options.write_residue_pairs);
      if (options.write_contacts) write_whole_file(folder + "/contacts.tsv", texts.contacts);
      if (options.write_residues) write_whole_file(folder + "/residues.tsv", texts.residues);
      if (options.write_residue_pairs) write_whole_file(folder + "/residue-pairs.tsv", texts.residue_pairs);
    }
    table += summary_row(options.request.symmetry, pair.result.summary, name, first, second, pair.first_atoms,
                         pair.second_atoms, pair.image_contacts);
  };
  if (named)
    for_each_named_pair(options.request, pairs, structure, status, write_pair);
  else
    for_each_chain_pair(options.request, options.self_pairs, structure, status, write_pair);
  status.writing = true;
  write_whole_file(written + "/summary.tsv", table);
}
