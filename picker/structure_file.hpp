// Reading a structure: PDB or mmCIF, plain or gzipped, told apart by content, read by gemmi.
#pragma once

#include <string>

#include <gemmi/model.hpp>

// Reads the file at path ("-": standard input) once, whole. Throws run_error for a file that cannot be read,
// bytes that are not a valid gzip stream, a file that is neither PDB nor mmCIF, or gemmi's reason for one it
// cannot parse ("PATH:LINE: reason" where gemmi gives the line), always as one printable line.
gemmi::Structure read_structure(const std::string& path);

// Whether a PDB file uses columns 73-80 of its atom records for the entry name and a serial, as old files
// do: a digit in column 77, 78 or 80 of the first ATOM or HETATM record, where an element symbol or a charge
// sign belongs. gemmi must then read such records only up to column 72.
bool has_legacy_id_columns(const char* data, std::size_t size);
