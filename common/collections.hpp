// Conversions and tests on ordered sets and vectors. Every argument is taken by value: the caller's container
// is never changed.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

// The set's elements, ascending.
std::vector<int> set2vec(std::set<int> elements);
std::vector<std::string> set2vec(std::set<std::string> elements);
std::vector<std::pair<std::string, std::string>> set2vec(std::set<std::pair<std::string, std::string>> elements);

// The distinct elements, ascending.
std::set<int> vec2set(std::vector<int> elements);

// The distinct elements, ascending ({} stays {}).
std::vector<int> non_redundant(std::vector<int> elements);
std::vector<std::string> non_redundant(std::vector<std::string> elements);

// Whether element is in the container: by the set's own lookup (for floats: neither is less than the other),
// or by equality on a scan of the vector. False for an empty container.
bool is_element(int element, std::set<int> container);
bool is_element(int element, std::vector<int> container);
bool is_element(std::string element, std::vector<std::string> container);
bool is_element(float element, std::set<float> container);
