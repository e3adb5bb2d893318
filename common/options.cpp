#include "options.hpp"

#include <cmath>
#include <cstdlib>

bool is_option(const std::string& argument, const std::string& name) {
  return argument == name || argument.rfind(name + "=", 0) == 0;
}

std::string option_value(const std::vector<std::string>& arguments, std::size_t& i, const std::string& name) {
  if (arguments[i].size() > name.size()) return arguments[i].substr(name.size() + 1);
  if (++i == arguments.size()) throw usage_error(name + " needs a value");
  return arguments[i];
}

std::string arguments_found(std::size_t n) { return std::to_string(n) + (n == 1 ? " argument" : " arguments"); }

std::uint64_t byte_count_option(const std::string& option, const std::string& text) {
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  const std::string suffix = text.substr(digits);
  int shift = 0;
  if (suffix == "K") shift = 10;
  else if (suffix == "M") shift = 20;
  else if (suffix == "G") shift = 30;
  else if (!suffix.empty()) digits = 0;
  // At most 15 digits and a shift of 30 stay far inside 64 bits.
  const std::uint64_t value = digits == 0 || digits > 15 ? 0 : std::stoull(text.substr(0, digits)) << shift;
  if (value == 0) throw usage_error(option + " takes a number of bytes such as 4G, not " + quoted(text));
  return value;
}

float positive_option(const std::string& option, const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  // Checked as the float it becomes: 1e39 is finite as a double and infinite as a float.
  if (text.empty() || *end != '\0' || !std::isfinite(static_cast<float>(value)) || !(static_cast<float>(value) > 0))
    throw usage_error(option + " takes a positive number, not " + quoted(text));
  return static_cast<float>(value);
}
