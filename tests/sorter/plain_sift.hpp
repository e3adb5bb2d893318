// pairsift's rules written out plainly, with ordered maps and a set: what the grouping is checked against.
#pragma once

#include <array>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

// The sorting rules written out plainly, with ordered maps and a set, on lines of well-formed contacts.
inline std::string plain_sift(const std::vector<std::array<std::string, 7>>& lines) {
  struct record {
    std::string type_first, type_second;
    std::map<std::pair<float, int>, std::pair<std::string, std::string>> contacts;
  };
  std::map<std::pair<std::string, std::string>, record> records;
  int number = 0;
  for (const auto& l : lines) {  // id, type, atom, id, type, atom, distance
    const bool in_order = l[0] < l[3];
    const int f = in_order ? 0 : 3, s = in_order ? 3 : 0;
    auto [place, created] = records.try_emplace({l[f], l[s]});
    if (created) place->second.type_first = l[f + 1], place->second.type_second = l[s + 1];
    place->second.contacts[{static_cast<float>(std::atof(l[6].c_str())), ++number}] = {l[f + 2], l[s + 2]};
  }
  std::ostringstream out;
  for (const auto& [ids, r] : records) {
    std::set<std::pair<std::string, std::string>> printed;
    for (const auto& [key, atoms] : r.contacts)
      if (printed.insert(atoms).second)
        out << ids.first << ':' << r.type_first << ':' << atoms.first << '\t' << ids.second << ':' << r.type_second << ':'
            << atoms.second << '\t' << key.first << '\n';
  }
  return out.str();
}
