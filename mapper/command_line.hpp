// The command line of pairmap.
#pragma once

#include <string>
#include <vector>

struct map_options {
  std::string input, output;
  std::string title;        // "" : the input's file name
  std::string rows;         // a coordinate list naming the first side, or ""
  std::string types;        // an interactions table whose strongest type marks each cell, or ""
  std::string row_title, column_title;  // "" : from what is known (the rows file's name)
  float cutoff = 0;         // shown when given
  float min_distance = -1;  // -1 : the smallest distance of the list, rounded down
  float max_distance = 0;   // 0 : the largest distance of the list
  bool show_help = false;
  bool show_version = false;
};

// Reads the arguments after the program name: options anywhere before "--", "--title T" or "--title=T", then
// INPUT and OUTPUT. Throws usage_error for an unknown option, a missing value, a --max-distance or --cutoff that
// is not a positive number, a --min-distance below 0 or not below --max-distance, or not two operands.
map_options parse_map_command_line(const std::vector<std::string>& arguments);

extern const char* const map_usage;
extern const char* const map_help;
