#include "formatting.hpp"

#include <cstdlib>
#include <sstream>

#include "rounding.hpp"

bool isNumeric(std::string text) {
  std::istringstream in(text);
  float value;
  in >> value;
  return !in.fail();
}

namespace {

template <class T>
std::string stream_text(T value) {
  std::stringstream out;
  out << value;
  return out.str();
}

}  // namespace

std::string num2string(double value) { return stream_text(value); }
std::string num2string(int value) { return stream_text(value); }
std::string num2string(unsigned int value) { return stream_text(value); }

std::string strip(std::string text, std::string characters) {
  if (text.size() < characters.size()) return text;
  if (text.size() == characters.size()) return text == characters ? std::string() : text;
  const std::size_t first = text.find_first_not_of(characters);
  if (first == std::string::npos) return std::string();
  const std::size_t last = text.find_last_not_of(characters);
  return text.substr(first, last - first + 1);
}

int word_count(std::string text, std::string pattern) {
  int count = 0;
  for (std::size_t hit = text.find(pattern); hit != std::string::npos; hit = text.find(pattern, hit + 1)) ++count;
  return count;
}

std::string align(std::string text, unsigned int width, std::string mode) {
  if (text.size() >= width) return text.substr(0, width);
  const std::string fill(width - text.size(), ' ');
  return mode == "l" ? text + fill : fill + text;
}

std::string strf(std::string number_text, int decimals, bool plus_sign) {
  if (!isNumeric(number_text)) return number_text;
  const float value = static_cast<float>(std::atof(number_text.c_str()));
  std::string copy = value >= 0.0f ? "+" + number_text : number_text;
  if (decimals == 0) return num2string(truncate_to_int(value));
  const std::size_t zeros = decimals > 0 ? static_cast<std::size_t>(decimals) : 0;
  std::string result;
  const std::size_t point = copy.find('.');
  if (point != std::string::npos) {
    copy.append(zeros, '0');
    const std::size_t kept = decimals > 0 ? zeros : std::string::npos;
    result = copy.substr(0, point) + "." + copy.substr(point + 1, kept);
  } else {
    result = copy + "." + std::string(zeros, '0');
  }
  if (plus_sign || result[0] == '-') return result;
  return result.substr(1);
}

std::string strf(float value, int decimals, bool plus_sign) {
  return strf(num2string(static_cast<double>(value)), decimals, plus_sign);
}

std::string name_from_table(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 1 < field.size()) {
      const char next = field[++i];
      out += next == 't' ? '\t' : next == 'n' ? '\n' : next;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::string residue_id(std::string_view chain, std::string_view number, std::string_view icode) {
  std::string id(chain);
  if (!id.empty() && (id.back() == '-' || (id.back() >= '0' && id.back() <= '9'))) id += '_';
  return id.append(number).append(icode);
}

std::string table_name(std::string_view name) {
  std::string text;
  for (const char c : name) {
    if (c == '\t')
      text += "\\t";
    else if (c == '\n')
      text += "\\n";
    else if (c == '\\')
      text += "\\\\";
    else
      text += c;
  }
  return text;
}
