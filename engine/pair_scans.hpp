// Every pair of a structure's sides from one read: its polymer chains (one search of all their atoms), or the
// pairs of named selections a caller lists. Each pair's results are handed over one at a time, in order.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gemmi/model.hpp>

#include "request.hpp"
#include "contact_frequencies.hpp"
#include "side_areas.hpp"
#include "side_pair.hpp"

// What a scan records of a structure: its counts, and how it went.
struct structure_status {
  bool counted = false;  // chains, polymer_chains and atoms are known (not for a file that cannot be read)
  std::size_t chains = 0, polymer_chains = 0, atoms = 0, pairs = 0;
  std::size_t ligands = 0;  // filled by a caller that writes the row (a pass over the atoms of its own)
  std::string status = "done";  // done, one_chain, no_match, no_assembly, unreadable
  std::string message;
  bool writing = false;  // the caller has begun to write: a failure now is not the structure's
  // The header and this structure's row (ligands last: the column came later).
  std::string table(const std::string& structure) const;
};

// One pair of sides with its results complete; the references hold during the visit only.
struct found_pair {
  const std::string& first;
  const std::string& second;
  std::size_t first_atoms, second_atoms;
  std::uint64_t image_contacts;
  bool self;  // a chain against itself: its map is drawn square
  side_pair& result;
  // When the request asks for areas: the structure's, with this pair's two sides in it.
  const side_areas* areas = nullptr;
  std::uint32_t first_side = 0, second_side = 1;
  // When the request names models: the pair's residue pairs in contact in any of them, and how many models.
  const std::vector<frequency_row>* frequencies = nullptr;
  std::uint64_t models = 0;
};

using pair_visit = std::function<void(found_pair&)>;

// Every pair of polymer chains (chains in pairpick --list's order), and with self_pairs each chain against
// itself after them, as a run of the two chains (or of the chain) would give its contacts; status gets the
// structure's counts. The request's selections are not used.
void for_each_chain_pair(const scan_request& request, bool self_pairs, gemmi::Structure& structure,
                         structure_status& status, const pair_visit& visit);

// Two named selections.
struct named_pair {
  std::string names[2], selections[2];
};

// The named pairs in their order; a selection that matches nothing gives a pair without atoms or contacts,
// and the status no_match.
void for_each_named_pair(const scan_request& request, const std::vector<named_pair>& pairs,
                         gemmi::Structure& structure, structure_status& status, const pair_visit& visit);
