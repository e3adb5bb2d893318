// Reading a contact list into one record per residue pair.
#pragma once

#include <map>

#include "inter_residue.hpp"
#include "text_file.hpp"

// Both residue identifiers of a contact, the smaller string first; the map keeps the records in that order.
using residue_key = name_pair;
using record_map = std::map<residue_key, inter_residue>;

// Feeds every contact line of input ("id:type:atom<TAB>id:type:atom<TAB>distance", further fields and label
// parts ignored) to the record of its residue pair. The labels are put in order of residue identifier as
// strings; with equal identifiers the second label comes first. A record keeps the types of its first line.
// Throws run_error naming the file and line for a line of fewer than three fields, a label of fewer than three
// ':' parts, or a distance that is not a number.
void group_contacts(const text_file& input, record_map& records);
