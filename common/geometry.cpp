#include "geometry.hpp"

#include <cmath>

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
