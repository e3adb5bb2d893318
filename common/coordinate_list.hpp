// Coordinate lists: one labelled point per line, "label<TAB>x<TAB>y<TAB>z", further fields ignored.
// The i-th line that is not blank (counted from 0) is point i.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "error.hpp"
#include "number_text.hpp"
#include "split.hpp"
#include "text_file.hpp"

// Number of points of a coordinate list: its lines that are not blank.
int line_count(const text_file& file);
// The same for a file by name; the file is read once, here.
int line_count(std::string file_name);

namespace detail {

// Throws run_error at file:line when a point line is short or a coordinate is not finite as a float.
[[noreturn]] void fail_field_count(const text_file& file, std::size_t line, std::size_t n_fields);
[[noreturn]] void fail_coordinate(const text_file& file, std::size_t line, char axis, std::string_view field);

inline float read_coordinate(const text_file& file, std::size_t line, char axis, std::string_view field) {
  const float value = read_float(field);
  if (!std::isfinite(value)) fail_coordinate(file, line, axis, field);
  return value;
}

}  // namespace detail

// Stores the label and the atof coordinates, as floats, of point i at entry i of the four arrays, which hold at
// least line_count(file) entries. Label is std::string or std::string_view (a view into file.bytes).
// Throws run_error naming file and line for a point line of fewer than four fields or a coordinate that is
// not finite (nan, inf, 1e39).
template <class Label>
void read_3dvector(const text_file& file, std::string separator, Label* labels, float* xs, float* ys, float* zs) {
  std::string_view fields[4];
  std::vector<std::string> owned;  // only for a separator of several characters
  std::size_t i = 0;
  for_each_line(file.bytes, [&](std::string_view line, std::size_t number) {
    std::size_t n_fields = 0;
    if (separator.size() == 1) {
      n_fields = split_first(line, separator[0], fields, 4);
    } else {
      owned = split(std::string(line), separator);
      n_fields = std::min<std::size_t>(owned.size(), 4);
      for (std::size_t f = 0; f < n_fields; ++f) fields[f] = owned[f];
    }
    if (n_fields < 4) detail::fail_field_count(file, number, n_fields);
    labels[i] = Label(fields[0]);
    xs[i] = detail::read_coordinate(file, number, 'x', fields[1]);
    ys[i] = detail::read_coordinate(file, number, 'y', fields[2]);
    zs[i] = detail::read_coordinate(file, number, 'z', fields[3]);
    ++i;
  });
}

// The same for a file by name; the file is read once, here.
void read_3dvector(std::string file_name, std::string separator, std::string* labels, float* xs, float* ys,
                   float* zs);
