#include "coordinate_list.hpp"

#include <limits>

int line_count(const text_file& file) {
  std::size_t count = 0;
  for_each_line(file.bytes, [&count](std::string_view, std::size_t) { ++count; });
  if (count > static_cast<std::size_t>(std::numeric_limits<int>::max()))
    fail(file_name(file.name) + ": more than " + std::to_string(std::numeric_limits<int>::max()) + " points");
  return static_cast<int>(count);
}

int line_count(std::string file_name) { return line_count(read_text_file(file_name)); }

void read_3dvector(std::string file_name, std::string separator, std::string* labels, float* xs, float* ys,
                   float* zs) {
  read_3dvector(read_text_file(file_name), std::move(separator), labels, xs, ys, zs);
}

namespace detail {

void fail_field_count(const text_file& file, std::size_t line, std::size_t n_fields) {
  fail_at(file.name, line, "expected a label and three coordinates, found " + fields_found(n_fields));
}

void fail_coordinate(const text_file& file, std::size_t line, char axis, std::string_view field) {
  fail_at(file.name, line, std::string(1, axis) + " coordinate " + quoted(field) + " is not a finite number");
}

}  // namespace detail
