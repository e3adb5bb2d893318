// Single-precision geometry of the contact finder. Every intermediate result is a float, so that a distance,
// and with it whether a pair is written, is the same on every x86-64 machine.
#pragma once

#include <cmath>
#include <cstdint>

// Largest of values[0..count-1]; element 0 is read whatever the count (count 0 gives it), a NaN never wins
// unless it is element 0.
float array_max(std::uint32_t count, const float* values);
// Smallest of values[0..count-1]; same rules as array_max.
float array_min(std::uint32_t count, const float* values);

// Whether none of values[0..count-1] is infinite or NaN; count 0 gives true.
bool all_finite(std::uint32_t count, const float* values);

// low <= value <= high; false for low > high and for any NaN.
bool between(float value, float low, float high);

// Square of the Euclidean distance: x and y terms summed first, then z, in float.
inline float square_dist(float x1, float y1, float z1, float x2, float y2, float z2) {
  const float dx = x1 - x2;
  const float dy = y1 - y2;
  const float dz = z1 - z2;
  const float s = dx * dx + dy * dy;
  return dz * dz + s;
}
// The distance of a square_dist: its square root in double, narrowed.
inline float distance_from_square(float s) { return static_cast<float>(std::sqrt(static_cast<double>(s))); }
// Euclidean distance, inline: the search calls it for every candidate pair.
inline float dist(float x1, float y1, float z1, float x2, float y2, float z2) {
  return distance_from_square(square_dist(x1, y1, z1, x2, y2, z2));
}
