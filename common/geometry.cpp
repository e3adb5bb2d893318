#include "geometry.hpp"

#include <cmath>
#include <cstring>

float array_max(std::uint32_t count, const float* values) {
  float extreme = values[0];
  for (std::uint32_t i = 0; i < count; ++i)
    if (values[i] > extreme) extreme = values[i];
  return extreme;
}

float array_min(std::uint32_t count, const float* values) {
  float extreme = values[0];
  for (std::uint32_t i = 0; i < count; ++i)
    if (values[i] < extreme) extreme = values[i];
  return extreme;
}

bool between(float value, float low, float high) { return value >= low && high >= value; }

bool all_finite(std::uint32_t count, const float* values) {
  // On the bits, with no branch: an all-ones exponent is an infinity or a NaN, and the loop stays one pass.
  std::uint32_t bad = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, values + i, sizeof bits);
    bad |= static_cast<std::uint32_t>((bits & 0x7f800000u) == 0x7f800000u);
  }
  return bad == 0;
}
