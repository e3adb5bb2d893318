#include "contact_frequencies.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <tuple>

#include "cell_list.hpp"
#include "error.hpp"
#include "number_text.hpp"
#include "point_list.hpp"

const char* const frequency_columns = "\tmodels_in_contact\tfrequency";

contact_frequencies::contact_frequencies(float cutoff, const atom_table& first, const atom_table* second,
                                         const pair_rules& rules, std::shared_ptr<const chain_order> order)
    : cutoff_(cutoff), first_(first), second_(second), rules_(rules) {
  // The residues of both sides, once each, sorted in row order: chain in the file's order, number, insertion code.
  std::vector<table_residue> residues;
  std::unordered_map<const gemmi::Residue*, std::uint32_t> index;
  const auto collect = [&](const atom_table& t) {
    for (std::size_t p = 0; p < t.size(); ++p)
      if (index.emplace(t.residue_at[p], static_cast<std::uint32_t>(residues.size())).second)
        residues.push_back({t.chain_at[p], t.residue_at[p], "", t.parts[p].id});
  };
  collect(first);
  if (second != nullptr) collect(*second);
  std::vector<std::uint32_t> sorted(residues.size());
  for (std::uint32_t r = 0; r < sorted.size(); ++r) sorted[r] = r;
  const auto key = [&](const table_residue& r) {
    return std::make_tuple(order->rank(r.chain), *r.residue->seqid.num, r.residue->seqid.icode);
  };
  std::stable_sort(sorted.begin(), sorted.end(), [&](std::uint32_t a, std::uint32_t b) { return key(residues[a]) < key(residues[b]); });
  std::vector<std::uint32_t> rank(residues.size());
  for (std::uint32_t k = 0; k < sorted.size(); ++k) rank[sorted[k]] = k, residue_by_rank_.push_back(residues[sorted[k]]);
  const auto ranks_of = [&](const atom_table& t, std::vector<std::uint32_t>& out) {
    out.resize(t.size());
    for (std::size_t p = 0; p < t.size(); ++p) out[p] = rank[index.at(t.residue_at[p])];
  };
  ranks_of(first, rank_first_);
  if (second != nullptr) ranks_of(*second, rank_second_);
}

point_set contact_frequencies::points_of(const atom_table& table, const float* xyz) const {
  point_set set;
  set.labels = table.labels;
  const std::size_t n = table.size();
  set.x.resize(n), set.y.resize(n), set.z.resize(n);
  for (std::size_t p = 0; p < n; ++p) {
    set.x[p] = xyz[3 * p], set.y[p] = xyz[3 * p + 1], set.z[p] = xyz[3 * p + 2];
    if (!std::isfinite(set.x[p]) || !std::isfinite(set.y[p]) || !std::isfinite(set.z[p]))
      fail("frame " + std::to_string(frames_ + 1) + ": atom " + std::string(table.labels[p]) +
           " has a coordinate that is not a finite number");
  }
  return set;
}

void contact_frequencies::add_frame(const float* first_xyz, const float* second_xyz) {
  const bool self = second_ == nullptr;
  const atom_table& other = self ? first_ : *second_;
  const std::vector<std::uint32_t>& other_rank = self ? rank_first_ : rank_second_;
  const std::uint64_t frame = frames_;
  if (first_.size() > 0 && other.size() > 0) {
    const cell_list grid = self ? cell_list::for_self_points(cutoff_, points_of(first_, first_xyz))
                                : cell_list::for_points(cutoff_, points_of(first_, first_xyz), points_of(other, second_xyz));
    const auto meet = [&](std::int32_t ia, std::int32_t ib, float d) {
      const auto pa = static_cast<std::size_t>(ia), pb = static_cast<std::size_t>(ib);
      if ((between_chains_ && first_.chain[pa] == other.chain[pb]) || rules_.drops(first_, pa, other, pb, d)) return;
      std::uint32_t ra = rank_first_[pa], rb = other_rank[pb];
      if (self && rb < ra) std::swap(ra, rb);
      count& c = counts_[(std::uint64_t{ra} << 32) | rb];
      if (c.last != frame) c.last = frame, ++c.frames;
    };
    if (self)
      grid.for_each_self_contact(meet);
    else
      grid.for_each_contact(meet);
  }
  ++frames_;
}

std::vector<frequency_row> contact_frequencies::rows() const {
  std::vector<std::pair<std::uint64_t, std::uint64_t>> keys;
  keys.reserve(counts_.size());
  for (const auto& [key, c] : counts_) keys.emplace_back(key, c.frames);
  std::sort(keys.begin(), keys.end());
  std::vector<frequency_row> rows;
  rows.reserve(keys.size());
  for (const auto& [key, frames] : keys)
    rows.push_back({residue_by_rank_[key >> 32], residue_by_rank_[key & 0xffffffffu], frames});
  return rows;
}

std::vector<ensemble_pair> ensemble_pairs(const std::vector<frequency_row>& rows, const std::vector<residue_pair_row>& first) {
  struct pair_hash {
    std::size_t operator()(const std::pair<const void*, const void*>& p) const {
      return std::hash<const void*>()(p.first) * 31 + std::hash<const void*>()(p.second);
    }
  };
  std::unordered_map<std::pair<const void*, const void*>, const residue_pair_row*, pair_hash> in_first;
  for (const residue_pair_row& r : first) in_first.emplace(std::make_pair(r.first.residue, r.second.residue), &r);
  std::vector<ensemble_pair> pairs;
  pairs.reserve(rows.size());
  for (const frequency_row& r : rows) {
    const auto found = in_first.find(std::make_pair(r.first.residue, r.second.residue));
    residue_pair_row pair{r.first, r.second, 0, std::numeric_limits<float>::quiet_NaN()};
    if (found != in_first.end()) pair.contacts = found->second->contacts, pair.closest = found->second->closest;
    pairs.push_back({pair, r.frames});
  }
  return pairs;
}

std::string frequency_text(const std::vector<frequency_row>& rows, const std::vector<residue_pair_row>& first,
                           std::uint64_t frames) {
  std::string out(residue_pairs_header, std::char_traits<char>::length(residue_pairs_header) - 1);
  (out += frequency_columns) += '\n';
  char text[float_text_room];
  for (const ensemble_pair& e : ensemble_pairs(rows, first)) {
    const residue_pair_row& r = e.pair;
    append_residue_fields(out, *r.first.chain, *r.first.residue);
    out += '\t';
    append_residue_fields(out, *r.second.chain, *r.second.residue);
    out += '\t';  // no image: an ensemble is searched without its crystal
    (out += '\t') += std::to_string(r.contacts);
    out += '\t';
    if (r.contacts > 0) out.append(text, write_float(text, r.closest));
    (out += '\t') += std::to_string(e.frames);
    // The share as a float, written as distances are: exact for 0 and 1, at most 1 by construction.
    const float share = frames == 0 ? 0.0f : static_cast<float>(static_cast<double>(e.frames) / static_cast<double>(frames));
    (out += '\t').append(text, write_float(text, share));
    out += '\n';
  }
  return out;
}

namespace {

// "model 3 of FILE: " before a message about that model's atoms.
std::string model_text(const gemmi::Structure& structure, const gemmi::Model& model) {
  return "model " + printable(model.name, 20) + " of " + structure.name;
}

void fill(const gemmi::Structure& structure, const gemmi::Model& model, const std::vector<picked_atom>& picked,
          const atom_table& table, std::vector<float>& xyz) {
  if (picked.size() != table.size())
    fail(model_text(structure, model) + ": the selection picks " + std::to_string(picked.size()) + " atoms there, " +
         std::to_string(table.size()) + " in the first model; every model must hold the same atoms");
  xyz.resize(3 * picked.size());
  for (std::size_t p = 0; p < picked.size(); ++p) {
    const picked_atom& a = picked[p];
    if (a.atom->name != table.atoms[p]->name || a.residue->name != table.residue_at[p]->name ||
        a.residue->seqid != table.residue_at[p]->seqid || a.chain->name != table.chain_at[p]->name)
      fail(model_text(structure, model) + ": atom " + std::to_string(p + 1) + " of the selection is " +
           quoted(printable(a.chain->name + "/" + a.residue->name + " " + a.residue->seqid.str() + "/" + a.atom->name, 60)) +
           " there, not " + quoted(printable(std::string(table.labels[p]), 60)) + " as in the first model");
    xyz[3 * p] = static_cast<float>(a.atom->pos.x);
    xyz[3 * p + 1] = static_cast<float>(a.atom->pos.y);
    xyz[3 * p + 2] = static_cast<float>(a.atom->pos.z);
  }
}

}  // namespace

void model_coordinates(const gemmi::Structure& structure, const gemmi::Model& model,
                       const std::vector<gemmi::Selection>& selections, const atom_defaults& defaults,
                       const atom_table& first, const atom_table* second, std::vector<float>& first_xyz,
                       std::vector<float>& second_xyz) {
  std::vector<std::vector<picked_atom>> picked;
  // A coordinate that is not finite is refused by the picking, with the model named in place of the file.
  for (const gemmi::Selection& selection : selections)
    picked.push_back(pick_atoms(model, selection, defaults, model_text(structure, model)));
  if (picked.size() > 1) {
    std::unordered_map<const gemmi::Atom*, bool> in_first;
    for (const picked_atom& p : picked[0]) in_first.emplace(p.atom, true);
    auto& other = picked[1];
    other.erase(std::remove_if(other.begin(), other.end(), [&](const picked_atom& p) { return in_first.count(p.atom) != 0; }),
                other.end());
  }
  fill(structure, model, picked[0], first, first_xyz);
  if (second != nullptr) fill(structure, model, picked[1], *second, second_xyz);
}

void table_coordinates(const gemmi::Structure& structure, const gemmi::Model& model, const atom_defaults& defaults,
                       const atom_table& table, std::vector<float>& xyz) {
  std::unordered_map<std::string, bool> chains;
  for (const gemmi::Chain* chain : table.chain_at) chains.emplace(chain->name, true);
  std::vector<picked_atom> picked = pick_atoms(model, gemmi::Selection{}, defaults, model_text(structure, model));
  picked.erase(std::remove_if(picked.begin(), picked.end(), [&](const picked_atom& p) { return chains.count(p.chain->name) == 0; }),
               picked.end());
  fill(structure, model, picked, table, xyz);
}

std::size_t frame_layout(const gemmi::Model& model, const atom_table& table, std::vector<std::uint32_t>& index) {
  std::unordered_map<const gemmi::Atom*, std::uint32_t> place;
  for (const gemmi::Chain& chain : model.chains)
    for (const gemmi::Residue& residue : chain.residues)
      for (const gemmi::Atom& atom : residue.atoms) place.emplace(&atom, static_cast<std::uint32_t>(place.size()));
  index.clear();
  for (const gemmi::Atom* atom : table.atoms) index.push_back(place.at(atom));
  return place.size();
}

std::vector<std::pair<int, int>> model_ranges(const std::string& list) {
  std::vector<std::pair<int, int>> ranges;
  if (list == "all") return ranges;
  const auto number = [&](const std::string& text) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
      throw usage_error("--models takes 'all' or model numbers and ranges such as 1-5,8, not " + quoted(list));
    return std::stoi(text);
  };
  std::size_t begin = 0;
  while (begin <= list.size()) {
    std::size_t end = list.find(',', begin);
    if (end == std::string::npos) end = list.size();
    const std::string item = list.substr(begin, end - begin);
    const std::size_t dash = item.find('-');
    const int from = number(item.substr(0, dash)), to = dash == std::string::npos ? from : number(item.substr(dash + 1));
    if (to < from) throw usage_error("--models: the range " + quoted(item) + " runs backwards");
    ranges.emplace_back(from, to);
    begin = end + 1;
  }
  return ranges;
}

std::vector<const gemmi::Model*> listed_models(const gemmi::Structure& structure, const std::string& list) {
  std::vector<const gemmi::Model*> models;
  const std::vector<std::pair<int, int>> ranges = model_ranges(list);
  if (ranges.empty())
    for (const gemmi::Model& model : structure.models) models.push_back(&model);
  for (const auto& [from, to] : ranges)
    for (int n = from; n <= to; ++n) {
      const gemmi::Model* found = nullptr;
      for (const gemmi::Model& model : structure.models)
        if (model.name == std::to_string(n)) found = &model;
      if (found == nullptr)
        fail("no model " + std::to_string(n) + " in " + structure.name + "; it holds " +
             std::to_string(structure.models.size()) + (structure.models.size() == 1 ? " model" : " models") +
             (structure.models.empty() ? "" : ", " + structure.models.front().name + " to " + structure.models.back().name));
      models.push_back(found);
    }
  return models;
}

std::unique_ptr<contact_map> frequency_map(const std::vector<frequency_row>& rows, std::uint64_t frames) {
  auto map = std::make_unique<contact_map>();
  for (const frequency_row& r : rows) {
    const float share = static_cast<float>(static_cast<double>(r.frames) / static_cast<double>(frames));
    map->add(contact_line{{r.first.id, r.first.residue->name, ""}, {r.second.id, r.second.residue->name, ""}, share, {}});
  }
  return map;
}
