// The picked atoms of a structure as the search sees them: labels in one buffer, single-precision coordinates,
// and for each atom what a scan's rules look at (its residue, chain, number, whether it is in a polymer).
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "cell_list.hpp"
#include "contact_line.hpp"
#include "point_list.hpp"

struct atom_table {
  std::string label_bytes;                // "A25:ASP:OD1" of every atom, one after the other
  std::vector<std::string_view> labels;   // views into label_bytes
  std::vector<contact_label> parts;       // the same, as residue identifier, type and atom name
  std::vector<const gemmi::Atom*> atoms;  // where each atom is in the structure
  std::vector<std::uint32_t> residue;     // number of the residue identifier: one residue, one number
  std::vector<std::uint32_t> chain;       // number of the chain name
  std::vector<int> seq_number;            // author residue number
  std::vector<char> polymer;              // in a polymer (gemmi's entity types: a modified residue counts)
  std::vector<float> x, y, z;             // the file's coordinates rounded once to float, as a list read back
  std::vector<std::uint32_t> source;      // a table of images: the imaged table's atom each one is
  // Where each atom's residue and chain are in the structure (an image's: its atom's), and its image: an index
  // into image_codes, 0 for an atom of the file or assembly itself.
  std::vector<const gemmi::Residue*> residue_at;
  std::vector<const gemmi::Chain*> chain_at;
  std::vector<std::uint32_t> image;
  std::vector<std::string> image_codes{""};
  std::vector<gemmi::Transform> image_moves{gemmi::Transform()};  // each image's move in Angstrom (identity first)

  std::size_t size() const { return atoms.size(); }
  // The labels and coordinates, as the search loads them.
  point_set points() const;
};

// The table of these atoms, in their order; chain and residue numbers are shared with earlier calls through
// names (so that two tables of one structure agree). Entity types must have been set on the structure.
class atom_tables {
 public:
  atom_table make(const std::vector<picked_atom>& picked);
  std::uint32_t chain_number(const std::string& name);
  std::uint32_t residue_number(const std::string& id);

 private:
  // Numbers are given in order of first appearance: a name's number is the map's size when it comes.
  std::unordered_map<std::string, std::uint32_t> residue_of_, chain_of_;
};

// A table of images of another table's atoms (the same atoms moved), built one atom at a time: each keeps its
// atom's label with "@CODE" after the residue identifier, and the image of a residue or chain is a residue or
// chain of its own ("A25@2_655" of chain "A@2_655").
class image_builder {
 public:
  explicit image_builder(const atom_table& source);
  void begin_image(std::string code, const gemmi::Transform& move = gemmi::Transform());
  void add(std::size_t atom, float x, float y, float z, atom_tables& tables);
  atom_table take();

 private:
  const atom_table& source_;
  std::string code_;
  atom_table table_;
  std::vector<std::size_t> id_ends_, type_ends_, ends_;
  std::uint32_t residue_of_ = UINT32_MAX;  // the source residue whose image numbers are below
  std::uint32_t residue_number_ = 0, chain_number_ = 0;
};
