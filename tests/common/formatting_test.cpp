#include "formatting.hpp"

#include <gtest/gtest.h>

namespace {

TEST(Formatting, NumbersAsText) {
  for (const char* yes : {"3.5", "-2", "+.5", " 7", "3abc", "1e38"}) EXPECT_TRUE(isNumeric(yes)) << yes;
  for (const char* no : {"", " ", "abc", "-", ".", "1e50", "nan", "inf"}) EXPECT_FALSE(isNumeric(no)) << no;
  const std::pair<double, const char*> written[] = {{3.14159265, "3.14159"}, {100.0, "100"}, {0.0001, "0.0001"},
                                                    {0.00001, "1e-05"},     {1e6, "1e+06"},   {-42, "-42"}};
  for (const auto& [value, text] : written) EXPECT_EQ(num2string(value), text);
  EXPECT_EQ(num2string(4294967295u), "4294967295");
}

TEST(Formatting, StripWordCountAlign) {
  const struct {
    std::string text, set, expected;
  } strips[] = {{"  ab  ", " ", "ab"}, {" ", " ", ""},         {"    ", " ", ""}, {"  ", " \t", "  "},
                {" a", " \t", " a"},   {"\t a \t", " \t", "a"}, {"ab", "ab", ""},  {"ab", "ba", "ab"},
                {"a b a", "a", " b "}, {"x", "", "x"},          {"", "", ""}};
  for (const auto& c : strips) EXPECT_EQ(strip(c.text, c.set), c.expected) << '"' << c.text << "\" \"" << c.set << '"';
  EXPECT_EQ(word_count("aaa", "aa"), 2);  // overlaps count
  EXPECT_EQ(word_count("abcabc", "bc"), 2);
  EXPECT_EQ(word_count("abc", "x"), 0);
  EXPECT_EQ(word_count("abc", ""), 4);
  EXPECT_EQ(word_count("", ""), 1);
  const struct {
    std::string text;
    int width;
    std::string how, expected;
  } aligned[] = {{"ab", 5, "l", "ab   "},     {"ab", 5, "r", "   ab"},     {"ab", 5, "L", "   ab"}, {"ab", 5, "", "   ab"},
                 {"abcdef", 3, "l", "abc"}, {"abcdef", 3, "r", "abc"}, {"abc", 0, "l", ""}};
  for (const auto& c : aligned) EXPECT_EQ(align(c.text, c.width, c.how), c.expected) << c.text << ' ' << c.how;
}

TEST(Formatting, StrfCutsTextNeverRounds) {
  const struct {
    std::string text;
    int decimals;
    bool plus;
    std::string expected;
  } cases[] = {
      {"3.14159", 2, true, "+3.14"},  {"3.14159", 2, false, "3.14"},  {"-3.14159", 2, true, "-3.14"},
      {"-3.14159", 2, false, "-3.14"}, {"5", 2, true, "+5.00"},        {"5", 2, false, "5.00"},
      {"0.999", 2, true, "+0.99"},    {"2.9", 0, true, "2"},          {"-2.9", 0, false, "-2"},
      {"-0.7", 0, true, "0"},         {"-0", 2, true, "+-0.00"},      {"-0", 2, false, "-0.00"},
      {"abc", 2, true, "abc"},        {"", 3, false, ""},             {"7", -1, true, "+7."},
      {"7.25", -1, false, "7.25"},    {"1.5e-05", 3, true, "+1.5e-"}, {" -3.5", 1, false, "-3.5"},
      {"1e30", 0, true, "2147483647"}, {"-1e30", 0, true, "-2147483648"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(strf(c.text, c.decimals, c.plus), c.expected) << '"' << c.text << "\" " << c.decimals << ' ' << c.plus;
  EXPECT_EQ(strf(0.00001f, 2, true), "+1e-05.00");
  EXPECT_EQ(strf(2.5f, 3, false), "2.500");
  EXPECT_EQ(strf(3e38f, 0, false), "2147483647");
}

}  // namespace
