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

float dist(float x1, float y1, float z1, float x2, float y2, float z2) {
  const float dx = x1 - x2;
  const float dy = y1 - y2;
  const float dz = z1 - z2;
  float s = dx * dx + dy * dy;
  s = dz * dz + s;
  return static_cast<float>(std::sqrt(static_cast<double>(s)));
}
