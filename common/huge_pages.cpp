#include "huge_pages.hpp"

#include <sys/mman.h>

#include <cstdint>

void prefer_huge_pages(void* first, std::size_t bytes) {
  if (bytes < huge_page_threshold) return;
  constexpr std::uintptr_t huge = std::uintptr_t{1} << 21;
  const auto begin = (reinterpret_cast<std::uintptr_t>(first) + huge - 1) & ~(huge - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(first) + bytes) & ~(huge - 1);
  // Only a hint: where it is refused, the memory works as before.
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}
