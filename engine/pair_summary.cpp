#include "pair_summary.hpp"

#include <algorithm>
#include <vector>

#include "number_text.hpp"
#include "residue_order.hpp"

const char* const summary_header =
    "structure\tfirst\tsecond\tfirst_atoms\tsecond_atoms\tcontacts\tresidue_pairs\tclosest\tfirst_residues\t"
    "second_residues\n";

namespace {

std::string natural_list(const std::unordered_map<std::uint32_t, std::string_view>& residues) {
  std::vector<residue_key> keys;
  keys.reserve(residues.size());
  for (const auto& entry : residues) keys.push_back(make_residue_key(entry.second));
  std::sort(keys.begin(), keys.end(), natural_less);
  std::string list;
  for (const residue_key& key : keys) (list += list.empty() ? "" : ",") += key.text;
  return list;
}

}  // namespace

void pair_summary::add(std::uint32_t residue_first, std::string_view id_first, std::uint32_t residue_second,
                       std::string_view id_second, float distance) {
  first_.emplace(residue_first, id_first);
  second_.emplace(residue_second, id_second);
  // A residue pair is unordered: a self list meets one pair in both atom orders, and counts it once.
  const std::uint32_t low = std::min(residue_first, residue_second), high = std::max(residue_first, residue_second);
  residue_pairs_.insert((std::uint64_t{low} << 32) | high);
  if (contacts_ == 0 || distance < closest_) closest_ = distance;
  ++contacts_;
}

std::string pair_summary::first_residues() const { return natural_list(first_); }
std::string pair_summary::second_residues() const { return natural_list(second_); }

std::string pair_summary::row(const std::string& structure, const std::string& first, const std::string& second,
                              std::size_t first_atoms, std::size_t second_atoms) const {
  std::string closest;
  if (contacts_ > 0) {
    char text[float_text_room];
    closest.assign(text, write_float(text, closest_));
  }
  return structure + '\t' + first + '\t' + second + '\t' + std::to_string(first_atoms) + '\t' +
         std::to_string(second_atoms) + '\t' + std::to_string(contacts_) + '\t' + std::to_string(residue_pairs_.size()) +
         '\t' + closest + '\t' + natural_list(first_) + '\t' + natural_list(second_) + '\n';
}
