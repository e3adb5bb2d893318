// pairscan's runs, composed from the libraries below it: the structure read once (picker), one search (finder),
// the contacts grouped and written (sorter), the map drawn (mapper).
#pragma once

#include "scan_command_line.hpp"

// Runs one command line's work; throws run_error. Nothing is written before every result is ready.
void run_scan(const scan_options& options);
