#include "error.hpp"

std::string printable(std::string_view text, std::size_t max_chars) {
  static const char hex[] = "0123456789abcdef";
  std::string out;
  for (const char c : text) {
    if (out.size() >= max_chars) return out + "...";
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      out += "\\\\";
    } else if (byte >= 0x20 && byte < 0x7f) {
      out += c;
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += "\\x";
      out += hex[byte >> 4];
      out += hex[byte & 15];
    }
  }
  return out;
}
