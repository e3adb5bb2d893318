// pairmap: the residue contact map of a contact list, as an SVG picture.
#include <string>
#include <vector>

#include "command_line.hpp"
#include "contact_map.hpp"
#include "error.hpp"
#include "svg_map.hpp"
#include "whole_file.hpp"

int main(int argc, char** argv) {
  map_options options;
  const auto parse = [&] { return parse_map_command_line(std::vector<std::string>(argv + 1, argv + argc)); };
  const int answered = answer_command_line("pairmap", map_usage, map_help,
                                          TOOLKIT_VERSION, parse, options);
  if (answered >= 0) return answered;
  return run_reporting_errors("pairmap", "", [&options] {
    contact_map map;
    if (!options.rows.empty()) map.set_rows(read_row_residues(options.rows));
    read_contact_map(options.input, map);
    const auto base_name = [](const std::string& path) { return path.substr(path.rfind('/') + 1); };
    const std::vector<map_cell> cells = map.ordered_cells();
    map_style style;
    style.title = options.title.empty() ? base_name(options.input) : options.title;
    const bool named = !options.rows.empty();
    style.row_title = !options.row_title.empty() ? options.row_title
                      : named                    ? base_name(options.rows)
                      : map.square()             ? "residues"
                                                 : "first labels";
    style.column_title = !options.column_title.empty() ? options.column_title
                         : named                       ? "other residues"
                         : map.square()                ? "residues"
                                                       : "second labels";
    style.cutoff = options.cutoff;
    style.min_distance = options.min_distance;
    style.max_distance = options.max_distance;
    type_marks marks;
    if (!options.types.empty()) marks = read_type_marks(options.types), style.marks = &marks;
    file_in_parts picture(options.output);
    draw_svg(map, cells, style, [&picture](std::string_view part) { picture.write(part); });
    picture.finish();
  });
}
