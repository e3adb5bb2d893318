#include "collections.hpp"

#include <gtest/gtest.h>

namespace {

TEST(Collections, ConversionsAndMembership) {
  EXPECT_EQ(set2vec(vec2set({3, 1, 3})), (std::vector<int>{1, 3}));
  using pairs = std::set<std::pair<std::string, std::string>>;
  EXPECT_EQ(set2vec(pairs{{"b", "a"}, {"a", "z"}, {"a", "b"}}),
            (std::vector<std::pair<std::string, std::string>>{{"a", "b"}, {"a", "z"}, {"b", "a"}}));
  const std::vector<int> mine{3, 1, 3, 2, 1};
  EXPECT_EQ(non_redundant(mine), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(mine, (std::vector<int>{3, 1, 3, 2, 1}));
  EXPECT_TRUE(non_redundant(std::vector<int>{}).empty());
  EXPECT_TRUE(is_element(2, std::vector<int>{1, 2, 2}));
  EXPECT_FALSE(is_element(4, std::vector<int>{1, 2, 2}));
  EXPECT_FALSE(is_element(0, std::vector<int>{}));
  EXPECT_TRUE(is_element(0.5f, std::set<float>{0.25f, 0.5f}));
  EXPECT_FALSE(is_element(0.1f, std::set<float>{}));
}

}  // namespace
