// The command-line scanning of the programs with options: options anywhere before "--", "--name=value" or
// "--name value", --help (-h) and --version, operands in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "error.hpp"

struct scanned_command_line {
  std::vector<std::string> operands;
  bool show_help = false;
  bool show_version = false;
};

// Whether argument is option name, alone or as "name=value".
bool is_option(const std::string& argument, const std::string& name);
// The value of option name at arguments[i]: after "=", or the next argument (i moves to it); throws
// usage_error "NAME needs a value" at the end of the line.
std::string option_value(const std::vector<std::string>& arguments, std::size_t& i, const std::string& name);
// The value of option as a positive, finite number that stays positive as a float ("2.5"; not "", "0", "-1",
// "2x", "inf", "1e-50", "1e39"); throws usage_error "OPTION takes a positive number, not 'TEXT'".
float positive_option(const std::string& option, const std::string& text);
// The value of option as a count of bytes, a whole number from 1 with an optional K, M or G (powers of 1024):
// "4G", "500000"; throws usage_error "OPTION takes a number of bytes such as 4G, not 'TEXT'".
std::uint64_t byte_count_option(const std::string& option, const std::string& text);
// "N arguments", "1 argument": a count of operands as a message gives it.
std::string arguments_found(std::size_t n);

// Scans the arguments after the program name; every option but --help and --version goes to
// read_option(arguments, i), which reads it (with option_value for a value) and returns true, or returns false
// for an option it does not know, which throws usage_error "unknown option '...'".
template <class ReadOption>
scanned_command_line scan_command_line(const std::vector<std::string>& arguments, ReadOption&& read_option) {
  scanned_command_line line;
  bool options_ended = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (options_ended || argument.size() < 2 || argument[0] != '-') {
      line.operands.push_back(argument);
    } else if (argument == "--") {
      options_ended = true;
    } else if (argument == "--help" || argument == "-h") {
      line.show_help = true;
    } else if (argument == "--version") {
      line.show_version = true;
    } else if (!read_option(arguments, i)) {
      throw usage_error("unknown option " + quoted(argument));
    }
  }
  return line;
}
