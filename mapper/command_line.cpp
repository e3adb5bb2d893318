#include "command_line.hpp"

#include "options.hpp"
#include "error.hpp"

const char* const map_usage = "Usage: pairmap [options] INPUT.pairtab OUTPUT.svg\n";

const char* const map_help =
    "Draws the residue contact map of a contact list (pairsweep's or pairsift's) as an SVG picture: the\n"
    "residues of the first labels as rows, those of the second as columns, in natural order (chain, number,\n"
    "insertion code), one cell per residue pair in contact, coloured by its smallest distance (viridis,\n"
    "closest darkest), with a tooltip naming the closest atom pair and the number of contacts.\n"
    "\n"
    "  --title TEXT          the title's first line (default: the input's file name)\n"
    "  --max-distance D      the top of the colour scale (default: the largest distance in the list)\n"
    "  --help                show this help\n"
    "  --version             show the version\n"
    "\n"
    "Exit status: 0 done, 1 wrong command line, 2 error (one line on standard error).\n";

map_options parse_command_line(const std::vector<std::string>& arguments) {
  map_options options;
  const scanned_command_line line = scan_command_line(arguments, [&](const auto& all, std::size_t& i) {
    if (is_option(all[i], "--title")) {
      options.title = option_value(all, i, "--title");
    } else if (is_option(all[i], "--max-distance")) {
      options.max_distance = positive_option("--max-distance", option_value(all, i, "--max-distance"));
    } else {
      return false;
    }
    return true;
  });
  options.show_help = line.show_help;
  options.show_version = line.show_version;
  if (options.show_help || options.show_version) return options;
  if (line.operands.size() != 2)
    throw usage_error("expected an input and an output, found " + arguments_found(line.operands.size()));
  options.input = line.operands[0];
  options.output = line.operands[1];
  return options;
}
