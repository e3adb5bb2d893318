#include "cell_list.hpp"

#include "coordinate_list.hpp"
#include "error.hpp"
#include "number_text.hpp"

void cell_list::compute_files(float c, std::string file_A, std::string file_B, std::string out_file) {
  set_cutoff(c);
  read_files(std::move(file_A), std::move(file_B));
  build_box();
  assign_points();
  print(std::move(out_file));
}

void cell_list::set_cutoff(float c) {
  if (!(c > 0.0f)) {
    char text[float_text_room];
    fail("the cut-off must be a positive number, not " + std::string(text, write_float(text, c)));
  }
  cutoff = c;
}

void cell_list::read_files(std::string file_A, std::string file_B) {
  // Each file is read once; counting and loading both work on that one copy of its bytes.
  text_A = read_text_file(file_A);
  text_B = read_text_file(file_B);
  n_points_A = static_cast<std::uint32_t>(line_count(text_A));
  n_points_B = static_cast<std::uint32_t>(line_count(text_B));
  labels_A.assign(n_points_A, std::string_view());
  labels_B.assign(n_points_B, std::string_view());
  x_A.resize(n_points_A);
  y_A.resize(n_points_A);
  z_A.resize(n_points_A);
  x_B.resize(n_points_B);
  y_B.resize(n_points_B);
  z_B.resize(n_points_B);
  point_cell_A.assign(n_points_A, {0, 0});
  point_cell_B.assign(n_points_B, {0, 0});
  read_3dvector(text_A, "\t", labels_A.data(), x_A.data(), y_A.data(), z_A.data());
  read_3dvector(text_B, "\t", labels_B.data(), x_B.data(), y_B.data(), z_B.data());
}
