// The command line of pairmap.
#pragma once

#include <string>
#include <vector>

struct map_options {
  std::string input, output;
  std::string title;        // "" : the input's file name
  float max_distance = 0;   // 0 : the largest distance of the list
  bool show_help = false;
  bool show_version = false;
};

// Reads the arguments after the program name: options anywhere before "--", "--title T" or "--title=T", then
// INPUT and OUTPUT. Throws usage_error for an unknown option, a missing value, a --max-distance that is not a
// positive number, or not two operands.
map_options parse_command_line(const std::vector<std::string>& arguments);

extern const char* const map_usage;
extern const char* const map_help;
