// The crystal around the asymmetric unit: the images of a side's atoms under the space group's operations and
// lattice shifts, as a table of their own that the search meets like any other side.
#pragma once

#include <string>

#include <gemmi/model.hpp>

#include "atom_table.hpp"

// Throws run_error unless structure is a crystal whose symmetry can be rebuilt: a diffraction method (or
// none recorded), a real unit cell (not missing, not the 1 x 1 x 1 placeholder) and a known space group, and the
// cell passes check_cell.
void check_crystal(const gemmi::Structure& structure);

// Throws run_error, with its own reason, for a cell length not above 0, an angle outside (0, 180), angles that
// give no real cell, or a cell of less than 1 A^3 an atom (the first model's atoms times operations).
void check_cell(const gemmi::Structure& structure, int operations);

// The operation of an image in the field's notation: operation number (1 is the identity, then the space
// group's operations in gemmi's order), "_", and the cell shift as three digits 5 + shift ("2_655"); shifts
// beyond -5..4 are written as three numbers apart ("1_15_5_5").
std::string image_code(int operation, int da, int db, int dc);

// Every image of imaged's atoms but the identity's (the atoms themselves) that lies within cutoff of near's box,
// by operation, then shift (a, b, c increasing), then atom. Each image keeps the atom's label with "@CODE" after
// its residue identifier (a residue and chain of its own for the rules), and coordinates made in double from
// the file's and rounded once to float.
atom_table crystal_images(const gemmi::Structure& structure, const atom_table& imaged, const atom_table& near,
                          float cutoff, atom_tables& tables);
