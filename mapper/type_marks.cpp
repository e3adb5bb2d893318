#include "type_marks.hpp"

#include <algorithm>

#include "error.hpp"
#include "formatting.hpp"
#include "text_file.hpp"

namespace {

std::string key(std::string_view row_id, std::string_view column_id) {
  std::string k(row_id);
  k += '\n';  // no identifier holds a line break
  k.append(column_id);
  return k;
}

}  // namespace

const std::vector<std::string>& type_marks::order() {
  static const std::vector<std::string> names = {"covalent",        "metal",             "salt_bridge",
                                                 "hydrogen_bond",   "halogen_bond",      "cation_pi",
                                                 "stacking_parallel", "stacking_t_shaped", "water_bridge",
                                                 "hydrophobic"};
  return names;
}

bool type_marks::add(std::string_view row_id, std::string_view column_id, std::string_view type) {
  const auto& names = order();
  const auto found = std::find(names.begin(), names.end(), type);
  if (found == names.end()) return false;
  const int mark = static_cast<int>(found - names.begin());
  for (const std::string& k : {key(row_id, column_id), key(column_id, row_id)}) {
    const auto placed = marks_.try_emplace(k, mark);
    if (!placed.second) placed.first->second = std::min(placed.first->second, mark);
  }
  return true;
}

int type_marks::of(std::string_view row_id, std::string_view column_id) const {
  const auto found = marks_.find(key(row_id, column_id));
  return found == marks_.end() ? -1 : found->second;
}

std::vector<int> type_marks::used() const {
  std::vector<int> marks;
  for (const auto& entry : marks_) marks.push_back(entry.second);
  std::sort(marks.begin(), marks.end());
  marks.erase(std::unique(marks.begin(), marks.end()), marks.end());
  return marks;
}

namespace {

std::vector<std::string_view> fields_of(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t from = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', from);
    fields.push_back(line.substr(from, tab == std::string_view::npos ? std::string_view::npos : tab - from));
    if (tab == std::string_view::npos) return fields;
    from = tab + 1;
  }
}

}  // namespace

type_marks read_type_marks(const std::string& path) {
  const text_file file = read_text_file(path);
  require_text(path, file.bytes);
  type_marks marks;
  std::vector<std::size_t> at;
  std::size_t columns = 0;
  for_each_line(file.bytes, [&](std::string_view line, std::size_t number) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::vector<std::string_view> fields = fields_of(line);
    if (at.empty()) {
      for (const char* name : {"chain1", "number1", "icode1", "chain2", "number2", "icode2", "image2", "type"}) {
        const auto found = std::find(fields.begin(), fields.end(), name);
        if (found == fields.end())
          fail_at(path, number, std::string("not an interactions table: no column '") + name + "'");
        at.push_back(static_cast<std::size_t>(found - fields.begin()));
      }
      columns = fields.size();
      return;
    }
    if (fields.size() != columns)
      fail_at(path, number, "expected " + std::to_string(columns) + " fields, found " + std::to_string(fields.size()));
    std::string partner = residue_id(name_from_table(fields[at[3]]), fields[at[4]], fields[at[5]]);
    if (!fields[at[6]].empty()) partner.append("@").append(fields[at[6]]);
    marks.add(residue_id(name_from_table(fields[at[0]]), fields[at[1]], fields[at[2]]), partner, fields[at[7]]);
  });
  if (at.empty()) fail(file_name(path) + ": not an interactions table: no header");
  return marks;
}

const char* mark_colour(int mark) {
  static const char* const colours[] = {"#000000", "#7f7f7f", "#e41a1c", "#ff7f00", "#a65628",
                                        "#f781bf", "#ffffff", "#ffff33", "#4daee8", "#4daf4a"};
  return colours[mark];
}
