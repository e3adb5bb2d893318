// Reading a contact list into one record per residue pair.
#pragma once

#include <functional>
#include <unordered_map>
#include <vector>

#include "inter_residue.hpp"
#include "text_file.hpp"

// Both residue identifiers of a contact, the smaller string first.
using residue_key = name_pair;

struct residue_key_hash {
  std::size_t operator()(const residue_key& key) const {
    const std::size_t first = std::hash<std::string_view>()(key.first);
    return first ^ (std::hash<std::string_view>()(key.second) + 0x9e3779b97f4a7c15ull + (first << 6) + (first >> 2));
  }
};

// One record per residue pair. Hashed while reading, which costs a line far less than an ordered search; put
// in order once, at the end, by in_key_order.
using record_map = std::unordered_map<residue_key, inter_residue, residue_key_hash>;

// The records in ascending order of residue key: by first identifier, then second, each compared byte by byte.
std::vector<inter_residue*> in_key_order(record_map& records);

// Feeds every contact line of input ("id:type:atom<TAB>id:type:atom<TAB>distance", further fields and label
// parts ignored) to the record of its residue pair. The labels are put in order of residue identifier as
// strings; with equal identifiers the second label comes first. A record keeps the types of its first line.
// Throws run_error naming the file and line for a line of fewer than three fields, a label of fewer than three
// ':' parts, or a distance that is not a number.
void group_contacts(const text_file& input, record_map& records);
