// What every fuzz target asserts, and how it reads its input as small numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// A broken expectation: libFuzzer reports the input that led here.
#define FUZZ_CHECK(condition) ((condition) ? (void)0 : __builtin_trap())

// An error message is one short, printable line, whatever bytes the input held.
inline void check_message(std::string_view message) {
  FUZZ_CHECK(!message.empty() && message.size() <= 400);
  for (const char c : message) FUZZ_CHECK(c >= 0x20 && c < 0x7f);
}

// The input as a stream of small numbers; zeros once it runs out.
struct fuzz_bytes {
  const std::uint8_t* data;
  std::size_t size;
  std::uint8_t next() { return size == 0 ? 0 : (--size, *data++); }
  std::uint16_t next16() { return static_cast<std::uint16_t>(next() | next() << 8); }
};
