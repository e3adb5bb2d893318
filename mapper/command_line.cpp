#include "command_line.hpp"

#include <cmath>
#include <cstdlib>

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

namespace {

float read_max_distance(const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(value) || value <= 0 || static_cast<float>(value) <= 0)
    throw usage_error("--max-distance takes a positive number, not " + quoted(text));
  return static_cast<float>(value);
}

}  // namespace

map_options parse_command_line(const std::vector<std::string>& arguments) {
  map_options options;
  std::vector<std::string> operands;
  bool options_ended = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    // An option's value: "--name=value" or the next argument.
    const auto value_of = [&](const std::string& name) -> std::string {
      if (argument.size() > name.size()) return argument.substr(name.size() + 1);
      if (++i == arguments.size()) throw usage_error(name + " needs a value");
      return arguments[i];
    };
    const auto is = [&argument](const std::string& name) {
      return argument == name || argument.rfind(name + "=", 0) == 0;
    };
    if (options_ended || argument.size() < 2 || argument[0] != '-') {
      operands.push_back(argument);
    } else if (argument == "--") {
      options_ended = true;
    } else if (argument == "--help" || argument == "-h") {
      options.show_help = true;
    } else if (argument == "--version") {
      options.show_version = true;
    } else if (is("--title")) {
      options.title = value_of("--title");
    } else if (is("--max-distance")) {
      options.max_distance = read_max_distance(value_of("--max-distance"));
    } else {
      throw usage_error("unknown option " + quoted(argument));
    }
  }
  if (options.show_help || options.show_version) return options;
  if (operands.size() != 2)
    throw usage_error("expected an input and an output, found " + std::to_string(operands.size()) +
                      (operands.size() == 1 ? " argument" : " arguments"));
  options.input = operands[0];
  options.output = operands[1];
  return options;
}
