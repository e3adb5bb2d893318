// The text, number, rounding and collection helpers of the shared utilities.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "collections.hpp"
#include "formatting.hpp"
#include "geometry.hpp"
#include "hashing.hpp"
#include "key_index.hpp"
#include "rounding.hpp"

namespace {

TEST(Helpers, Text) {
  for (const char* yes : {"3.5", "-2", "+.5", " 7", "3abc", "1e38"}) EXPECT_TRUE(isNumeric(yes)) << yes;
  for (const char* no : {"", " ", "abc", "-", ".", "1e50", "nan", "inf"}) EXPECT_FALSE(isNumeric(no)) << no;
  const std::pair<double, const char*> written[] = {{3.14159265, "3.14159"}, {100.0, "100"}, {0.00001, "1e-05"}, {-42, "-42"}};
  for (const auto& [value, text] : written) EXPECT_EQ(num2string(value), text);
  EXPECT_EQ(num2string(4294967295u), "4294967295");
  const std::array<std::string, 3> strips[] = {{"  ab  ", " ", "ab"}, {"    ", " ", ""}, {"  ", " \t", "  "}, {" a", " \t", " a"},
                                               {"\t a \t", " \t", "a"}, {"ab", "ab", ""}, {"ab", "ba", "ab"},
                                               {"a b a", "a", " b "}, {"x", "", "x"}, {"", "", ""}};
  for (const auto& c : strips) EXPECT_EQ(strip(c[0], c[1]), c[2]) << '"' << c[0] << "\" \"" << c[1] << '"';
  EXPECT_EQ(word_count("aaa", "aa"), 2);  // overlaps count
  EXPECT_EQ(word_count("abc", "x"), 0);
  EXPECT_EQ(word_count("abc", ""), 4);
  EXPECT_EQ(word_count("", ""), 1);
  const std::array<std::string, 3> aligned[] = {{"l", "ab", "ab   "}, {"r", "ab", "   ab"}, {"L", "ab", "   ab"},
                                                {"l", "abcdef", "abcde"}, {"r", "abcdef", "abcde"}};
  for (const auto& c : aligned) EXPECT_EQ(align(c[1], 5, c[0]), c[2]) << c[1] << ' ' << c[0];
  EXPECT_EQ(align("abc", 0, "l"), "");
}

TEST(Helpers, StrfCutsTextNeverRounds) {
  const struct {
    std::string text;
    int decimals;
    bool plus;
    std::string expected;
  } cases[] = {
      {"3.14159", 2, true, "+3.14"},  {"3.14159", 2, false, "3.14"},  {"-3.14159", 2, true, "-3.14"},
      {"5", 2, true, "+5.00"},        {"0.999", 2, true, "+0.99"},    {"2.9", 0, true, "2"},
      {"-2.9", 0, false, "-2"},       {"-0.7", 0, true, "0"},         {"-0", 2, true, "+-0.00"},
      {"-0", 2, false, "-0.00"},      {"abc", 2, true, "abc"},        {"", 3, false, ""},
      {"7", -1, true, "+7."},         {"7.25", -1, false, "7.25"},    {"1.5e-05", 3, true, "+1.5e-"},
      {" -3.5", 1, false, "-3.5"},    {"1.5", 3, false, "1.500"},
      {"-2.25", 4, true, "-2.2500"},    {"1e30", 0, true, "2147483647"}, {"-1e30", 0, true, "-2147483648"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(strf(c.text, c.decimals, c.plus), c.expected) << '"' << c.text << "\" " << c.decimals << ' ' << c.plus;
  EXPECT_EQ(strf(0.00001f, 2, true), "+1e-05.00");
  EXPECT_EQ(strf(3e38f, 0, false), "2147483647");
}

TEST(Helpers, LineAndRoundings) {
  EXPECT_EQ(line(1, 2, 3, 6, 2), 4.0f);
  EXPECT_TRUE(std::isinf(line(1, 2, 1, 6, 2)));
  const std::array<double, 4> cases[] = {  // value, decimals, round_double, dec_round
      {0.125, 2, 0.12, 0.13}, {1.375, 2, 1.37, 1.38}, {0.996, 2, 1, 1},     {-1.237, 2, -1.23, -1.23}, {2.7, 0, 2, 2.7},
      {-2.7, 0, -2, -2.7},    {1.375, 1, 1.4, 1.4},   {-1.26, 1, -1.2, -1.2}, {1.375, -4, 1, 1.4},     {1.25, 1, 1.2, 1.3}};
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(round_double(c[0], static_cast<int>(c[1])), c[2]) << c[0] << " to " << c[1];
    EXPECT_DOUBLE_EQ(dec_round(c[0], static_cast<int>(c[1])), c[3]) << c[0] << " to " << c[1];
  }
  const std::pair<double, int> nearest[] = {{2.5, 3}, {2.4999, 2}, {0.5, 1}, {-2.5, -2}, {-2.7, -2}, {3, 3}};
  for (const auto& [value, expected] : nearest) EXPECT_EQ(near_round(value), expected) << value;
  // Beyond the int range every function saturates instead of converting out of range (checked in the
  // sanitizer build); more than 9 decimals stop the power of ten at INT_MAX.
  EXPECT_EQ(truncate_to_int(2147483647.9), INT_MAX);
  EXPECT_EQ(truncate_to_int(-2147483648.9), INT_MIN);
  EXPECT_EQ(truncate_to_int(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(near_round(1e30), INT_MAX);
  EXPECT_EQ(near_round(-1e30), INT_MIN);
  EXPECT_EQ(round_double(-1e30, 3), INT_MIN + static_cast<double>(INT_MIN) / 1000);
  EXPECT_DOUBLE_EQ(round_double(1.5, 12), 1 + 1073741823.0 / INT_MAX);
  EXPECT_DOUBLE_EQ(dec_round(1e30, 2), INT_MAX / 100.0);
  EXPECT_EQ(dec_round(5, INT_MAX), 0.0);
  EXPECT_DOUBLE_EQ(dec_round(5, INT_MIN), 5.0);
}

TEST(Helpers, Collections) {
  EXPECT_EQ(set2vec(vec2set({3, 1, 3})), (std::vector<int>{1, 3}));
  const std::vector<int> mine{3, 1, 3, 2, 1};
  EXPECT_EQ(non_redundant(mine), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(mine, (std::vector<int>{3, 1, 3, 2, 1}));
  EXPECT_TRUE(is_element(2, std::vector<int>{1, 2, 2}));
  EXPECT_FALSE(is_element(4, std::vector<int>{1, 2, 2}));
  EXPECT_FALSE(is_element(0, std::vector<int>{}));
  EXPECT_TRUE(is_element(0.5f, std::set<float>{0.25f, 0.5f}));
  EXPECT_FALSE(is_element(0.1f, std::set<float>{}));
}

TEST(Helpers, ExtremesOfOnePoint) {
  // On the heap, so that a read past the one element shows under the sanitizers.
  const std::vector<float> one{-7.5f};
  EXPECT_EQ(array_max(1, one.data()), -7.5f);
  EXPECT_EQ(array_min(1, one.data()), -7.5f);
  const std::vector<float> two{3, -1};
  EXPECT_EQ(array_max(2, two.data()), 3.0f);
  EXPECT_EQ(array_min(2, two.data()), -1.0f);
}

// Keys equal in their low bits (cell indexes a power of two apart, as a grid whose x-y plane is 2^44 cells gives)
// must spread over a table: a slot taken from the low 32 bits of a product put all of them on one probe chain.
TEST(Helpers, KeysAPowerOfTwoApartSpread) {
  for (const int shift : {0, 20, 32, 44, 48}) {
    constexpr std::size_t n_keys = 32768, mask = 2 * n_keys - 1;
    std::vector<std::uint64_t> table(mask + 1, 0);
    std::size_t longest = 0, total = 0;
    for (std::uint64_t k = 1; k <= n_keys; ++k) {
      const std::uint64_t key = k << shift;
      std::size_t probes = 1, s = slot_of(key, mask);
      for (; table[s] != 0; s = (s + 1) & mask) ++probes;
      table[s] = key;
      longest = std::max(longest, probes);
      total += probes;
    }
    // A half-full table with linear probing: about 1.5 probes on average, a few dozen at the longest.
    EXPECT_LE(longest, 40u) << "keys k * 2^" << shift;
    EXPECT_LE(total, 2 * n_keys) << "keys k * 2^" << shift;
  }
}

// Each key keeps the position it was first given, through growth, for keys such as 0 and all ones that a
// table marking empty slots by key would confuse; clear forgets them all.
TEST(Helpers, KeyIndexKeepsFirstPositions) {
  std::vector<std::uint64_t> keys = {0, UINT64_MAX, 1, std::uint64_t{1} << 32};
  for (std::uint64_t k = 2; k < 20000; ++k) keys.push_back(k * 0x100000001ull);
  key_index index;
  for (std::uint32_t round = 0; round < 2; ++round) {
    for (std::uint32_t i = 0; i < keys.size(); ++i) ASSERT_EQ(index.find_or_add(keys[i], i), i);
    for (std::uint32_t i = 0; i < keys.size(); ++i) ASSERT_EQ(index.find_or_add(keys[i], 999999), i);
    index.clear();
  }
}

}  // namespace
