#include "name_table.hpp"

#include "hashing.hpp"

namespace {

// FNV-1a: names are a few bytes long, where it beats a general-purpose hash.
std::uint64_t hash_name(std::string_view name) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (const char c : name) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
  return mix_key(h);
}

}  // namespace

std::uint32_t name_table::intern(std::string_view name) {
  const std::uint64_t h = hash_name(name);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = h & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t held = slots_[slot];
    if (held == 0) {
      const auto number = static_cast<std::uint32_t>(names_.size());
      if (copies_names_) name = copies_.emplace_back(name);
      names_.push_back(name);
      hashes_.push_back(h);
      slots_[slot] = number + 1;
      if (2 * names_.size() > slots_.size()) rehash(2 * slots_.size());
      return number;
    }
    if (hashes_[held - 1] == h && names_[held - 1] == name) return held - 1;
  }
}

void name_table::rehash(std::size_t capacity) {
  slots_.assign(capacity, 0);
  const std::size_t mask = capacity - 1;
  for (std::uint32_t number = 0; number < names_.size(); ++number) {
    std::size_t slot = hashes_[number] & mask;
    while (slots_[slot] != 0) slot = (slot + 1) & mask;
    slots_[slot] = number + 1;
  }
}
