// Reading a structure: PDB or mmCIF, plain or gzipped, told apart by content, read by gemmi.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <gemmi/model.hpp>

// Reads the file at path ("-": descriptor 0) once, whole: a regular plain file mapped, anything else through
// zlib, which takes gzip (several members, zero padding) and plain bytes alike. mmCIF when the first line that
// is neither blank nor a comment starts with "data_", PDB otherwise. Throws run_error for a file that cannot be
// read, bytes that are not a valid gzip stream, a binary file or one without atom records ("neither a PDB nor
// an mmCIF file"), an mmCIF atom without a residue number, or gemmi's reason for a file it cannot parse
// ("PATH:LINE: reason" where gemmi gives the line), always as one printable line.
// A file (or, gzipped, its decompressed text) larger than max_size bytes is refused as it is read, so that a
// small gzip file of zeros or of endless REMARK lines cannot take the machine's memory; binary bytes are refused
// from the first block (a gzip file that decompresses to at most 64 MiB is decompressed whole first).
constexpr std::uint64_t default_max_input_size = std::uint64_t{4} << 30;
gemmi::Structure read_structure(const std::string& path, std::uint64_t max_size = default_max_input_size);
// The same, keeping the file's text (decompressed) in text, for a page that embeds it.
gemmi::Structure read_structure(const std::string& path, std::uint64_t max_size, std::string& text);

// Whether a structure's text is mmCIF (else PDB), as the reader tells them apart.
bool is_mmcif_text(std::string_view text);

// The same for bytes already in memory, uncompressed; shown names them in messages.
gemmi::Structure parse_structure(std::string_view bytes, const std::string& shown);

// Numbers every residue that has one by its label number (mmCIF label_seq_id, the position in the entity's
// sequence) instead of its author number, without insertion code; residues without one (ligands, waters) keep
// theirs. Throws run_error for a structure without label numbers (a PDB file): "FILE has no label numbers".
void use_label_numbers(gemmi::Structure& structure);
