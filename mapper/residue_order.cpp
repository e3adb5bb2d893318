#include "residue_order.hpp"

#include <charconv>
#include <tuple>

namespace {

bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

residue_key make_residue_key(std::string_view id) {
  residue_key key;
  key.text = id;
  std::size_t end = id.size();
  while (end > 0 && is_letter(id[end - 1])) --end;  // insertion code
  std::size_t begin = end;
  while (begin > 0 && is_digit(id[begin - 1])) --begin;
  if (begin == end || end - begin > 9) return key;
  std::size_t chain_end = begin;
  bool negative = false;
  if (begin > 0 && id[begin - 1] == '-') {  // a chain that ends in "-" is joined with "_", so this is a sign
    negative = true;
    chain_end = begin - 1;
  } else if (begin > 0 && id[begin - 1] == '_') {
    chain_end = begin - 1;
  }
  std::from_chars(id.data() + begin, id.data() + end, key.number);
  if (negative) key.number = -key.number;
  key.numbered = true;
  key.chain = id.substr(0, chain_end);
  key.insertion = id.substr(end);
  return key;
}

bool natural_less(const residue_key& a, const residue_key& b) {
  if (a.numbered != b.numbered) return a.numbered;
  if (!a.numbered) return a.text < b.text;
  return std::tie(a.chain, a.number, a.insertion, a.text) < std::tie(b.chain, b.number, b.insertion, b.text);
}

bool is_break(const residue_key& a, const residue_key& b) {
  if (a.numbered != b.numbered) return true;
  if (!a.numbered) return false;
  return a.chain != b.chain || (b.number != a.number && b.number != a.number + 1);
}
