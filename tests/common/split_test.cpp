#include "split.hpp"

#include <gtest/gtest.h>

#include <random>

namespace {

using fields = std::vector<std::string>;

// The splitting rules written as plainly as possible: rewrite the leftmost doubled delimiter until none is
// left, cut trailing delimiter characters, then cut at every delimiter.
fields reference_split(std::string text, const std::string& delimiter) {
  const std::string doubled = delimiter + delimiter;
  for (std::size_t hit; (hit = text.find(doubled)) != std::string::npos;) text.replace(hit, doubled.size(), delimiter);
  const std::size_t last = text.find_last_not_of(delimiter);
  text.resize(last == std::string::npos ? 0 : last + 1);
  fields result;
  std::size_t start = 0;
  for (std::size_t hit; (hit = text.find(delimiter, start)) != std::string::npos; start = hit + delimiter.size())
    result.push_back(text.substr(start, hit - start));
  result.push_back(text.substr(start));
  return result;
}

TEST(Split, Cases) {
  EXPECT_EQ(split("\t\ta\t\t\tb\r\t", "\t"), (fields{"", "a", "b\r"}));
  EXPECT_EQ(split("\t\t\t", "\t"), (fields{""}));
  EXPECT_EQ(split("12::LYS:NZ", ":"), (fields{"12", "LYS", "NZ"}));
  // Several characters: only whole repetitions collapse, but any trailing mix of them is cut.
  EXPECT_EQ(split("xababyba", "ab"), (fields{"x", "y"}));
  EXPECT_EQ(split("a", ""), (fields{"a"}));
}

TEST(Split, AgreesWithThePlainRulesOnRandomTexts) {
  std::mt19937 random(7);
  const std::string delimiters[] = {"\t", ":", "ab", "aa", "aba", "abab"};
  for (const std::string& delimiter : delimiters) {
    const std::string alphabet = delimiter.size() == 1 ? delimiter + "x\r" : "abx";
    for (int round = 0; round < 3000; ++round) {
      std::string text(random() % 14, ' ');
      for (char& c : text) c = alphabet[random() % alphabet.size()];
      ASSERT_EQ(split(text, delimiter), reference_split(text, delimiter)) << '"' << text << "\" at \"" << delimiter << '"';
    }
  }
}

TEST(Split, FirstFieldsAreTheLeadingViews) {
  std::string_view first[3];
  EXPECT_EQ(split_first("a::b:c:d", ':', first, 0), 0u);
  ASSERT_EQ(split_first(":a::b", ':', first, 3), 3u);
  EXPECT_EQ(std::string(first[0]) + "|" + std::string(first[1]) + "|" + std::string(first[2]), "|a|b");
  EXPECT_EQ(split_first("a", ':', first, 1), 1u);
}

// A quadratic collapse of the run would not finish within the test's time limit.
TEST(Split, LongRunsOfDelimitersTakeLinearTime) {
  const std::string tabs = "a" + std::string(5'000'000, '\t') + "b" + std::string(5'000'000, '\t');
  EXPECT_EQ(split(tabs, "\t"), (fields{"a", "b"}));
  const std::string pairs = "x" + std::string(200'000, 'a') + "y";
  EXPECT_EQ(split(pairs, "a"), (fields{"x", "y"}));
}

}  // namespace
