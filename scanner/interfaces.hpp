// pairscan --interfaces: every pair of a structure's sides from one read, each pair's files in a folder of its
// own (written in the folder given, which takes
// the interfaces folder's place at the end) and one summary row each.
#pragma once

#include <gemmi/model.hpp>

#include "scan_command_line.hpp"
#include "scan_output.hpp"

// Every pair of polymer chains, from one search of all their atoms (and, with self_pairs, each chain against
// itself); status gets the structure's counts.
void scan_chain_pairs(const scan_options& options, gemmi::Structure& structure, structure_status& status,
                      const std::string& written);

// The pairs of named selections that options.pairs lists, in its order; a selection that matches nothing gives
// a pair without atoms or contacts and the status no_match.
void scan_named_pairs(const scan_options& options, gemmi::Structure& structure, structure_status& status,
                      const std::string& written);
