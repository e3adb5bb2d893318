#include "cell_list.hpp"

#include <cmath>
#include <cstdlib>

#include "coordinate_list.hpp"
#include "error.hpp"
#include "huge_pages.hpp"
#include "number_text.hpp"

void cell_list::compute_files(float c, std::string file_A, std::string file_B, std::string out_file) {
  set_cutoff(c);
  read_files(std::move(file_A), std::move(file_B));
  build_box();
  assign_points();
  print(std::move(out_file));
}

cell_list cell_list::for_points(float c, point_set list_A, point_set list_B) {
  cell_list grid;
  grid.set_cutoff(c);
  grid.load_points(std::move(list_A), std::move(list_B));
  grid.build_box();
  grid.assign_points();
  return grid;
}

cell_list cell_list::for_self_points(float c, point_set list) {
  cell_list grid;
  grid.set_cutoff(c);
  grid.n_points_A = grid.n_points_B = static_cast<std::uint32_t>(list.x.size());
  grid.labels_A = std::move(list.labels);
  grid.labels_B = grid.labels_A;
  grid.x_A = std::move(list.x), grid.y_A = std::move(list.y), grid.z_A = std::move(list.z);
  grid.same_lists = true;
  assign_on_huge_pages(grid.point_cell_A, grid.n_points_A);
  assign_on_huge_pages(grid.point_cell_B, grid.n_points_B);
  grid.build_box();
  grid.assign_points();
  return grid;
}

float read_cutoff(const std::string& text) {
  const auto value = static_cast<float>(std::atof(text.c_str()));
  if (!(value > 0.0f)) fail("the cut-off must be a positive number, not " + quoted(text));
  return value;
}

float finite_cutoff(float c) {
  char text[float_text_room];
  if (!(c > 0.0f)) fail("the cut-off must be a positive number, not " + std::string(text, write_float(text, c)));
  if (!std::isfinite(c)) fail("the cut-off must be a positive finite number, not " + std::string(text, write_float(text, c)));
  return c;
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
  load_points(read_text_file(file_A), read_text_file(file_B));
}

void cell_list::load_points(point_set list_A, point_set list_B) {
  n_points_A = static_cast<std::uint32_t>(list_A.x.size());
  n_points_B = static_cast<std::uint32_t>(list_B.x.size());
  labels_A = std::move(list_A.labels);
  labels_B = std::move(list_B.labels);
  x_A = std::move(list_A.x), y_A = std::move(list_A.y), z_A = std::move(list_A.z);
  x_B = std::move(list_B.x), y_B = std::move(list_B.y), z_B = std::move(list_B.z);
  assign_on_huge_pages(point_cell_A, n_points_A);
  assign_on_huge_pages(point_cell_B, n_points_B);
}

void cell_list::load_points(text_file list_A, text_file list_B) {
  text_A = std::move(list_A);
  text_B = std::move(list_B);
  require_text(text_A.name, text_A.bytes);
  require_text(text_B.name, text_B.bytes);
  n_points_A = static_cast<std::uint32_t>(line_count(text_A));
  n_points_B = static_cast<std::uint32_t>(line_count(text_B));
  assign_on_huge_pages(labels_A, n_points_A);
  assign_on_huge_pages(labels_B, n_points_B);
  for (auto* xs : {&x_A, &y_A, &z_A}) assign_on_huge_pages(*xs, n_points_A);
  for (auto* xs : {&x_B, &y_B, &z_B}) assign_on_huge_pages(*xs, n_points_B);
  assign_on_huge_pages(point_cell_A, n_points_A);
  assign_on_huge_pages(point_cell_B, n_points_B);
  read_3dvector(text_A, "\t", labels_A.data(), x_A.data(), y_A.data(), z_A.data());
  read_3dvector(text_B, "\t", labels_B.data(), x_B.data(), y_B.data(), z_B.data());
}
