// Reading a structure: PDB or mmCIF, plain or gzipped, told apart by content, read by gemmi.
#pragma once

#include <string>
#include <string_view>

#include <gemmi/model.hpp>

// Reads the file at path ("-": descriptor 0) once, whole: a regular plain file mapped, anything else through
// zlib, which takes gzip (several members, zero padding) and plain bytes alike. mmCIF when the first line that
// is neither blank nor a comment starts with "data_", PDB otherwise. Throws run_error for a file that cannot be
// read, bytes that are not a valid gzip stream, a binary file or one without atom records ("neither a PDB nor
// an mmCIF file"), an mmCIF atom without a residue number, or gemmi's reason for a file it cannot parse
// ("PATH:LINE: reason" where gemmi gives the line), always as one printable line.
gemmi::Structure read_structure(const std::string& path);

// The same for bytes already in memory, uncompressed; shown names them in messages.
gemmi::Structure parse_structure(std::string_view bytes, const std::string& shown);
