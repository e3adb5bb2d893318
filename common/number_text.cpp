#include "number_text.hpp"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

float read_with_strtod(std::string_view field) {
  // strtod needs a terminated text; a field is short, so a copy on the stack bounds it cheaply.
  char local[64];
  if (field.size() < sizeof local) {
    std::memcpy(local, field.data(), field.size());
    local[field.size()] = '\0';
    return static_cast<float>(std::strtod(local, nullptr));
  }
  const std::string copy(field);
  return static_cast<float>(std::strtod(copy.c_str(), nullptr));
}

}  // namespace

float read_float(std::string_view field) {
  // from_chars rounds decimal text to the nearest double exactly as strtod does, several times faster, but
  // it reads plain decimals only: blanks, "+", hexadecimal, inf, nan and out-of-range values go to strtod.
  const char* first = field.data();
  const char* last = first + field.size();
  const char* digits = first != last && *first == '-' ? first + 1 : first;
  if (digits != last && ((*digits >= '0' && *digits <= '9') || *digits == '.') &&
      !(digits[0] == '0' && last - digits > 1 && (digits[1] == 'x' || digits[1] == 'X'))) {
    double value = 0;
    if (std::from_chars(first, last, value).ec == std::errc()) return static_cast<float>(value);
  }
  return read_with_strtod(field);
}

char* write_float(char* first, float value) {
  return std::to_chars(first, first + float_text_room, value, std::chars_format::general, 6).ptr;
}
