// Output written whole at the end of a run, so that a failed run never leaves a half-written file.
#pragma once

#include <string>
#include <string_view>

// Writes bytes as the file at path. A regular file (or a new one) is written to a temporary file in the same
// folder and renamed over path, so readers see the old file or the new one, never a part; anything else
// (a pipe, /dev/stdout, a terminal) is written in place. "-" is standard output. Throws run_error
// "cannot create PATH: reason" or "cannot write PATH: reason"; no temporary file is left behind.
void write_whole_file(const std::string& path, std::string_view bytes);
