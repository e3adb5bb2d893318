// Biological assemblies: the molecule of the cell built from the asymmetric unit, by the generators the file
// declares (mmCIF pdbx_struct_assembly_gen, PDB REMARK 350), through gemmi.
#pragma once

#include <string>

#include <gemmi/model.hpp>

// Replaces every model of structure by assembly id. Copies of a chain are named by gemmi's AddNumber rule:
// the original name plus a copy number ("A1", "A2"), the number raised past any name already given, so no
// two chains share a name. Throws run_error for an id the file does not declare, naming those it does.
void build_assembly(gemmi::Structure& structure, const std::string& id);

// One line per declared assembly, in file order: id, oligomeric count (0 when not given), details;
// tab-separated.
std::string assembly_table(const gemmi::Structure& structure);
