// Distinct names, numbered in order of first appearance. A contact list holds millions of labels but only a
// few hundred atom names and a few thousand residues: numbers make contacts small and comparisons cheap,
// and the names stay in cache when they are written out again.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

class name_table {
 public:
  // The number of name, given it at its first appearance. The name must outlive the table (it is kept as a view).
  std::uint32_t intern(std::string_view name);
  std::string_view name(std::uint32_t number) const { return names_[number]; }
  std::uint32_t size() const { return static_cast<std::uint32_t>(names_.size()); }

 private:
  void rehash(std::size_t capacity);

  std::vector<std::string_view> names_;
  std::vector<std::uint64_t> hashes_;
  // Open addressing: slot holds number + 1, or 0 when empty; at most half full.
  std::vector<std::uint32_t> slots_ = std::vector<std::uint32_t>(64, 0);
};
