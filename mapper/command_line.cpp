#include "command_line.hpp"

#include "options.hpp"
#include "error.hpp"

const char* const map_usage = "Usage: pairmap [options] INPUT.pairtab OUTPUT.svg\n";

const char* const map_help =
    "Draws the residue contact map of a contact list (pairsweep's or pairsift's) as an SVG picture, residues\n"
    "in natural order (chain, number, insertion code), one cell per residue pair in contact, coloured by its\n"
    "smallest distance (viridis, closest darkest), with a tooltip naming the closest atom pair and the number\n"
    "of contacts. Rows are the residues of the side --rows names; without it, the residues of the first labels\n"
    "when no residue is also a second label (pairsweep's list of two sides); else (a self-contact list, or a\n"
    "list pairsift sorted by text) every residue is on both axes, each pair drawn on both sides of the diagonal.\n"
    "\n"
    "  --rows FILE           a coordinate list (pairpick's) whose residues are the rows; every other residue\n"
    "                        is a column, each pair drawn with its row-side residue as the row\n"
    "  --types FILE.tsv      mark each cell with its residue pair's strongest interaction type, from an\n"
    "                        interactions table (pairscan --interactions); a legend names the marks\n"
    "  --title TEXT          the title's first line (default: the input's file name)\n"
    "  --row-title TEXT      what the rows are (default: the --rows file's name, or \"first labels\")\n"
    "  --column-title TEXT   what the columns are (default: \"other residues\", or \"second labels\")\n"
    "  --cutoff D            the cut-off the list was made with, shown in the subtitle\n"
    "  --min-distance D      the bottom of the colour scale (default: the smallest distance in the list,\n"
    "                        rounded down to a step of 0.1, 0.2, 0.5 or 1)\n"
    "  --max-distance D      the top of the colour scale (default: the largest distance in the list)\n"
    "  --help                show this help\n"
    "  --version             show the version\n"
    "\n"
    "Exit status: 0 done, 1 wrong command line, 2 error (one line on standard error).\n";

map_options parse_map_command_line(const std::vector<std::string>& arguments) {
  map_options options;
  const scanned_command_line line = scan_command_line(arguments, [&](const auto& all, std::size_t& i) {
    if (is_option(all[i], "--title")) {
      options.title = option_value(all, i, "--title");
    } else if (is_option(all[i], "--types")) {
      options.types = option_value(all, i, "--types");
    } else if (is_option(all[i], "--rows")) {
      options.rows = option_value(all, i, "--rows");
    } else if (is_option(all[i], "--row-title")) {
      options.row_title = option_value(all, i, "--row-title");
    } else if (is_option(all[i], "--column-title")) {
      options.column_title = option_value(all, i, "--column-title");
    } else if (is_option(all[i], "--cutoff")) {
      options.cutoff = positive_option("--cutoff", option_value(all, i, "--cutoff"));
    } else if (is_option(all[i], "--min-distance")) {
      const std::string text = option_value(all, i, "--min-distance");
      options.min_distance = text == "0" ? 0.0f : positive_option("--min-distance", text);
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
  if (options.max_distance > 0 && options.min_distance >= options.max_distance)
    throw usage_error("--min-distance must be below --max-distance");
  if (line.operands.size() != 2)
    throw usage_error("expected an input and an output, found " + arguments_found(line.operands.size()));
  options.input = line.operands[0];
  options.output = line.operands[1];
  return options;
}
