// Which atoms of a structure are written: the selection, then the defaults that suit contact work (one model,
// one conformation of each atom, no waters, no hydrogens), each of which an option turns off.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

#include <gemmi/model.hpp>
#include <gemmi/select.hpp>


// The model a selection reads: the one it names, else the first. Throws run_error when the structure has no
// atoms or no model of the number named.
const gemmi::Model& chosen_model(const gemmi::Structure& structure, const gemmi::Selection& selection);

// Parses selection text; throws run_error "selection TEXT: gemmi's reason (where)".
gemmi::Selection parse_selection(const std::string& text);

// Which alternate conformations are kept: the first one seen for each atom (the default), one named letter, or
// every one.
struct altloc_choice {
  enum mode_type { first, named, all } mode = first;
  char letter = 0;  // for named
};

// An altloc choice as the programs and the module name it: one letter, or "all"; throws usage_error for anything
// else ("--altloc takes one letter or 'all', not 'xy'").
altloc_choice read_altloc(const std::string& value);

// The value of --numbering: "author" (false) or "label" (true); throws usage_error for anything else.
bool read_numbering(const std::string& value);

struct atom_defaults {
  altloc_choice altloc;
  bool keep_waters = false;
  bool keep_hydrogens = false;
};

// Calls visit(chain, residue, atom) for every atom of model that the selection matches and the defaults
// keep, in file order. Of alternate conformations, the default keeps atoms without an altloc and one
// conformer per residue: the first altloc letter seen in the residue, for every atom that has it (an atom name
// without that letter keeps its own first), so that a side chain is never put together from two conformers.
// A residue that repeats the number of the residue before it
// with every atom in an alternate conformation (one of two residue types at a site) is left out. A selection
// that names altlocs itself (":A") sees every conformation.
class atom_picker {
 public:
  atom_picker(const gemmi::Selection& selection, const atom_defaults& defaults);

  template <class Visit>
  void for_each_atom(const gemmi::Model& model, Visit&& visit) {
    if (!selection_.matches(model)) return;
    for (const gemmi::Chain& chain : model.chains) {
      if (!selection_.matches(chain)) continue;
      const gemmi::Residue* previous = nullptr;
      for (const gemmi::Residue& residue : chain.residues) {
        const bool repeated = previous != nullptr && previous->seqid == residue.seqid;
        previous = &residue;
        if (!keeps(residue, repeated) || !selection_.matches(residue)) continue;
        begin_residue(residue);
        for (const gemmi::Atom& atom : residue.atoms)
          if (keeps(atom) && selection_.matches(atom)) visit(chain, residue, atom);
      }
    }
  }

 private:
  bool keeps(const gemmi::Residue& residue, bool repeated) const;
  bool keeps(const gemmi::Atom& atom);
  void begin_residue(const gemmi::Residue& residue);

  const gemmi::Selection& selection_;
  atom_defaults defaults_;
  // The current residue's conformer letter (0: none), the names of its atoms that have it, and the names of
  // those without it already kept in their own first conformation.
  char residue_altloc_ = 0;
  std::unordered_set<std::string_view> names_with_letter_, seen_altloc_names_;
};
