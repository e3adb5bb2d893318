#include "contact_map.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>
#include <utility>

#include "error.hpp"
#include "text_file.hpp"

namespace {

// A distance must be a finite, non-negative number and nothing else: a picture must not show a wrong value.
bool is_plain_distance(std::string_view text, float distance) {
  while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) text.remove_suffix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && std::isfinite(distance) && distance >= 0;
}

// Positions after sorting the axis naturally: position[old index].
std::vector<std::uint32_t> sort_axis(std::vector<map_residue>& axis) {
  std::vector<std::uint32_t> order(axis.size());
  std::iota(order.begin(), order.end(), 0u);
  std::sort(order.begin(), order.end(),
            [&axis](std::uint32_t a, std::uint32_t b) { return natural_less(axis[a].key, axis[b].key); });
  std::vector<std::uint32_t> position(axis.size());
  std::vector<map_residue> sorted;
  sorted.reserve(axis.size());
  for (std::uint32_t p = 0; p < order.size(); ++p) {
    position[order[p]] = p;
    sorted.push_back(std::move(axis[order[p]]));
  }
  axis = std::move(sorted);
  return position;
}

}  // namespace

std::uint32_t contact_map::place(std::vector<map_residue>& axis, std::unordered_map<std::string, std::uint32_t>& index,
                                 const contact_label& label, std::string& last_id, std::uint32_t& last_place) {
  if (!axis.empty() && label.id == last_id) return last_place;
  last_id.assign(label.id);
  const auto [entry, created] = index.try_emplace(last_id, static_cast<std::uint32_t>(axis.size()));
  if (created) axis.push_back({last_id, std::string(label.type), make_residue_key(label.id)});
  last_place = entry->second;
  return last_place;
}

void contact_map::add(const contact_line& contact) {
  const std::uint32_t row = place(rows_, row_index_, contact.first, last_row_, last_row_place_);
  const std::uint32_t column = place(columns_, column_index_, contact.second, last_column_, last_column_place_);
  const auto [entry, created] = cells_.try_emplace((std::uint64_t{row} << 32) | column);
  map_cell& cell = entry->second;
  const float d = contact.distance;
  if (created || d < cell.distance ||
      (d == cell.distance && std::make_pair(contact.first.atom, contact.second.atom) <
                                 std::make_pair(std::string_view(cell.atom_row), std::string_view(cell.atom_column)))) {
    cell.row = row;
    cell.column = column;
    cell.distance = d;
    cell.atom_row.assign(contact.first.atom);
    cell.atom_column.assign(contact.second.atom);
  }
  ++cell.contacts;
  ++contacts_;
  largest_distance_ = std::max(largest_distance_, d);
}

std::vector<map_cell> contact_map::ordered_cells() {
  const std::vector<std::uint32_t> row_position = sort_axis(rows_);
  const std::vector<std::uint32_t> column_position = sort_axis(columns_);
  std::vector<map_cell> cells;
  cells.reserve(cells_.size());
  for (auto& entry : cells_) {
    map_cell& cell = entry.second;
    cell.row = row_position[cell.row];
    cell.column = column_position[cell.column];
    cells.push_back(std::move(cell));
  }
  cells_.clear();
  std::sort(cells.begin(), cells.end(), [](const map_cell& a, const map_cell& b) {
    return a.row != b.row ? a.row < b.row : a.column < b.column;
  });
  return cells;
}

void add_contact_line(contact_map& map, const std::string& file, std::size_t number, std::string_view line) {
  const contact_line contact = parse_contact_line(file, number, line);
  if (!is_plain_distance(contact.distance_text, contact.distance))
    fail_at(file, number, "distance " + quoted(contact.distance_text) + " is not a number");
  map.add(contact);
}

contact_map read_contact_map(const std::string& path) {
  contact_map map;
  for_each_line_of_file(path, [&](std::string_view line, std::size_t number) { add_contact_line(map, path, number, line); });
  return map;
}
