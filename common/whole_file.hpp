// Output written whole at the end of a run, so that a failed run never leaves a half-written file.
#pragma once

#include <string>
#include <string_view>

// Writes bytes as the file at path, resolved by resolve_output. A regular file (or a new one) is written to a
// temporary file in the folder of the final target and renamed over that target, so readers see the old file
// or the new one, never a part, and a link stays a link; a held descriptor or a device is written in place. Throws run_error
// "cannot create PATH: reason" or "cannot write PATH: reason"; no temporary file is left behind.
void write_whole_file(const std::string& path, std::string_view bytes);
