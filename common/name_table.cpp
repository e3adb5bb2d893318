#include "name_table.hpp"

std::uint64_t name_table::hash(std::string_view name, std::uint64_t head) {
  // One multiply, its high half folded onto the low one that picks the slot: names are looked up once or twice
  // a line, where a full mixer's cost shows.
  std::uint64_t h = head + name.size();
  // The rest of a long name, FNV-1a: such names are rare and short.
  for (std::size_t i = 8; i < name.size(); ++i) h = (h ^ static_cast<unsigned char>(name[i])) * 0x100000001b3ull;
  h *= 0x9e3779b97f4a7c15ull;
  return h ^ (h >> 32);
}

std::uint32_t name_table::intern(std::string_view name, std::uint64_t head) {
  const auto size = static_cast<std::uint32_t>(name.size());
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash(name, head) & mask;; at = (at + 1) & mask) {
    const slot& held = slots_[at];
    if (held.number == 0) {
      const auto number = static_cast<std::uint32_t>(names_.size());
      if (copies_names_) name = copies_.emplace_back(name);
      names_.push_back(name);
      slots_[at] = {head, size, number + 1};
      if (2 * names_.size() > slots_.size()) rehash(2 * slots_.size());
      return number;
    }
    if (held.head == head && held.size == size && (size <= 8 || names_[held.number - 1] == name))
      return held.number - 1;
  }
}

void name_table::rehash(std::size_t capacity) {
  std::vector<slot> old(capacity);
  old.swap(slots_);
  const std::size_t mask = capacity - 1;
  for (const slot& held : old) {
    if (held.number == 0) continue;
    std::size_t at = hash(names_[held.number - 1], held.head) & mask;
    while (slots_[at].number != 0) at = (at + 1) & mask;
    slots_[at] = held;
  }
}
