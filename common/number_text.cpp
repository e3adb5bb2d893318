#include "number_text.hpp"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

float read_with_strtod(std::string_view field) {
  // strtod needs a terminated text; a field is short, so a copy on the stack bounds it cheaply.
  char local[64];
  if (field.size() < sizeof local) {
    std::memcpy(local, field.data(), field.size());
    local[field.size()] = '\0';
    return static_cast<float>(std::strtod(local, nullptr));
  }
  const std::string copy(field);
  return static_cast<float>(std::strtod(copy.c_str(), nullptr));
}

constexpr std::uint64_t powers_of_ten[] = {1,         10,         100,         1000,         10000,         100000,
                                           1000000,   10000000,   100000000,   1000000000,   10000000000,   100000000000};

// 10^0 to 10^15 as doubles, every one exact.
constexpr double powers_of_ten_exact[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// Whether m / 2^shift >= 10^j, exactly; shift <= 41, -6 <= j <= 6, m < 2^24 keep every product below 2^64.
bool at_least_power(std::uint64_t m, int shift, int j) {
  if (j >= 0) return (powers_of_ten[j] << shift) <= m;
  return (std::uint64_t{1} << shift) <= m * powers_of_ten[-j];
}

// The six significant digits of a positive float below 2^20 and at least 2^-17 in fixed notation, as "%.6g"
// writes it, with integer arithmetic on the exact binary value; nullptr where "%.6g" takes the exponent form.
char* write_fixed(char* out, std::uint32_t bits) {
  const std::uint64_t m = (bits & 0x7fffffu) | 0x800000u;
  const int shift = 150 - static_cast<int>(bits >> 23);  // value = m / 2^shift
  // Decimal exponent k with 10^k <= value < 10^(k+1): the binary exponent gives it to within one.
  int k = ((23 - shift) * 1233) >> 12;  // floor((23 - shift) * log10(2)), close enough for this range
  if (k > 6) k = 6;
  if (k < -6) k = -6;
  while (k > -6 && !at_least_power(m, shift, k)) --k;
  while (k < 6 && at_least_power(m, shift, k + 1)) ++k;
  if (k > 5) return nullptr;
  // digits = value * 10^(5 - k), rounded half to even, as printf rounds the exact value.
  const std::uint64_t scaled = m * powers_of_ten[5 - k];
  std::uint64_t digits = scaled >> shift;
  const std::uint64_t rest = scaled & ((std::uint64_t{1} << shift) - 1);
  const std::uint64_t half = std::uint64_t{1} << (shift - 1);
  if (rest > half || (rest == half && (digits & 1) != 0)) ++digits;
  if (digits == 1000000) {
    digits = 100000;
    ++k;
  }
  if (k < -4 || k > 5) return nullptr;
  char text[6];
  for (int i = 5; i >= 0; --i, digits /= 10) text[i] = static_cast<char>('0' + digits % 10);
  int last = 5;
  while (last > 0 && text[last] == '0') --last;  // trailing zeros go, the leading digit is never 0
  if (k >= 0) {
    for (int i = 0; i <= k; ++i) *out++ = text[i];
    if (last > k) {
      *out++ = '.';
      for (int i = k + 1; i <= last; ++i) *out++ = text[i];
    }
  } else {
    *out++ = '0';
    *out++ = '.';
    for (int i = -1; i > k; --i) *out++ = '0';
    for (int i = 0; i <= last; ++i) *out++ = text[i];
  }
  return out;
}

// Plain decimal text of at most 15 digits ("3.14159", "-0.5", "12"), not followed by an exponent: the integer
// of its digits and the power of ten to divide it by are both exact doubles, so one division rounds exactly as
// from_chars does. Returns false, writing nothing, for anything else.
bool read_short_decimal(const char* first, const char* last, double& value) {
  const char* p = first;
  const bool negative = p != last && *p == '-';
  if (negative) ++p;
  std::uint64_t digits = 0;
  int n_digits = 0, n_fraction = 0;
  for (; p != last && static_cast<unsigned>(*p - '0') < 10; ++p, ++n_digits) digits = 10 * digits + static_cast<unsigned>(*p - '0');
  if (p != last && *p == '.') {
    for (++p; p != last && static_cast<unsigned>(*p - '0') < 10; ++p, ++n_digits, ++n_fraction)
      digits = 10 * digits + static_cast<unsigned>(*p - '0');
  }
  if (n_digits == 0 || n_digits > 15 || (p != last && (*p == 'e' || *p == 'E'))) return false;
  value = static_cast<double>(digits) / static_cast<double>(powers_of_ten_exact[n_fraction]);
  if (negative) value = -value;
  return true;
}

}  // namespace

float read_float(std::string_view field) {
  // from_chars rounds decimal text to the nearest double exactly as strtod does, several times faster, but
  // it reads plain decimals only: blanks, "+", hexadecimal, inf, nan and out-of-range values go to strtod.
  const char* first = field.data();
  const char* last = first + field.size();
  const char* digits = first != last && *first == '-' ? first + 1 : first;
  if (digits != last && ((*digits >= '0' && *digits <= '9') || *digits == '.') &&
      !(digits[0] == '0' && last - digits > 1 && (digits[1] == 'x' || digits[1] == 'X'))) {
    double value = 0;
    if (read_short_decimal(first, last, value)) return static_cast<float>(value);
    if (std::from_chars(first, last, value).ec == std::errc()) return static_cast<float>(value);
  }
  return read_with_strtod(field);
}

char* write_float(char* first, float value) {
  // Distances are positive and of modest size: those take the integer path, several times faster than
  // to_chars; everything else, to_chars itself.
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const std::uint32_t biased = bits >> 23;  // sign bit 0: positive
  if (biased >= 127 - 17 && biased < 127 + 20) {
    if (char* end = write_fixed(first, bits)) return end;
  }
  return std::to_chars(first, first + float_text_room, value, std::chars_format::general, 6).ptr;
}

float as_written(float value) {
  char text[float_text_room];
  return read_float(std::string_view(text, static_cast<std::size_t>(write_float(text, value) - text)));
}
