#include "atom_table.hpp"

point_set atom_table::points() const { return {labels, x, y, z}; }

std::uint32_t atom_tables::chain_number(const std::string& name) {
  return chain_of_.try_emplace(name, static_cast<std::uint32_t>(chain_of_.size())).first->second;
}

std::uint32_t atom_tables::residue_number(const std::string& id) {
  return residue_of_.try_emplace(id, static_cast<std::uint32_t>(residue_of_.size())).first->second;
}

namespace {

// Views into the label buffer are taken once it has stopped growing.
void take_views(atom_table& table, const std::vector<std::size_t>& id_ends, const std::vector<std::size_t>& type_ends,
                const std::vector<std::size_t>& ends) {
  const std::string_view all = table.label_bytes;
  const std::size_t n = ends.size();
  table.labels.reserve(n);
  table.parts.reserve(n);
  for (std::size_t p = 0, begin = 0; p < n; begin = ends[p], ++p) {
    table.labels.push_back(all.substr(begin, ends[p] - begin));
    table.parts.push_back({all.substr(begin, id_ends[p] - begin), all.substr(id_ends[p] + 1, type_ends[p] - id_ends[p] - 1),
                           all.substr(type_ends[p] + 1, ends[p] - type_ends[p] - 1)});
  }
}

}  // namespace

atom_table atom_tables::make(const std::vector<picked_atom>& picked) {
  atom_table table;
  const std::size_t n = picked.size();
  // On the heap from the first atom on (beyond any short-string buffer): the views stay valid when the table moves.
  table.label_bytes.reserve(16 * n);
  table.atoms.reserve(n);
  table.residue_at.reserve(n), table.chain_at.reserve(n), table.image.reserve(n);
  for (auto* v : {&table.residue, &table.chain}) v->reserve(n);
  table.seq_number.reserve(n);
  table.polymer.reserve(n);
  for (auto* v : {&table.x, &table.y, &table.z}) v->reserve(n);
  std::string id;
  const gemmi::Residue* residue = nullptr;
  std::uint32_t residue_number = 0, chain_number_now = 0;
  // Where each label's identifier, type and whole label end in label_bytes.
  std::vector<std::size_t> id_ends(n), type_ends(n), ends(n);
  for (std::size_t p = 0; p < n; ++p) {
    const picked_atom& atom = picked[p];
    if (atom.residue != residue) {
      residue = atom.residue;
      id = residue_identifier(atom.chain->name, residue->seqid);
      residue_number = this->residue_number(id);
      chain_number_now = chain_number(atom.chain->name);
    }
    table.label_bytes += id;
    id_ends[p] = table.label_bytes.size();
    table.label_bytes += ':';
    table.label_bytes += residue->name;
    type_ends[p] = table.label_bytes.size();
    table.label_bytes += ':';
    table.label_bytes += atom.atom->name;
    ends[p] = table.label_bytes.size();
    table.atoms.push_back(atom.atom);
    table.residue_at.push_back(atom.residue);
    table.chain_at.push_back(atom.chain);
    table.image.push_back(0);
    table.residue.push_back(residue_number);
    table.chain.push_back(chain_number_now);
    table.seq_number.push_back(*residue->seqid.num);
    table.polymer.push_back(residue->entity_type == gemmi::EntityType::Polymer);
    table.x.push_back(static_cast<float>(atom.atom->pos.x));
    table.y.push_back(static_cast<float>(atom.atom->pos.y));
    table.z.push_back(static_cast<float>(atom.atom->pos.z));
  }
  take_views(table, id_ends, type_ends, ends);
  return table;
}

void image_builder::begin_image(std::string code, const gemmi::Transform& move) {
  table_.image_codes.push_back(code);
  table_.image_moves.push_back(move);
  code_ = "@" + std::move(code);
  residue_of_ = UINT32_MAX;
}

void image_builder::add(std::size_t atom, float x, float y, float z, atom_tables& tables) {
  const contact_label& parts = source_.parts[atom];
  if (source_.residue[atom] != residue_of_) {
    residue_of_ = source_.residue[atom];
    residue_number_ = tables.residue_number(std::string(parts.id) + code_);
    chain_number_ = tables.chain_number("\n" + std::to_string(source_.chain[atom]) + code_);  // no chain name holds a line break
  }
  table_.label_bytes.append(parts.id.data(), parts.id.size()).append(code_);
  id_ends_.push_back(table_.label_bytes.size());
  table_.label_bytes.append(":").append(parts.type.data(), parts.type.size());
  type_ends_.push_back(table_.label_bytes.size());
  table_.label_bytes.append(":").append(parts.atom.data(), parts.atom.size());
  ends_.push_back(table_.label_bytes.size());
  table_.atoms.push_back(source_.atoms[atom]);
  table_.residue_at.push_back(source_.residue_at[atom]);
  table_.chain_at.push_back(source_.chain_at[atom]);
  table_.image.push_back(static_cast<std::uint32_t>(table_.image_codes.size() - 1));
  table_.source.push_back(static_cast<std::uint32_t>(atom));
  table_.residue.push_back(residue_number_);
  table_.chain.push_back(chain_number_);
  table_.seq_number.push_back(source_.seq_number[atom]);
  table_.polymer.push_back(source_.polymer[atom]);
  table_.x.push_back(x);
  table_.y.push_back(y);
  table_.z.push_back(z);
}

image_builder::image_builder(const atom_table& source) : source_(source) {
  table_.label_bytes.reserve(64);  // on the heap from the start: the views stay valid when the table moves
}

atom_table image_builder::take() {
  take_views(table_, id_ends_, type_ends_, ends_);
  id_ends_.clear(), type_ends_.clear(), ends_.clear();
  return std::move(table_);
}
