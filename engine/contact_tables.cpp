#include "contact_tables.hpp"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "formatting.hpp"
#include "number_text.hpp"
#include "point_list.hpp"

const char* const contacts_header =
    "chain1\tnumber1\ticode1\tresname1\tatom1\tchain2\tnumber2\ticode2\tresname2\tatom2\timage2\tdistance\n";
const char* const residue_pairs_header =
    "chain1\tnumber1\ticode1\tresname1\tchain2\tnumber2\ticode2\tresname2\timage2\tcontacts\tclosest\n";
const char* const interactions_header =
    "chain1\tnumber1\ticode1\tresname1\tatom1\tchain2\tnumber2\ticode2\tresname2\tatom2\timage2\tdistance\ttype\tangle1\t"
    "angle2\tvia\n";
const char* const residues_header = "side\tchain\tnumber\ticode\tresname\tcontacts\tclosest\tclosest_partner\tpartners\n";

void contact_tables::add(const atom_table& t_a, std::size_t a, const atom_table& t_b, std::size_t b, float distance) {
  found_.push_back({&t_a, &t_b, static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b), distance});
}

chain_order::chain_order(const gemmi::Model& model) {
  // Chains of one name share the rank of the first.
  std::unordered_map<std::string_view, std::size_t> by_name;
  for (const gemmi::Chain& chain : model.chains)
    rank_.emplace(&chain, by_name.try_emplace(chain.name, by_name.size()).first->second);
}

std::size_t chain_order::rank(const gemmi::Chain* chain) const {
  const auto found = rank_.find(chain);
  return found == rank_.end() ? rank_.size() : found->second;
}

table_residue contact_tables::residue_of(const atom_table& t, std::uint32_t p) const {
  return {t.chain_at[p], t.residue_at[p], t.image_codes[t.image[p]], t.parts[p].id};
}

bool contact_tables::residue_less(const table_residue& x, const table_residue& y) const {
  const std::size_t rank_x = order_->rank(x.chain), rank_y = order_->rank(y.chain);
  if (rank_x != rank_y) return rank_x < rank_y;
  // One rank is one name, but for chains of no model, told apart by name.
  if (x.chain != y.chain && x.chain->name != y.chain->name) return x.chain->name < y.chain->name;
  const auto key = [](const table_residue& r) {
    return std::make_tuple(*r.residue->seqid.num, r.residue->seqid.icode, !r.image.empty(), r.image);
  };
  return key(x) < key(y);
}

bool contact_tables::turned(const atom_table& t_a, std::uint32_t a, const atom_table& t_b, std::uint32_t b) const {
  const table_residue ra = residue_of(t_a, a), rb = residue_of(t_b, b);
  if (!rb.image.empty()) return false;
  return residue_less(rb, ra) || (ra.residue == rb.residue && b < a);
}

int contact_tables::residue_order(const atom_table& x_a, std::uint32_t xa, const atom_table& x_b, std::uint32_t xb,
                                  const atom_table& y_a, std::uint32_t ya, const atom_table& y_b, std::uint32_t yb) const {
  const auto sign = [](bool less) { return less ? -1 : 1; };
  const table_residue x1 = residue_of(x_a, xa), y1 = residue_of(y_a, ya);
  if (x1.residue != y1.residue || x1.image != y1.image) return sign(residue_less(x1, y1));
  const table_residue x2 = residue_of(x_b, xb), y2 = residue_of(y_b, yb);
  if (x2.image != y2.image) return sign(x2.image.empty() || (!y2.image.empty() && x2.image < y2.image));
  if (x2.residue != y2.residue) return sign(residue_less(x2, y2));
  return 0;
}

std::vector<contact_tables::found> contact_tables::sorted() const {
  std::vector<found> rows = found_;
  if (self_)
    for (found& f : rows)
      if (turned(*f.t_a, f.a, *f.t_b, f.b)) std::swap(f.t_a, f.t_b), std::swap(f.a, f.b);
  // By residues, then distance, then atoms in file order.
  std::stable_sort(rows.begin(), rows.end(), [&](const found& x, const found& y) {
    if (const int by_residues = residue_order(*x.t_a, x.a, *x.t_b, x.b, *y.t_a, y.a, *y.t_b, y.b)) return by_residues < 0;
    if (x.distance != y.distance) return x.distance < y.distance;
    return std::tie(x.a, x.b) < std::tie(y.a, y.b);
  });
  return rows;
}

std::vector<interaction_row> contact_tables::interactions(std::vector<typed_interaction>& found) const {
  if (self_)
    for (typed_interaction& f : found)
      if (turned(*f.t_a, f.a, *f.t_b, f.b)) f.swap_sides();
  std::vector<const typed_interaction*> order;
  for (const typed_interaction& f : found) order.push_back(&f);
  // As the contacts, with the type before the distance.
  std::stable_sort(order.begin(), order.end(), [&](const typed_interaction* x, const typed_interaction* y) {
    if (const int by_residues = residue_order(*x->t_a, x->a, *x->t_b, x->b, *y->t_a, y->a, *y->t_b, y->b))
      return by_residues < 0;
    if (x->type != y->type) return x->type < y->type;
    if (x->distance != y->distance) return x->distance < y->distance;
    return std::tie(x->a, x->b) < std::tie(y->a, y->b);
  });
  std::vector<interaction_row> rows;
  for (const typed_interaction* f : order) {
    const std::string_view atom1 = f->names_a.empty() ? std::string_view(f->t_a->atoms[f->a]->name) : f->names_a;
    const std::string_view atom2 = f->names_b.empty() ? std::string_view(f->t_b->atoms[f->b]->name) : f->names_b;
    rows.push_back({residue_of(*f->t_a, f->a), residue_of(*f->t_b, f->b), atom1, atom2, f->type, f->distance, f->angle1,
                    f->angle2, f->via_chain, f->via});
  }
  return rows;
}

std::vector<contact_row> contact_tables::contacts() const {
  std::vector<contact_row> rows;
  for (const found& f : sorted())
    rows.push_back({residue_of(*f.t_a, f.a), residue_of(*f.t_b, f.b), f.t_a->atoms[f.a], f.t_b->atoms[f.b], f.distance});
  return rows;
}

std::vector<residue_pair_row> contact_tables::residue_pairs(const std::vector<contact_row>& contacts) {
  std::vector<residue_pair_row> rows;
  for (const contact_row& c : contacts) {
    if (!rows.empty() && rows.back().first.id == c.first.id && rows.back().second.id == c.second.id) {
      ++rows.back().contacts;
      continue;  // sorted by distance within the pair: the first is the closest
    }
    rows.push_back({c.first, c.second, 1, c.distance});
  }
  return rows;
}

std::vector<residue_row> contact_tables::residues(const std::vector<residue_pair_row>& pairs) const {
  // Each side's residues (an image's under the residue it is a copy of), in row order, each with its partners in
  // the order of the residue pair rows.
  std::vector<residue_row> rows;
  std::vector<std::pair<std::size_t, table_residue>> partner_of;  // (row, partner) of every mention
  struct mention {
    int side;
    table_residue residue;
    std::string_view partner;
    table_residue partner_residue;
    std::uint64_t contacts;
    float closest;
    std::size_t pair;
  };
  std::vector<mention> mentions;
  for (std::size_t p = 0; p < pairs.size(); ++p) {
    const residue_pair_row& r = pairs[p];
    table_residue own_second = r.second;
    own_second.image = "";
    mentions.push_back({1, r.first, r.second.id, r.second, r.contacts, r.closest, p});
    if (self_ && r.second.image.empty())
      mentions.push_back({1, r.second, r.first.id, r.first, r.contacts, r.closest, p});
    else if (!self_)
      mentions.push_back({2, own_second, r.first.id, r.first, r.contacts, r.closest, p});
  }
  std::stable_sort(mentions.begin(), mentions.end(), [&](const mention& x, const mention& y) {
    if (x.side != y.side) return x.side < y.side;
    if (x.residue.residue != y.residue.residue) return residue_less(x.residue, y.residue);
    return x.pair < y.pair;
  });
  for (const mention& m : mentions) {
    if (rows.empty() || rows.back().side != m.side || rows.back().residue.residue != m.residue.residue) {
      rows.push_back({m.side, m.residue, 0, m.closest, m.partner, {}});
      rows.back().residue.image = "";
    }
    residue_row& row = rows.back();
    row.contacts += m.contacts;
    if (m.closest < row.closest) row.closest = m.closest, row.closest_partner = m.partner;
    partner_of.push_back({rows.size() - 1, m.partner_residue});
  }
  // Each row's partners in row order: the file's own first, then by image code, each by residue.
  std::stable_sort(partner_of.begin(), partner_of.end(), [&](const auto& x, const auto& y) {
    if (x.first != y.first) return x.first < y.first;
    const table_residue &a = x.second, &b = y.second;
    if (a.image != b.image) return a.image.empty() || (!b.image.empty() && a.image < b.image);
    return residue_less(a, b);
  });
  for (const auto& [row, partner] : partner_of)
    if (rows[row].partners.empty() || rows[row].partners.back() != partner.id) rows[row].partners.push_back(partner.id);
  return rows;
}

namespace {

void append_residue(std::string& out, const table_residue& r) { append_residue_fields(out, *r.chain, *r.residue); }

void append_number(std::string& out, float value) {
  char text[float_text_room];
  out.append(text, write_float(text, value));
}

}  // namespace

std::string contacts_text(const std::vector<contact_row>& rows) {
  std::string out = contacts_header;
  for (const contact_row& r : rows) {
    append_residue(out, r.first);
    (out += '\t') += table_name(r.atom1->name);
    out += '\t';
    append_residue(out, r.second);
    (out += '\t') += table_name(r.atom2->name);
    (out += '\t').append(r.second.image);
    out += '\t';
    append_number(out, r.distance);
    out += '\n';
  }
  return out;
}

namespace {

struct id_pair_hash {
  std::size_t operator()(const std::pair<std::string_view, std::string_view>& k) const {
    return std::hash<std::string_view>()(k.first) * 31 + std::hash<std::string_view>()(k.second);
  }
};

void append_counts(std::string& out, const type_counts& counts) {
  for (const std::uint64_t n : counts) (out += '\t') += std::to_string(n);
}

}  // namespace

std::string type_count_names() {
  std::string names;
  for (std::size_t t = 0; t < interaction_type_count; ++t) (names += '\t') += interaction_name(static_cast<interaction_type>(t));
  return names;
}

std::string type_count_fields(const std::vector<typed_interaction>& found) {
  type_counts counts{};
  for (const typed_interaction& f : found) ++counts[static_cast<std::size_t>(f.type)];
  std::string out;
  append_counts(out, counts);
  return out;
}

std::string interactions_text(const std::vector<interaction_row>& rows) {
  std::string out = interactions_header;
  for (const interaction_row& r : rows) {
    append_residue(out, r.first);
    (out += '\t') += table_name(r.atom1);
    out += '\t';
    append_residue(out, r.second);
    (out += '\t') += table_name(r.atom2);
    (out += '\t').append(r.second.image);
    out += '\t';
    append_number(out, r.distance);
    (out += '\t') += interaction_name(r.type);
    for (const float angle : {r.angle1, r.angle2}) {
      out += '\t';
      if (!std::isnan(angle)) append_number(out, angle);
    }
    out += '\t';
    if (r.via != nullptr) out += table_name(residue_identifier(r.via_chain->name, r.via->seqid));
    out += '\n';
  }
  return out;
}

std::vector<type_counts> residue_pair_type_counts(const std::vector<residue_pair_row>& pairs,
                                                  const std::vector<interaction_row>& typed) {
  std::unordered_map<std::pair<std::string_view, std::string_view>, type_counts, id_pair_hash> by_pair;
  for (const interaction_row& r : typed) ++by_pair[{r.first.id, r.second.id}][static_cast<std::size_t>(r.type)];
  std::vector<type_counts> counts;
  counts.reserve(pairs.size());
  for (const residue_pair_row& r : pairs) {
    const auto found = by_pair.find({r.first.id, r.second.id});
    counts.push_back(found == by_pair.end() ? type_counts{} : found->second);
  }
  return counts;
}

std::string residue_pairs_text(const std::vector<residue_pair_row>& rows, const std::vector<interaction_row>* typed) {
  std::string out = residue_pairs_header;
  std::vector<type_counts> counts;
  if (typed != nullptr) {
    out.insert(out.size() - 1, type_count_names());
    counts = residue_pair_type_counts(rows, *typed);
  }
  for (std::size_t p = 0; p < rows.size(); ++p) {
    const residue_pair_row& r = rows[p];
    append_residue(out, r.first);
    out += '\t';
    append_residue(out, r.second);
    (out += '\t').append(r.second.image);
    (out += '\t') += std::to_string(r.contacts);
    out += '\t';
    append_number(out, r.closest);
    if (typed != nullptr) append_counts(out, counts[p]);
    out += '\n';
  }
  return out;
}

std::string residues_text(const std::vector<residue_row>& rows) {
  std::string out = residues_header;
  for (const residue_row& r : rows) {
    out += std::to_string(r.side);
    out += '\t';
    append_residue(out, r.residue);
    (out += '\t') += std::to_string(r.contacts);
    out += '\t';
    append_number(out, r.closest);
    (out += '\t') += table_name(r.closest_partner);
    out += '\t';
    for (std::size_t p = 0; p < r.partners.size(); ++p) (out += p == 0 ? "" : ",") += table_name(r.partners[p]);
    out += '\n';
  }
  return out;
}
