#include "collections.hpp"

#include <gtest/gtest.h>

namespace {

TEST(Collections, Conversions) {
  EXPECT_EQ(vec2set({3, 1, 3}), (std::set<int>{1, 3}));
  EXPECT_EQ(set2vec(vec2set({3, 1, 3})), (std::vector<int>{1, 3}));
  EXPECT_EQ(set2vec(std::set<std::string>{"b", "B", "a"}), (std::vector<std::string>{"B", "a", "b"}));
  using pairs = std::set<std::pair<std::string, std::string>>;
  EXPECT_EQ(set2vec(pairs{{"b", "a"}, {"a", "z"}, {"a", "b"}}),
            (std::vector<std::pair<std::string, std::string>>{{"a", "b"}, {"a", "z"}, {"b", "a"}}));
  const std::vector<int> mine{3, 1, 3, 2, 1};
  EXPECT_EQ(non_redundant(mine), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(mine, (std::vector<int>{3, 1, 3, 2, 1}));
  EXPECT_TRUE(non_redundant(std::vector<int>{}).empty());
  EXPECT_EQ(non_redundant(std::vector<std::string>{"x", "a", "x"}), (std::vector<std::string>{"a", "x"}));
}

TEST(Collections, IsElement) {
  EXPECT_TRUE(is_element(2, std::vector<int>{1, 2, 2}));
  EXPECT_FALSE(is_element(4, std::vector<int>{1, 2, 2}));
  EXPECT_FALSE(is_element(0, std::vector<int>{}));
  EXPECT_TRUE(is_element(2, std::set<int>{1, 2}));
  EXPECT_FALSE(is_element(0, std::set<int>{}));
  EXPECT_TRUE(is_element(std::string("b"), std::vector<std::string>{"a", "b"}));
  EXPECT_FALSE(is_element(std::string("c"), std::vector<std::string>{}));
  EXPECT_TRUE(is_element(0.5f, std::set<float>{0.25f, 0.5f}));
  EXPECT_FALSE(is_element(0.1f, std::set<float>{}));
}

}  // namespace
