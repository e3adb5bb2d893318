#include "rounding.hpp"

#include <climits>
#include <cmath>

int truncate_to_int(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483648.0) return INT_MAX;
  if (value <= -2147483649.0) return INT_MIN;
  return static_cast<int>(value);
}

float line(float x1, float y1, float x2, float y2, float x) {
  const float slope = (y2 - y1) / (x2 - x1);
  const float product = (x2 - x) * slope;
  return y2 - product;
}

double round_double(double value, int decimals) {
  if (decimals <= 0) return static_cast<double>(truncate_to_int(value));
  const int ip = truncate_to_int(value);
  int p = 10;
  for (int i = 1; i < decimals && p < INT_MAX; ++i) p = p <= INT_MAX / 10 ? p * 10 : INT_MAX;
  const double f = (value - ip) * p;
  const int r = f - truncate_to_int(f) > 0.5 ? truncate_to_int(f + 1.0) : truncate_to_int(f);
  return ip + static_cast<double>(r) / p;
}

int near_round(double value) {
  const int t = truncate_to_int(value);
  return value - t >= 0.5 && t < INT_MAX ? t + 1 : t;
}

double dec_round(double value, int decimals) {
  double a = 10.0;
  // Written as i + 1 < decimals: decimals - 1 would overflow for INT_MIN. Once a is infinite it stays so.
  for (int i = 0; i + 1 < decimals && !std::isinf(a); ++i) a *= 10.0;
  return near_round(value * a) / a;
}
