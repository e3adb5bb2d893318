#include "key_index.hpp"

#include "hashing.hpp"

std::uint32_t key_index::find_or_add(std::uint64_t key, std::uint32_t next) {
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = slot_of(key, mask);
  while (slots_[at].position != 0 && slots_[at].key != key) at = (at + 1) & mask;
  if (slots_[at].position != 0) return slots_[at].position - 1;
  slots_[at] = {key, next + 1};
  if (2 * ++held_ > slots_.size()) grow();
  return next;
}

void key_index::clear() {
  slots_.assign(1024, slot{});
  held_ = 0;
}

void key_index::grow() {
  std::vector<slot> old(2 * slots_.size());
  old.swap(slots_);
  const std::size_t mask = slots_.size() - 1;
  for (const slot& held : old) {
    if (held.position == 0) continue;
    std::size_t at = slot_of(held.key, mask);
    while (slots_[at].position != 0) at = (at + 1) & mask;
    slots_[at] = held;
  }
}
