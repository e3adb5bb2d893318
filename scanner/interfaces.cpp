#include "interfaces.hpp"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "error.hpp"
#include "contact_frequencies.hpp"
#include "interface_kinds.hpp"
#include "pair_scans.hpp"
#include "scan_output.hpp"
#include "split.hpp"
#include "text_file.hpp"
#include "whole_file.hpp"

namespace {

bool starts_with(const std::string& text, const char* start) { return text.rfind(start, 0) == 0; }
bool ends_with(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A name of a named pair is its folder's name too: letters, digits, ".", "_" and "-", not "." or "..", and
// neither holding "_vs_" nor starting with "vs_" nor ending with "_vs", so that "FIRST_vs_SECOND" splits one
// way only ("X" with "vs_Y" and "X_vs" with "Y" would share a folder).
void check_pair_name(const std::string& name, const std::string& file, std::size_t line) {
  const bool plain = !name.empty() && name != "." && name != ".." && name.find("_vs_") == std::string::npos &&
                     !starts_with(name, "vs_") && !ends_with(name, "_vs") &&
                     std::all_of(name.begin(), name.end(), [](char c) {
                       return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-';
                     });
  if (!plain)
    fail(file_name(file) + ":" + std::to_string(line) + ": the name " + quoted(name) +
         " names a folder: letters, digits, '.', '_' and '-' only, without '_vs_' (nor 'vs_' first, '_vs' last)");
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
  // A pair given twice would write its folder twice.
  std::unordered_map<std::string, std::size_t> lines;
  for (std::size_t k = 0; k < pairs.size(); ++k) {
    const std::size_t first = lines.try_emplace(pairs[k].names[0] + "_vs_" + pairs[k].names[1], k).first->second;
    if (first != k)
      fail(file_name(file.name) + ": the pair " + quoted(pairs[k].names[0]) + " and " + quoted(pairs[k].names[1]) +
           " is given twice");
  }
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
                     const std::string& written, const std::vector<std::string>& source_chains,
                     std::vector<page_map>* page) {
  const bool named = !options.pairs.empty();
  const std::vector<named_pair> pairs = named ? read_named_pairs(options.pairs) : std::vector<named_pair>();
  const std::string name = structure_name(options.structure);
  std::string table = summary_header_for(options.request.symmetry, true, options.write_kinds, options.write_areas,
                                         options.write_interactions);
  interface_kinds kinds(source_chains);
  // Each pair in contact has a folder: the sorted list, and the map when one is drawn. Every pair has a row of
  // the summary, which names its folder (none for a pair without contacts, so that the files grow with the
  // contacts, not with the square of the chains).
  const pair_visit write_pair = [&](found_pair& pair) {
    status.writing = true;
    const std::string& first = pair.first;
    const std::string& second = pair.second;
    // Over models, a pair in contact in any of them has a folder for its frequencies.
    const bool touches = pair.result.summary.contacts() > 0 || (pair.frequencies && !pair.frequencies->empty()) ||
                         !pair.result.interactions.empty();
    const std::string entry = !touches ? std::string()
                              : named ? pair_folder_name(first, second)
                                      : pair_folder_name(folder_name(first), folder_name(second));
    std::string row = summary_row(options.request.symmetry, pair.result.summary, name, first, second,
                                  pair.first_atoms, pair.second_atoms, pair.image_contacts);
    row.back() = '\t';
    table += row + entry;
    if (options.write_kinds) {
      // A kind for each pair of two sides in contact.
      table += '\t';
      if (!entry.empty() && !pair.self) {
        const double buried = pair.areas->buried(pair.first_side, pair.second_side) +
                              pair.areas->buried(pair.second_side, pair.first_side);
        table += std::to_string(kinds.add(first, second, contact_tables::residue_pairs(pair.result.tables->contacts()), buried));
      }
    }
    if (options.write_areas) table += area_fields(*pair.areas, pair.first_side, pair.second_side);
    if (options.write_interactions) table += type_count_fields(pair.result.interactions);
    table += '\n';
    if (entry.empty()) return;
    const std::string folder = written + "/" + entry;
    make_folder(folder);
    file_in_parts sorted(folder + "/sorted.pairtab");
    write_sorted(sorted, pair.result.groups);
    sorted.finish();
    if (pair.result.map) {
      // Over models, the map shows how often each residue pair is in contact.
      if (pair.frequencies) pair.result.map = frequency_map(*pair.frequencies, pair.models);
      map_style style;
      style.models = pair.frequencies ? pair.models : 0;
      const std::string over = pair.frequencies ? ", frequency over " + std::to_string(pair.models) + " models" : "";
      style.title = name + (named ? ": " + first + " and " + second
                                  : pair.self ? ": chain " + first + " with itself" : ": chains " + first + " and " + second) +
                    over;
      style.row_title = named ? first : "chain " + first;
      style.column_title = named ? second : "chain " + second;
      style.cutoff = options.request.vdw_tolerance >= 0 ? 0 : options.request.cutoff;
      style.min_distance = options.map_min_distance, style.max_distance = options.map_max_distance;
      type_marks marks;
      if (options.map_types && pair.result.tables) marks = marks_of(*pair.result.tables, pair.result.interactions), style.marks = &marks;
      const std::string svg = draw(*pair.result.map, style);
      if (options.maps) write_whole_file(folder + "/map.svg", svg);
      if (page != nullptr) {
        const std::vector<contact_row> rows = pair.result.tables->contacts();
        page->push_back({style.title, svg, rows, page_residues(rows, *pair.result.tables),
                         options.write_areas && pair.areas ? page_areas(pair.areas->rows(pair.first_side, pair.second_side)) : ""});
      }
    }
    if (pair.result.tables &&
        (options.write_contacts || options.write_residues || options.write_residue_pairs || options.write_interactions)) {
      const table_texts texts =
          tables_text(*pair.result.tables, options.write_interactions ? &pair.result.interactions : nullptr,
                      options.write_contacts, options.write_residues, options.write_residue_pairs, options.write_interactions);
      if (options.write_interactions) write_whole_file(folder + "/interactions.tsv", texts.interactions);
      if (options.write_contacts) write_whole_file(folder + "/contacts.tsv", texts.contacts);
      if (options.write_residues) write_whole_file(folder + "/residues.tsv", texts.residues);
      if (options.write_residue_pairs)
        write_whole_file(folder + "/residue-pairs.tsv",
                         pair.frequencies ? frequency_text(*pair.frequencies, contact_tables::residue_pairs(pair.result.tables->contacts()), pair.models)
                                          : texts.residue_pairs);
    }
    if (options.write_areas && pair.areas)
      write_whole_file(folder + "/areas.tsv", areas_text(pair.areas->rows(pair.first_side, pair.second_side)));
  };
  if (named)
    for_each_named_pair(options.request, pairs, structure, status, write_pair);
  else
    for_each_chain_pair(options.request, options.self_pairs, structure, status, write_pair);
  status.writing = true;
  write_whole_file(written + "/summary.tsv", table);
  if (options.write_kinds) write_whole_file(written + "/kinds.tsv", kinds.table());
}
