#include "contact_map.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

#include "error.hpp"
#include "text_file.hpp"

namespace {

// A distance must be a finite, non-negative number and nothing else: a picture must not show a wrong value.
// Plain means what from_chars reads whole: an optional '-', digits with at most one '.', at least one digit,
// and an optional exponent; checked by hand, as the number itself has been read already.
bool is_plain_distance(std::string_view text, float distance) {
  while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) text.remove_suffix(1);
  std::size_t i = 0, digits = 0;
  const auto is_digit = [&text](std::size_t at) { return at < text.size() && text[at] >= '0' && text[at] <= '9'; };
  if (i < text.size() && text[i] == '-') ++i;
  while (is_digit(i)) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (is_digit(i)) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (!is_digit(j)) return false;
    while (is_digit(j)) ++j;
    i = j;
  }
  return i == text.size() && std::isfinite(distance) && distance >= 0;
}

// The axis of the residues that pass, in natural order (natural: every residue in that order), and each
// residue's position on it (or UINT32_MAX).
std::vector<map_residue> make_axis(const std::vector<map_residue>& residues, const std::vector<std::uint32_t>& natural,
                                   const std::vector<char>& on_axis, std::vector<std::uint32_t>& position) {
  position.assign(residues.size(), UINT32_MAX);
  std::vector<map_residue> axis;
  for (const std::uint32_t r : natural) {
    if (!on_axis[r]) continue;
    position[r] = static_cast<std::uint32_t>(axis.size());
    axis.push_back(residues[r]);
  }
  return axis;
}

// The residues' numbers in natural order. Chains are ranked once, so that most comparisons are of two
// integers; only residues of one chain and number (insertion codes) and those without a number compare further.
std::vector<std::uint32_t> in_natural_order(const std::vector<map_residue>& residues) {
  std::vector<std::string> chains;
  for (const map_residue& r : residues)
    if (r.key.numbered) chains.push_back(r.key.chain);
  std::sort(chains.begin(), chains.end());
  chains.erase(std::unique(chains.begin(), chains.end()), chains.end());
  struct ranked {
    std::uint64_t chain;  // rank of the chain; past every rank for a residue without a number
    long number;
    std::uint32_t residue;
  };
  std::vector<ranked> order;
  order.reserve(residues.size());
  for (std::uint32_t r = 0; r < residues.size(); ++r) {
    const residue_key& key = residues[r].key;
    const std::uint64_t chain = key.numbered ? static_cast<std::uint64_t>(std::lower_bound(chains.begin(), chains.end(), key.chain) - chains.begin())
                                             : UINT64_MAX;
    order.push_back({chain, key.numbered ? key.number : 0, r});
  }
  std::sort(order.begin(), order.end(), [&residues](const ranked& a, const ranked& b) {
    if (a.chain != b.chain) return a.chain < b.chain;
    if (a.number != b.number) return a.number < b.number;
    return natural_less(residues[a.residue].key, residues[b.residue].key);
  });
  std::vector<std::uint32_t> numbers(order.size());
  for (std::size_t k = 0; k < order.size(); ++k) numbers[k] = order[k].residue;
  return numbers;
}

// The cells in order of row, then column: a counting sort by row, then each row's few cells by column.
void sort_by_place(std::vector<map_cell>& cells, std::size_t n_rows) {
  std::vector<std::size_t> start(n_rows + 1, 0);
  for (const map_cell& c : cells) ++start[c.row + 1];
  for (std::size_t r = 0; r < n_rows; ++r) start[r + 1] += start[r];
  std::vector<map_cell> sorted(cells.size());
  std::vector<std::size_t> next(start.begin(), start.end() - 1);
  for (const map_cell& c : cells) sorted[next[c.row]++] = c;
  for (std::size_t r = 0; r < n_rows; ++r)
    std::sort(sorted.begin() + static_cast<std::ptrdiff_t>(start[r]), sorted.begin() + static_cast<std::ptrdiff_t>(start[r + 1]),
              [](const map_cell& a, const map_cell& b) { return a.column < b.column; });
  cells.swap(sorted);
}

}  // namespace

std::uint32_t contact_map::place(const contact_label& label, std::uint32_t& last) {
  // Consecutive lines mostly name the same residues: a comparison spares the hash.
  if (last < residues_.size() && same_name(residue_ids_.name(last), label.id)) return last;
  const std::uint32_t number = residue_ids_.intern(label.id);
  last = number;
  if (number == residues_.size()) {
    residues_.push_back({std::string(label.id), std::string(label.type), make_residue_key(label.id)});
    seen_first_.push_back(0);
    seen_second_.push_back(0);
  }
  return number;
}

bool contact_map::names_before(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) const {
  return std::make_pair(atoms_.name(a), atoms_.name(b)) < std::make_pair(atoms_.name(c), atoms_.name(d));
}

std::string contact_map::side_fault(const contact_line& contact) const {
  if (!rows_named_) return "";
  const bool first = row_ids_.count(std::string(contact.first.id)) != 0;
  const bool second = row_ids_.count(std::string(contact.second.id)) != 0;
  if (first != second) return "";
  return "residues " + quoted(contact.first.id) + " and " + quoted(contact.second.id) + (first ? " are both rows" : " are both columns (neither is a row)");
}

void contact_map::add(const contact_line& contact) {
  const std::uint32_t first = place(contact.first, last_first_);
  const std::uint32_t second = place(contact.second, last_second_);
  seen_first_[first] = 1;
  seen_second_[second] = 1;
  const std::uint64_t key = (std::uint64_t{first} << 32) | second;
  bool created = false;
  if (key != last_key_) {
    const auto next = static_cast<std::uint32_t>(cells_.size());
    last_cell_ = cell_index_.find_or_add(key, next);
    if (last_cell_ == next) {
      created = true;
      cells_.push_back({first, second, 0, 0, 0, 0});
    }
    last_key_ = key;
  }
  map_cell& cell = cells_[last_cell_];
  const float d = contact.distance;
  // Atom names are numbered only where a line may become its cell's closest: mostly once per cell.
  if (created || d <= cell.distance) {
    const std::uint32_t atom_first = atoms_.intern(contact.first.atom), atom_second = atoms_.intern(contact.second.atom);
    if (created || d < cell.distance || names_before(atom_first, atom_second, cell.atom_row, cell.atom_column)) {
      cell.distance = d;
      cell.atom_row = atom_first;
      cell.atom_column = atom_second;
    }
  }
  ++cell.contacts;
  if (contacts_ == 0 || d < smallest_distance_) smallest_distance_ = d;
  ++contacts_;
  largest_distance_ = std::max(largest_distance_, d);
}

std::vector<map_cell> contact_map::ordered_cells() {
  const std::size_t n = residues_.size();
  std::vector<char> is_row(n, 0), is_column(n, 0);
  if (rows_named_) {
    for (std::size_t r = 0; r < n; ++r) is_row[r] = row_ids_.count(residues_[r].id) != 0, is_column[r] = !is_row[r];
  } else {
    for (std::size_t r = 0; r < n && !square_; ++r) square_ = seen_first_[r] && seen_second_[r];
    for (std::size_t r = 0; r < n; ++r)
      is_row[r] = square_ || seen_first_[r], is_column[r] = square_ || seen_second_[r];
  }
  std::vector<std::uint32_t> natural = in_natural_order(residues_), row_position, column_position;
  rows_ = make_axis(residues_, natural, is_row, row_position);
  columns_ = make_axis(residues_, natural, is_column, column_position);

  // Each line's pair drawn with its row-side residue as the row (and, square, also the other way round); pairs
  // that land on one cell merge: the closest pair wins, the contacts add up.
  std::vector<map_cell> cells;
  cells.reserve(square_ ? 2 * cells_.size() : cells_.size());
  const auto draw = [&](std::uint32_t row, std::uint32_t column, std::uint32_t atom_row, std::uint32_t atom_column,
                        const map_cell& line) {
    cells.push_back({row_position[row], column_position[column], line.distance, atom_row, atom_column, line.contacts});
  };
  for (const map_cell& line : cells_) {
    const std::uint32_t first = line.row, second = line.column;
    if (square_) {
      draw(first, second, line.atom_row, line.atom_column, line);
      if (first != second) draw(second, first, line.atom_column, line.atom_row, line);
    } else if (is_row[first] && is_column[second]) {
      draw(first, second, line.atom_row, line.atom_column, line);
    } else if (is_row[second] && is_column[first]) {
      draw(second, first, line.atom_column, line.atom_row, line);
    } else {
      fail("residues " + quoted(residues_[first].id) + " and " + quoted(residues_[second].id) + " are in contact but " +
           (is_row[first] ? "both are" : "neither is") + " on the rows' side");
    }
  }
  std::vector<map_cell>().swap(cells_);
  cell_index_.clear();
  last_key_ = UINT64_MAX;
  sort_by_place(cells, rows_.size());
  // Merge the cells that landed on one place.
  std::size_t kept = 0;
  for (std::size_t c = 0; c < cells.size(); ++c) {
    if (kept > 0 && cells[kept - 1].row == cells[c].row && cells[kept - 1].column == cells[c].column) {
      map_cell& cell = cells[kept - 1];
      const std::uint64_t contacts = cell.contacts + cells[c].contacts;
      if (cells[c].distance < cell.distance ||
          (cells[c].distance == cell.distance &&
           names_before(cells[c].atom_row, cells[c].atom_column, cell.atom_row, cell.atom_column)))
        cell = cells[c];
      cell.contacts = contacts;
    } else {
      cells[kept++] = cells[c];
    }
  }
  cells.resize(kept);
  return cells;
}

void add_contact_line(contact_map& map, const std::string& file, std::size_t number, std::string_view line) {
  const contact_line contact = parse_contact_line(file, number, line);
  if (!is_plain_distance(contact.distance_text, contact.distance))
    fail_at(file, number, "distance " + quoted(contact.distance_text) + " is not a number");
  if (const std::string fault = map.side_fault(contact); !fault.empty()) fail_at(file, number, fault);
  map.add(contact);
}

void read_contact_map(const std::string& path, contact_map& map) {
  for_each_line_of_file(path, [&](std::string_view line, std::size_t number) { add_contact_line(map, path, number, line); });
}

std::unordered_set<std::string> read_row_residues(const std::string& path) {
  std::unordered_set<std::string> ids;
  for_each_line_of_file(path, [&](std::string_view line, std::size_t number) {
    const std::string_view label = line.substr(0, line.find('\t'));
    const std::size_t colon = label.find(':');
    if (colon == std::string_view::npos)
      fail_at(path, number, "label " + quoted(label) + " has no residue identifier before ':'");
    ids.emplace(label.substr(0, colon));
  });
  return ids;
}
