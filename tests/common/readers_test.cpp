#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>

#include "coordinate_list.hpp"
#include "error.hpp"
#include "number_text.hpp"
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

std::string error_of(const std::string& bytes) {
  try {
    load(bytes);
  } catch (const run_error& e) {
    return e.what();
  }
  return "no error";
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

TEST(CoordinateList, RejectsShortLinesAndNonFiniteCoordinates) {
  const struct {
    std::string bytes, message;
  } cases[] = {
      {"a\t1\t2\t3\n\nb\t1\t2\n", "in.xyz:3: expected a label and three coordinates, found 3 fields"},
      {"a 1 2 3\n", "in.xyz:1: expected a label and three coordinates, found 1 field"},
      {"a\t1\tnan\t3\n", "in.xyz:1: y coordinate 'nan' is not a finite number"},
      {"\r\na\t1\t2\tinf\r\n", "in.xyz:2: z coordinate 'inf' is not a finite number"},
      {"a\t1e39\t2\t3\n", "in.xyz:1: x coordinate '1e39' is not a finite number"},
  };
  for (const auto& c : cases) EXPECT_EQ(error_of(c.bytes), c.message);
}

TEST(TextFile, ReadsWholeFilesAndReportsWhatCannotBeRead) {
  EXPECT_THROW(read_text_file("/nonexistent/in.xyz"), run_error);
  try {
    read_text_file("/");
    FAIL();
  } catch (const run_error& e) {
    EXPECT_STREQ(e.what(), "cannot read /: Is a directory");
  }
}

TEST(NumberText, ReadsLikeAtofWithinTheField) {
  const struct {
    std::string_view field;
    float expected;
  } cases[] = {{"4.5abc", 4.5f}, {" 3", 3}, {"x", 0}, {"", 0}, {"-0.5", -0.5f}, {"1e-5", 1e-5f}, {"2.8284271", 2.8284271f}};
  for (const auto& c : cases) EXPECT_EQ(read_float(c.field), c.expected) << c.field;
  // Whatever the text, the value is atof's, narrowed to float.
  const char* const texts[] = {"+1.5", "0x1p3", "-0x10", ".5", "-.5", ".", "-", "1e400", "-1e400", "1e-400", "4.9e-324",
                               "1e-310", "-0", "007", "1.5e", "1e+", "1e5x", "infinity", "-INF", "3.4028235e38",
                               "3.4028236e38", "1.00000005960464477539062", "1.0000000596046447753906250001"};
  for (const char* text : texts) {
    const float expected = static_cast<float>(std::atof(text));
    const float got = read_float(text);
    EXPECT_TRUE(std::memcmp(&got, &expected, sizeof got) == 0) << text << ": " << got << " vs " << expected;
  }
  std::mt19937 random(5);
  for (int i = 0; i < 100000; ++i) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", static_cast<int>(random() % 12),
                  (static_cast<double>(random()) - 2147483648.0) / std::pow(10.0, random() % 12));
    ASSERT_EQ(read_float(text), static_cast<float>(std::atof(text))) << text;
  }
  // Blanks alone must not let the parse run on into the next field.
  const std::string line = "  \t7";
  EXPECT_EQ(read_float(std::string_view(line).substr(0, 2)), 0.0f);
}

std::string stream_text(float value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

std::string written(float value) {
  char text[float_text_room];
  return std::string(text, write_float(text, value));
}

TEST(NumberText, WritesAsADefaultStream) {
  EXPECT_EQ(written(2.8284271f), "2.82843");
  EXPECT_EQ(written(3.5f), "3.5");
  EXPECT_EQ(written(0.00001f), "1e-05");
  EXPECT_EQ(written(1.5e6f), "1.5e+06");
  EXPECT_EQ(written(5.0f), "5");
  std::mt19937 random(11);
  std::uniform_real_distribution<float> near(0.0f, 20.0f);
  std::uniform_int_distribution<std::uint32_t> bits(0, 0x7f7fffff);
  for (int i = 0; i < 200000; ++i) {
    const float a = near(random);
    std::uint32_t b = bits(random);
    float any;
    std::memcpy(&any, &b, sizeof any);
    ASSERT_EQ(written(a), stream_text(a));
    ASSERT_EQ(written(any), stream_text(any));
  }
  // Every 1009th float from 2^-18 to 2^21, across the integer path and its edges.
  for (std::uint32_t b = (127u - 18) << 23; b < (127u + 21) << 23; b += 1009) {
    float value;
    std::memcpy(&value, &b, sizeof value);
    ASSERT_EQ(written(value), stream_text(value)) << b;
  }
  // Exact ties at the sixth digit round as the stream does.
  for (float tie : {1234565.0f, 1234575.0f, 0.5f, 2.5f, 1000005.0f, 0.000125f, 999999.5f, 99999.95f, 0.0001f,
                    0.00009999995f, 0.0f, -0.0f, -3.5f, 1e-40f})
    EXPECT_EQ(written(tie), stream_text(tie));
}

}  // namespace
