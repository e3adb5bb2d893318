// Large arrays on transparent huge pages where the system offers them on request: a first touch then costs
// one page fault per 2 MiB instead of one per 4 KiB, which on a virtual machine is most of the cost of
// reading a large input into memory.
#pragma once

#include <cstddef>


// Below this an array keeps ordinary pages: a huge page commits 2 MiB at its first touch, more than a small
// array of a typical structure needs (and more page faults' worth of zeroing than it saves).
constexpr std::size_t huge_page_threshold = std::size_t{32} << 20;

// Asks for huge pages over the whole 2 MiB blocks inside [first, first + bytes) when bytes reach the
// threshold; untouched memory only.
void prefer_huge_pages(void* first, std::size_t bytes);

// Makes c hold n value-initialized elements (zeros), on huge pages when it is large and newly allocated.
template <class Container>
void assign_on_huge_pages(Container& c, std::size_t n) {
  c.clear();
  c.reserve(n);
  prefer_huge_pages(c.data(), n * sizeof(typename Container::value_type));
  c.resize(n);
}
