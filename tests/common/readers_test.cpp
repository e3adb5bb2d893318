#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

#include "contact_line.hpp"
#include "coordinate_list.hpp"
#include "error.hpp"
#include "number_text.hpp"
#include "split.hpp"
#include "text_file.hpp"

namespace {

struct point {
  std::string label;
  float x, y, z;
  bool operator==(const point& o) const { return label == o.label && x == o.x && y == o.y && z == o.z; }
};

std::vector<point> load(const std::string& bytes) {
  const text_file file{"in.xyz", bytes};
  const auto n = static_cast<std::size_t>(line_count(file));
  std::vector<std::string> labels(n);
  std::vector<float> xs(n), ys(n), zs(n);
  read_3dvector(file, "\t", labels.data(), xs.data(), ys.data(), zs.data());
  std::vector<point> points;
  for (std::size_t i = 0; i < n; ++i) points.push_back({labels[i], xs[i], ys[i], zs[i]});
  return points;
}

TEST(CoordinateList, Loads) {
  const struct {
    std::string bytes;
    std::vector<point> expected;
  } cases[] = {
      {"a\t1\t2\t3", {{"a", 1, 2, 3}}},
      {"a\t1\t2\t3\n", {{"a", 1, 2, 3}}},
      {"\n\na\t1\t2\t3\n\nb\t4\t5\t6\n\n", {{"a", 1, 2, 3}, {"b", 4, 5, 6}}},
      {"a\t\t1\t2\t3\n", {{"a", 1, 2, 3}}},
      {"a\t1\t2\t3\t\t\n", {{"a", 1, 2, 3}}},
      {"\t1\t2\t3\n", {{"", 1, 2, 3}}},
      {"a\t1.5\tx\t2\n", {{"a", 1.5f, 0, 2}}},
      {"a\t1\t2\t3\textra\tfields\n", {{"a", 1, 2, 3}}},
      {"a\t1\t2\t3\r\n\r\n  \t\r\nb\t4\t5\t6\r\n", {{"a", 1, 2, 3}, {"b", 4, 5, 6}}},
      {"a b\t 1e-2\t+.5\t-7abc\n", {{"a b", 0.01f, 0.5f, -7}}},
      {"", {}},
      {"\n\n\r\n", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(load(c.bytes), c.expected) << c.bytes;
}

TEST(CoordinateList, ByFileName) {
  const std::string path = ::testing::TempDir() + "by_name.xyz";
  std::ofstream(path) << "a\t1\t2\t3\n\nb\t4\t5\t6";
  std::string labels[2];
  float xs[2], ys[2], zs[2];
  ASSERT_EQ(line_count(path), 2);
  read_3dvector(path, "\t", labels, xs, ys, zs);
  EXPECT_EQ(std::vector<std::string>(labels, labels + 2), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(std::vector<float>({xs[0], ys[0], zs[0], xs[1], ys[1], zs[1]}), (std::vector<float>{1, 2, 3, 4, 5, 6}));
}

// A file read block by block gives the lines, and their numbers, of the whole text: lines across block
// boundaries, a line longer than the buffer, blank lines skipped but counted, a last line without "\n".
TEST(TextFile, LinesOfAFileReadInBlocks) {
  std::string text;
  for (int i = 0; i < 200000; ++i) text += "line " + std::to_string(i) + (i % 7 == 0 ? "\n\n" : "\n");
  text += std::string(3 << 20, 'x') + "\nafter the long one\n\r\nlast";
  const std::string path = ::testing::TempDir() + "blocks.txt";
  std::ofstream(path, std::ios::binary) << text;
  std::vector<std::pair<std::string, std::size_t>> expected, got;
  for_each_line(text, [&](std::string_view line, std::size_t n) { expected.emplace_back(line, n); });
  for_each_line_of_file(path, [&](std::string_view line, std::size_t n) { got.emplace_back(line, n); });
  ASSERT_EQ(got.size(), expected.size());
  EXPECT_TRUE(got == expected);
  EXPECT_EQ(got.back().first, "last");
}

// Whatever the text, the value is atof's, narrowed to float, bit for bit.
// Usual lines and irregular ones (runs of tabs or colons, a delimiter first, more fields) give the same parts.
TEST(ContactLine, SplitsUsualAndIrregularLines) {
  const struct {
    const char* line;
    const char* parts[6];
    const char* distance;
  } cases[] = {
      {"A1:ALA:CA\tB2:GLY:N\t3.5", {"A1", "ALA", "CA", "B2", "GLY", "N"}, "3.5"},
      {"A1:ALA:CA\t\tB2:GLY:N\t\t3.5", {"A1", "ALA", "CA", "B2", "GLY", "N"}, "3.5"},
      {"A1::ALA:CA\tB2:GLY:N:x\t3.5\textra", {"A1", "ALA", "CA", "B2", "GLY", "N"}, "3.5"},
      {":A1:ALA:CA\tB2:GLY:N\t3", {"", "A1", "ALA", "B2", "GLY", "N"}, "3"},  // a delimiter first: an empty part
  };
  for (const auto& c : cases) {
    const contact_line got = parse_contact_line("in.pairtab", 1, c.line);
    const std::string_view parts[6] = {got.first.id, got.first.type, got.first.atom,
                                       got.second.id, got.second.type, got.second.atom};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(parts[k], c.parts[k]) << c.line;
    EXPECT_EQ(got.distance_text, c.distance) << c.line;
  }
  EXPECT_THROW(parse_contact_line("in.pairtab", 1, "A1:ALA:CA\tB2:GLY\t3"), run_error);
  EXPECT_THROW(parse_contact_line("in.pairtab", 1, "A1:ALA:CA\t\tB2:GLY:N"), run_error);
  EXPECT_THROW(parse_contact_line("in.pairtab", 1, "\tA1:ALA:CA\tB2:GLY:N\t3.5"), run_error);  // an empty label
}

// Random lines of separators, short parts and numbers, 0 to 80 bytes (both sides of the 16 and 64 bytes where
// the splitting changes method): the parts are those of the general rule, runs of delimiters as one, and a line
// is refused exactly when that rule refuses it.
TEST(ContactLine, SplitsAsTheGeneralRuleAtEveryLength) {
  std::mt19937 random(11);
  const char alphabet[] = {':', '\t', ':', '\t', 'A', 'B', '1', '2', '.', '3', ' ', 'x'};
  int accepted = 0;
  for (int i = 0; i < 200000; ++i) {
    std::string line;
    if (i % 2 == 0) {  // a usual line with a random edit
      line = "A" + std::to_string(random() % 1000) + ":ALA:CA" + std::string(random() % 20, 'X') + "\tB" +
             std::to_string(random() % 1000) + ":GLY:N\t3." + std::to_string(random() % 100000);
      const std::size_t at = random() % (line.size() + 1);
      if (random() % 2) line.insert(at, 1, alphabet[random() % sizeof alphabet]);
      else if (at < line.size()) line.erase(at, 1);
    } else {
      for (std::size_t n = random() % 81; line.size() < n;) line += alphabet[random() % sizeof alphabet];
    }
    std::string_view fields[3], first[3], second[3];
    const bool expected = split_first(line, '\t', fields, 3) == 3 && split_first(fields[0], ':', first, 3) == 3 &&
                          split_first(fields[1], ':', second, 3) == 3 && !std::isnan(read_float(fields[2]));
    try {
      const contact_line got = parse_contact_line("in.pairtab", 1, line);
      ASSERT_TRUE(expected) << line;
      const std::string_view parts[7] = {got.first.id,  got.first.type,  got.first.atom,    got.second.id,
                                         got.second.type, got.second.atom, got.distance_text};
      const std::string_view want[7] = {first[0], first[1], first[2], second[0], second[1], second[2], fields[2]};
      for (int k = 0; k < 7; ++k) ASSERT_EQ(parts[k], want[k]) << line;
      ++accepted;
    } catch (const run_error&) {
      ASSERT_FALSE(expected) << line;
    }
  }
  EXPECT_GT(accepted, 50000);
}

TEST(NumberText, ReadsLikeAtof) {
  std::vector<std::string> texts = {"4.5abc", " 3", "x", "", "+1.5", "0x1p3", "-0x10", ".5", "-.5", ".", "-", "1e400",
                                    "-1e400", "1e-400", "4.9e-324", "1e-310", "-0", "007", "1.5e", "1e+", "1e5x",
                                    "infinity", "-INF", "nan", "3.4028235e38", "3.4028236e38", "2.8284271",
                                    "1.00000005960464477539062", "1.0000000596046447753906250001"};
  std::mt19937 random(5);
  char text[48];
  for (int i = 0; i < 100000; ++i) {
    std::snprintf(text, sizeof text, "%.*f", static_cast<int>(random() % 12),
                  (static_cast<double>(random()) - 2147483648.0) / std::pow(10.0, random() % 12));
    texts.emplace_back(text);
  }
  for (const std::string& t : texts) {
    const float expected = static_cast<float>(std::atof(t.c_str())), got = read_float(t);
    ASSERT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << t << ": " << got << " vs " << expected;
  }
  // Blanks alone must not let the parse run on into the next field.
  EXPECT_EQ(read_float(std::string_view("  \t7").substr(0, 2)), 0.0f);
}

// Every float written as a default stream writes it: random bit patterns, every 1009th float across the
// integer path (2^-18 to 2^21) and its edges, and exact ties at the sixth digit.
TEST(NumberText, WritesAsADefaultStream) {
  std::vector<float> values = {2.8284271f, 0.00001f, 1.5e6f, 1234565.0f, 1234575.0f, 0.5f, 2.5f, 1000005.0f,
                               0.000125f,  999999.5f, 99999.95f, 0.0001f, 0.00009999995f, 0.0f, -0.0f, -3.5f, 1e-40f};
  std::mt19937 random(11);
  for (int i = 0; i < 200000; ++i) values.push_back(std::ldexp(static_cast<float>(random() % (1u << 24)), -20));
  std::vector<std::uint32_t> patterns;
  for (int i = 0; i < 200000; ++i) patterns.push_back(random() % 0x7f800000u);
  for (std::uint32_t b = (127u - 18) << 23; b < (127u + 21) << 23; b += 1009) patterns.push_back(b);
  for (const std::uint32_t b : patterns) {
    float value;
    std::memcpy(&value, &b, sizeof value);
    values.push_back(value);
  }
  char text[float_text_room];
  for (const float value : values) {
    std::ostringstream stream;
    stream << value;
    ASSERT_EQ(std::string(text, write_float(text, value)), stream.str()) << value;
  }
  EXPECT_EQ(std::string(text, write_float(text, 2.8284271f)), "2.82843");
}

}  // namespace
