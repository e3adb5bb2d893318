#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>

#include "error.hpp"
#include "grouping.hpp"
#include "plain_sift.hpp"

namespace {

// Groups and writes a contact list, as pairsift does, and returns what it wrote.
std::string sift(const std::string& bytes) {
  const text_file input{"in.pairtab", bytes};
  contact_groups groups;
  group_contacts(input, groups);
  const std::string path = ::testing::TempDir() + "sift_" + std::to_string(::getpid()) + ".pairtab";
  {
    line_writer out(path);
    groups.write(out);
    out.close();
  }
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The rules themselves are checked against their plain transcription below; these are the cases it leaves out.
TEST(Pairsift, OrdersGroupsAndFilters) {
  const struct {
    const char* what;
    std::string input, expected;
  } cases[] = {
      {"labels exchanged: one record, one atom pair, the smaller distance",
       "12:LYS:NZ\t7:ASP:OD1\t3.1\n7:ASP:OD1\t12:LYS:NZ\t2.9\n", "12:LYS:NZ\t7:ASP:OD1\t2.9\n"},
      {"read and written as a float", "1:A:X\t2:B:Y\t2.8284271\n1:A:X\t2:B:Z\t2.828427\n",
       "1:A:X\t2:B:Y\t2.82843\n1:A:X\t2:B:Z\t2.82843\n"},
      {"blank lines, CRLF, extra fields and label parts",
       "\n1:A:X:extra\t2:B:Y\t3.5\tmore\r\n\r\n  \n2:B:Y\t1:A:W\t1e-5\r\n", "1:A:W\t2:B:Y\t1e-05\n1:A:X\t2:B:Y\t3.5\n"},
      {"doubled separators count as one", "1::A:X\t\t2:B:Y\t4\n", "1:A:X\t2:B:Y\t4\n"},
      {"no contacts", "\n\r\n", ""},
      {"bytes compare unsigned", "\xc3\xa9:A:X\tz:B:Y\t1\n", "z:B:Y\t\xc3\xa9:A:X\t1\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(sift(c.input), c.expected) << c.what;
}

TEST(Pairsift, AgreesWithThePlainRulesOnRandomContactLists) {
  std::mt19937 random(13);
  const char* const ids[] = {"1", "10", "2", "A1", "B1"};
  const char* const types[] = {"ALA", "GLY"};
  const char* const atoms[] = {"N", "CA", "C", "O", "CB", "OG1", "NZ"};
  const char* const distances[] = {"3", "3.0", "2.5", "3.99999", "4", "0.5", "1e-3", "2.8284271"};
  for (int round = 0; round < 200; ++round) {
    std::vector<std::array<std::string, 7>> lines(random() % 300);
    std::string text;
    for (auto& l : lines) {
      l = {ids[random() % 5], types[random() % 2], atoms[random() % 7], ids[random() % 5], types[random() % 2],
           atoms[random() % 7], distances[random() % 8]};
      text += l[0] + ':' + l[1] + ':' + l[2] + '\t' + l[3] + ':' + l[4] + ':' + l[5] + '\t' + l[6] + '\n';
    }
    ASSERT_EQ(sift(text), plain_sift(lines)) << text;
  }
}

TEST(NameTable, NumbersInOrderOfFirstAppearanceThroughGrowth) {
  std::vector<std::string> names;
  for (int i = 0; i < 5000; ++i) names.push_back("N" + std::to_string(i * 7919 % 10007));
  name_table table;
  for (std::uint32_t i = 0; i < names.size(); ++i) ASSERT_EQ(table.intern(names[i]), i);
  for (std::uint32_t i = 0; i < names.size(); ++i) ASSERT_EQ(table.intern(std::string(names[i])), i);
  EXPECT_EQ(table.size(), 5000u);
  EXPECT_EQ(table.name(42), names[42]);
  EXPECT_EQ(table.intern(""), 5000u);
}

// Names alike in their first eight bytes, or in their bytes but not their length, stay apart; so do names met
// long ago and met again, in a table that keeps views and in one that keeps copies.
TEST(NameTable, TellsApartNamesAlikeInTheirFirstBytes) {
  std::vector<std::string> names = {"ABCDEFGH", "ABCDEFGH1", "ABCDEFGH2", "ABCDEFGHI1", "AB", std::string("AB\0", 3),
                                    std::string("\0", 1), "", "\xff\xfe", "\xff", "CA", "C", "CA ", "HETATM_LONG_NAME_1",
                                    "HETATM_LONG_NAME_2"};
  for (int i = 0; i < 3000; ++i) names.push_back("A" + std::to_string(i) + (i % 3 == 0 ? "_long_suffix" : ""));
  for (int i = 0; i < 1000; ++i) names.push_back("ABCDEFGH" + std::to_string(1000 + i));  // one head, one length
  for (int i = 0; i < 300; ++i) {  // one head, two lengths
    names.push_back("R" + std::to_string(i));
    names.push_back("R" + std::to_string(i) + std::string(1, '\0'));
  }
  for (const bool copies : {false, true}) {
    name_table table(copies);
    for (std::uint32_t i = 0; i < names.size(); ++i) ASSERT_EQ(table.intern(names[i]), i) << names[i];
    std::mt19937 random(3);
    for (int k = 0; k < 20000; ++k) {
      const std::uint32_t i = random() % names.size();
      ASSERT_EQ(table.intern(std::string(names[i])), i) << names[i];
      ASSERT_EQ(table.name(i), names[i]);
    }
    EXPECT_EQ(table.size(), names.size());
  }
}

}  // namespace
