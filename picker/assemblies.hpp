// Biological assemblies: the molecule of the cell built from the asymmetric unit, by the generators the file
// declares (mmCIF pdbx_struct_assembly_gen, PDB REMARK 350), through gemmi.
#pragma once

#include <string>

#include <gemmi/model.hpp>

// Replaces every model of structure by assembly id. Copies of a chain are named by gemmi's AddNumber rule:
// the original name plus a copy number ("A1", "A2"), the number raised past any name already given, so no
// two chains share a name. An atom on a symmetry axis of the assembly is in several copies: each copy closer
// than 0.8 A to an atom of the same element in the same residue (name and number) of an earlier chain is left out,
// so it is kept once, in the first copy. Returns how many atoms were left out so. Throws run_error for an id the
// file does not declare, naming those it does.
std::size_t build_assembly(gemmi::Structure& structure, const std::string& id);

// Why build_assembly cannot build id ("no assembly '1' in X; it declares none"), or "" when the file declares it.
std::string missing_assembly(const gemmi::Structure& structure, const std::string& id);

// The merging of build_assembly on chains already built; returns the atoms left out.
std::size_t merge_copies_on_axes(gemmi::Structure& structure);

// One line per declared assembly, in file order: id, oligomeric count (0 when not given), details, and the atoms
// on symmetry axes that building it keeps once (empty when it cannot be built); tab-separated.
std::string assembly_table(const gemmi::Structure& structure);
