// Reading a structure: PDB or mmCIF, plain or gzipped, told apart by content, read by gemmi.
#pragma once

#include <string>

#include <gemmi/model.hpp>

// Reads the file at path ("-": standard input) once, whole. Throws run_error for a file that cannot be read,
// bytes that are not a valid gzip stream, a file that is neither PDB nor mmCIF, or gemmi's reason for one it
// cannot parse ("PATH:LINE: reason" where gemmi gives the line), always as one printable line.
gemmi::Structure read_structure(const std::string& path);
