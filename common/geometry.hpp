// Single-precision geometry of the contact finder. Every intermediate result is a float, so that a distance,
// and with it whether a pair is written, is the same on every x86-64 machine.
#pragma once

#include <cstdint>

// Largest of values[0..count-1]; element 0 is read whatever the count (count 0 gives it), a NaN never wins
// unless it is element 0.
float array_max(std::uint32_t count, const float* values);
// Smallest of values[0..count-1]; same rules as array_max.
float array_min(std::uint32_t count, const float* values);

// low <= value <= high; false for low > high and for any NaN.
bool between(float value, float low, float high);

// Euclidean distance: x and y terms summed first, then z, in float; the square root in double, narrowed.
float dist(float x1, float y1, float z1, float x2, float y2, float z2);
