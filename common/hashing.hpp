// The one key mixer of the open-addressing tables. Keys such as cell indexes or two packed numbers differ
// mostly in bits that a plain multiply leaves out of a small table's slot, so every bit of the key is mixed
// into every bit of the hash.
#pragma once

#include <cstddef>
#include <cstdint>

// A bijective 64-bit finaliser: keys that differ in any bit differ in about half the bits of the result.
inline std::uint64_t mix_key(std::uint64_t key) {
  key ^= key >> 33;
  key *= 0xff51afd7ed558ccdull;
  key ^= key >> 33;
  key *= 0xc4ceb9fe1a85ec53ull;
  key ^= key >> 33;
  return key;
}

// Slot of key in a table of mask + 1 slots (a power of two).
inline std::size_t slot_of(std::uint64_t key, std::size_t mask) { return static_cast<std::size_t>(mix_key(key)) & mask; }
