// Distinct names, numbered in order of first appearance. A contact list holds millions of labels but only a
// few hundred atom names and a few thousand residues: numbers make contacts small and comparisons cheap,
// and the names stay in cache when they are written out again.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

class name_table {
 public:
  // A table that keeps a copy of each name (for names read block by block) or, by default, views of them.
  explicit name_table(bool copies_names = false) : copies_names_(copies_names) {}
  // The number of name, given it at its first appearance. Unless the table copies names, the name must outlive
  // it (it is kept as a view).
  std::uint32_t intern(std::string_view name) {
    const std::uint64_t head = head_of(name);
    if (name.size() > 8) return intern(name, head);
    // A line names the same few atoms and neighbouring residues as the lines before it: the names met last sit
    // in a small table that stays in cache, in front of the large one.
    recent& met = recent_[((head + name.size()) * 0x9e3779b97f4a7c15ull) >> 58];
    if (met.number != 0 && met.head == head && met.size == name.size()) return met.number - 1;
    const std::uint32_t number = intern(name, head);
    met = {head, static_cast<std::uint32_t>(name.size()), number + 1};
    return number;
  }
  std::string_view name(std::uint32_t number) const { return names_[number]; }
  std::uint32_t size() const { return static_cast<std::uint32_t>(names_.size()); }

 private:
  // A name's first eight bytes and its length, kept in its slot: names of up to eight bytes (almost all atom
  // names and residue identifiers) are found without touching their text, which may lie far back in the input.
  struct slot {
    std::uint64_t head = 0;
    std::uint32_t size = 0;
    std::uint32_t number = 0;  // number + 1; 0: empty
  };
  static std::uint64_t head_of(std::string_view name) {
    std::uint64_t head = 0;
    const std::size_t n = name.size() < 8 ? name.size() : 8;
    for (std::size_t i = 0; i < n; ++i) head |= std::uint64_t{static_cast<unsigned char>(name[i])} << (8 * i);
    return head;
  }
  std::uint32_t intern(std::string_view name, std::uint64_t head);
  static std::uint64_t hash(std::string_view name, std::uint64_t head);
  void rehash(std::size_t capacity);

  bool copies_names_;
  std::deque<std::string> copies_;  // a deque: growing moves none, so views of the copies stay valid
  std::vector<std::string_view> names_;
  // Open addressing, at most half full.
  std::vector<slot> slots_ = std::vector<slot>(64);
  using recent = slot;
  std::array<recent, 64> recent_{};
};

// Whether two names are equal, compared inline: names are a few bytes long, shorter than a library call pays off
// for, and compared once or twice a line.
inline bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return false;
  return true;
}
