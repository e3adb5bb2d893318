// pairscan --interfaces: every pair of a structure's sides from one read, each pair's files in a folder of its
// own and one summary row each.
#pragma once

#include <string>
#include <vector>

#include <gemmi/model.hpp>

#include "html_page.hpp"
#include "pair_scans.hpp"
#include "scan_command_line.hpp"

// Every pair of polymer chains (with --self each chain against itself too), or the pairs of named selections
// that options.pairs lists, written in the folder given (which takes the interfaces folder's place at the end);
// status gets the structure's counts. source_chains: the chain names before an assembly was built, whose
// copies are one chain to the kinds of interface.
// With page, each pair in contact adds its map to it.
void scan_interfaces(const scan_options& options, gemmi::Structure& structure, structure_status& status,
                     const std::string& written, const std::vector<std::string>& source_chains,
                     std::vector<page_map>* page);
