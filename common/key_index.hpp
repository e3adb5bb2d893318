// Positions in a caller's array found by 64-bit keys (residue pairs, cells): open addressing, each slot holding
// its key, so that a probe reads one slot and nothing else; at most half full.
#pragma once

#include <cstdint>
#include <vector>

class key_index {
 public:
  // The position held for key; the first time, next (the caller's next position), held from then on.
  std::uint32_t find_or_add(std::uint64_t key, std::uint32_t next);
  // Forgets every key, keeping little memory.
  void clear();

 private:
  struct slot {
    std::uint64_t key = 0;
    std::uint32_t position = 0;  // position + 1; 0: empty
  };
  void grow();

  std::vector<slot> slots_ = std::vector<slot>(1024);
  std::size_t held_ = 0;
};
