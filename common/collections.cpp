#include "collections.hpp"

#include <algorithm>

namespace {

template <class T>
std::vector<T> ascending(const std::set<T>& elements) {
  return std::vector<T>(elements.begin(), elements.end());
}

template <class T>
std::vector<T> distinct(std::vector<T> elements) {
  std::sort(elements.begin(), elements.end());
  elements.erase(std::unique(elements.begin(), elements.end()), elements.end());
  return elements;
}

template <class T>
bool scan(const T& element, const std::vector<T>& container) {
  return std::find(container.begin(), container.end(), element) != container.end();
}

}  // namespace

std::vector<int> set2vec(std::set<int> elements) { return ascending(elements); }
std::vector<std::string> set2vec(std::set<std::string> elements) { return ascending(elements); }
std::vector<std::pair<std::string, std::string>> set2vec(std::set<std::pair<std::string, std::string>> elements) {
  return ascending(elements);
}

std::set<int> vec2set(std::vector<int> elements) { return std::set<int>(elements.begin(), elements.end()); }

std::vector<int> non_redundant(std::vector<int> elements) { return distinct(std::move(elements)); }
std::vector<std::string> non_redundant(std::vector<std::string> elements) { return distinct(std::move(elements)); }

bool is_element(int element, std::set<int> container) { return container.count(element) > 0; }
bool is_element(int element, std::vector<int> container) { return scan(element, container); }
bool is_element(std::string element, std::vector<std::string> container) { return scan(element, container); }
bool is_element(float element, std::set<float> container) { return container.count(element) > 0; }
