// Straight-line interpolation and three ways of rounding. The rounding functions pass through int; values
// beyond its range saturate at INT_MIN and INT_MAX (NaN gives 0) instead of the undefined conversion.
#pragma once

// The value truncated toward zero to an int, saturating at the int limits; NaN gives 0.
int truncate_to_int(double value);

// Ordinate at x of the line through (x1, y1) and (x2, y2), in float: y2 - (x2 - x) * slope. Equal x1 and x2
// give inf or NaN.
float line(float x1, float y1, float x2, float y2, float x);

// Cuts the value at `decimals` digits, rounding up only when the cut-off remainder is strictly more than one
// half (0.125 to 2 gives 0.12, 0.996 to 2 gives 1); negative values are only truncated (-1.237 gives -1.23).
// decimals <= 0 truncates to an integer. The power of ten is an int and saturates: beyond 9 decimals it is
// INT_MAX, not 10^decimals.
double round_double(double value, int decimals);

// Non-negative values rounded half up (2.5 gives 3); negative values truncated toward zero (-2.7 gives -2).
int near_round(double value);

// near_round(value * 10^decimals) / 10^decimals, where 0 and negative decimals count as 1 (1.375 gives 1.4):
// exact halves of non-negative values go up (0.125 to 2 gives 0.13), negative values are truncated (-1.26 to
// 1 gives -1.2).
double dec_round(double value, int decimals);
