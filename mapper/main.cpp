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
  const auto parse = [&] { return parse_command_line(std::vector<std::string>(argv + 1, argv + argc)); };
  const int answered = answer_command_line("pairmap", map_usage, map_help,
                                          TOOLKIT_VERSION, parse, options);
  if (answered >= 0) return answered;
  return run_reporting_errors("pairmap", "", [&options] {
    contact_map map = read_contact_map(options.input);
    const std::vector<map_cell> cells = map.ordered_cells();
    const std::string name = options.input.substr(options.input.rfind('/') + 1);
    const map_style style{options.title.empty() ? name : options.title, options.max_distance};
    write_whole_file(options.output, draw_svg(map, cells, style));
  });
}
