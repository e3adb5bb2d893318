#include "covalent_links.hpp"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "hashing.hpp"

namespace {

// Residues by chain name, number and name: a link's partners are found without a scan of the model per link.
using residue_index = std::unordered_map<std::string, std::vector<const gemmi::Residue*>>;

std::string residue_key(const std::string& chain, const gemmi::SeqId& seqid, const std::string& name) {
  return chain + '\t' + seqid.str() + '\t' + name;
}

// Every atom an address names: all its conformations where the address names none.
std::vector<const gemmi::Atom*> find_atoms(const residue_index& residues, const gemmi::AtomAddress& address) {
  std::vector<const gemmi::Atom*> found;
  const auto entry = residues.find(residue_key(address.chain_name, address.res_id.seqid, address.res_id.name));
  if (entry == residues.end()) return found;
  for (const gemmi::Residue* residue : entry->second)
    for (const gemmi::Atom& atom : residue->atoms)
      if (atom.name == address.atom_name && (address.altloc == '\0' || atom.altloc == '\0' || atom.altloc == address.altloc))
        found.push_back(&atom);
  return found;
}

}  // namespace

std::size_t covalent_links::pair_hash::operator()(const atom_pair& p) const {
  return static_cast<std::size_t>(mix_key(reinterpret_cast<std::uintptr_t>(p.first) ^
                                          mix_key(reinterpret_cast<std::uintptr_t>(p.second))));
}

covalent_links::covalent_links(const gemmi::Structure& structure, const gemmi::Model& model) {
  if (structure.connections.empty()) return;
  residue_index residues;
  for (const gemmi::Chain& chain : model.chains)
    for (const gemmi::Residue& residue : chain.residues)
      residues[residue_key(chain.name, residue.seqid, residue.name)].push_back(&residue);
  for (const gemmi::Connection& link : structure.connections) {
    if (link.type != gemmi::Connection::Covale && link.type != gemmi::Connection::Disulf) continue;
    if (link.asu == gemmi::Asu::Different) continue;
    for (const gemmi::Atom* a : find_atoms(residues, link.partner1))
      for (const gemmi::Atom* b : find_atoms(residues, link.partner2))
        // A PDB LINK to a metal is its coordination, which stays a contact.
        if (!a->element.is_metal() && !b->element.is_metal()) pairs_.insert(key(a, b));
  }
}
