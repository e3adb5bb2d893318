#include "covalent_links.hpp"

#include <cstdint>
#include <vector>

#include "hashing.hpp"

namespace {

// Every atom an address names: all its conformations where the address names none.
std::vector<const gemmi::Atom*> find_atoms(const gemmi::Model& model, const gemmi::AtomAddress& address) {
  std::vector<const gemmi::Atom*> found;
  for (const gemmi::Chain& chain : model.chains) {
    if (chain.name != address.chain_name) continue;
    for (const gemmi::Residue& residue : chain.residues) {
      if (residue.seqid != address.res_id.seqid || residue.name != address.res_id.name) continue;
      for (const gemmi::Atom& atom : residue.atoms)
        if (atom.name == address.atom_name && (address.altloc == '\0' || atom.altloc == '\0' || atom.altloc == address.altloc))
          found.push_back(&atom);
    }
  }
  return found;
}

}  // namespace

std::size_t covalent_links::pair_hash::operator()(const atom_pair& p) const {
  return static_cast<std::size_t>(mix_key(reinterpret_cast<std::uintptr_t>(p.first) ^
                                          mix_key(reinterpret_cast<std::uintptr_t>(p.second))));
}

covalent_links::covalent_links(const gemmi::Structure& structure, const gemmi::Model& model) {
  for (const gemmi::Connection& link : structure.connections) {
    if (link.type != gemmi::Connection::Covale && link.type != gemmi::Connection::Disulf) continue;
    if (link.asu == gemmi::Asu::Different) continue;
    for (const gemmi::Atom* a : find_atoms(model, link.partner1))
      for (const gemmi::Atom* b : find_atoms(model, link.partner2))
        // A PDB LINK to a metal is its coordination, which stays a contact.
        if (!a->element.is_metal() && !b->element.is_metal()) pairs_.insert(key(a, b));
  }
}
