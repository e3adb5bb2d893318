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

float positive_option(const std::string& option, const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(value) || !(static_cast<float>(value) > 0))
    throw usage_error(option + " takes a positive number, not " + quoted(text));
  return static_cast<float>(value);
}
