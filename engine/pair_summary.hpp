// One row of the summary table for a pair of sides, from its contacts as the search finds them (first side's
// atom first): atoms of each side, contacts, residue pairs, the closest distance, and each side's residues in
// natural order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

extern const char* const summary_header;

class pair_summary {
 public:
  void add(std::uint32_t residue_first, std::string_view id_first, std::uint32_t residue_second,
           std::string_view id_second, float distance);
  // "structure<TAB>first<TAB>second<TAB>first_atoms<TAB>...<TAB>second_residues\n"; a pair without contacts has
  // zeros and empty fields.
  std::string row(const std::string& structure, const std::string& first, const std::string& second,
                  std::size_t first_atoms, std::size_t second_atoms) const;
  std::uint64_t contacts() const { return contacts_; }
  std::size_t residue_pairs() const { return residue_pairs_.size(); }
  float closest() const { return closest_; }  // 0 without contacts
  // Each side's residues in contact, in natural order, comma-separated.
  std::string first_residues() const;
  std::string second_residues() const;

 private:
  std::unordered_map<std::uint32_t, std::string_view> first_, second_;
  std::unordered_set<std::uint64_t> residue_pairs_;
  std::uint64_t contacts_ = 0;
  float closest_ = 0;
};
