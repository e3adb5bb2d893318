// Interfaces grouped by kind: in an assembly (or a structure of like chains), two chain pairs are one kind when,
// with the copy numbers taken off the chain names and each residue pair unordered, their residue-pair sets
// overlap by a Jaccard index of at least 0.8 and their buried areas differ by at most 10% of the larger, so that
// noise at the cut-off does not split a kind. Each pair joins the first kind whose first pair it matches, in
// pair order, so the numbering is the same on every run.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

#include "contact_tables.hpp"

constexpr double kind_min_jaccard = 0.8;
constexpr double kind_max_area_difference = 0.1;

class interface_kinds {
 public:
  // The chain names of the structure before its assembly was built: a copy "A12" of chain "A" is "A" again.
  explicit interface_kinds(std::vector<std::string> source_chains) : sources_(std::move(source_chains)) {}
  // A pair in contact, with its residue pairs and buried area; returns its kind, from 1.
  std::size_t add(const std::string& first, const std::string& second, const std::vector<residue_pair_row>& pairs,
                  double buried_area);
  // kind pairs buried_area interface_area residue_pairs residues members: each kind's count, mean areas, its
  // first pair's residue pairs and residues (copy numbers taken off), and its pairs ("A1-A5,A2-A6").
  std::string table() const;
  // The chain name a copy was made from: the longest source name it starts with, followed by digits alone.
  std::string source_of(const std::string& chain) const;

 private:
  struct kind {
    std::unordered_set<std::string> residue_pairs;
    std::vector<std::string> residues;  // the first pair's, in natural order
    double area_sum = 0, first_area = 0;
    std::string members;
    std::size_t count = 0;
  };
  std::vector<std::string> sources_;
  std::vector<kind> kinds_;
};

extern const char* const kinds_header;
