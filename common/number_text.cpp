#include "number_text.hpp"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>

float read_float(std::string_view field) {
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

char* write_float(char* first, float value) {
  return std::to_chars(first, first + float_text_room, value, std::chars_format::general, 6).ptr;
}
