#include "pair_scans.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>

#include "atom_table.hpp"
#include "contact_order.hpp"
#include "covalent_links.hpp"
#include "crystal_images.hpp"
#include "error.hpp"
#include "number_text.hpp"
#include "point_list.hpp"
#include "selection_contacts.hpp"

std::string structure_status::table(const std::string& structure) const {
  const auto count = [&](std::size_t n) { return counted ? std::to_string(n) : std::string(); };
  return "structure\tchains\tpolymer_chains\tatoms\tpairs\tstatus\tmessage\tligands\n" + structure + '\t' + count(chains) +
         '\t' + count(polymer_chains) + '\t' + count(atoms) + '\t' + std::to_string(pairs) + '\t' + status + '\t' +
         printable(message, 300) + '\t' + count(ligands) + '\n';
}

namespace {

// The model's chains in pairpick --list's order, one entry per name (numbered as tables numbers them), and
// whether each name holds a polymer residue (gemmi's entity types).
struct model_chains {
  std::vector<std::string> names;
  std::vector<char> polymer;
};

model_chains chains_of(const gemmi::Model& model, atom_tables& tables) {
  model_chains chains;
  for (const gemmi::Chain& chain : model.chains) {
    const std::uint32_t c = tables.chain_number(chain.name);
    if (c == chains.names.size()) {
      chains.names.push_back(chain.name);
      chains.polymer.push_back(0);
    }
    for (const gemmi::Residue& residue : chain.residues)
      if (residue.entity_type == gemmi::EntityType::Polymer) chains.polymer[c] = 1;
  }
  return chains;
}

// A contact of one chain pair as the pipeline's run of the two chains would write it: the key of its line there,
// each atom's place in its chain.
struct interface_contact {
  contact_rank key;
  std::uint32_t point_a, point_b;
  float distance;
  bool operator<(const interface_contact& o) const { return key < o.key; }
};

// The atom pairs of different sides of one table within reach, side pair by side pair (first side first), each
// pair of sides searched in the slabs their boxes leave: no pair within a side is ever measured.
class between_chains {
 public:
  template <class SideOf>
  between_chains(const atom_table& table, const SideOf& side_of, std::size_t n_sides, float reach)
      : table_(table), members_(n_sides), reach_(reach) {
    constexpr float inf = std::numeric_limits<float>::infinity();
    low_.assign(n_sides, {inf, inf, inf});
    high_.assign(n_sides, {-inf, -inf, -inf});
    for (std::size_t p = 0; p < table.size(); ++p) {
      const std::uint32_t s = side_of(p);
      members_[s].push_back(static_cast<std::uint32_t>(p));
      const float at[3] = {table.x[p], table.y[p], table.z[p]};
      for (int k = 0; k < 3; ++k) low_[s][k] = std::min(low_[s][k], at[k]), high_[s][k] = std::max(high_[s][k], at[k]);
    }
    // A little more than reach, so that a pair whose single-precision distance rounds to within it is kept: the
    // grid measures every candidate exactly.
    margin_ = reach * (1.0f + 0x1p-16f) + 0x1p-60f;
  }

  // Side s's box, its minimum corner.
  const std::array<float, 3>& low(std::uint32_t s) const { return low_[s]; }

  // Calls visit(first side, second side, first atom, second atom, distance) for every pair within reach.
  template <class Visit>
  void for_each_pair(Visit&& visit) const {
    const std::size_t n = members_.size();
    std::vector<std::uint32_t> slab_a, slab_b;
    const auto search = [&](std::uint32_t sa, std::uint32_t sb) {
      const cell_list grid = cell_list::for_points(reach_, points(slab_a), points(slab_b));
      grid.for_each_contact([&](std::int32_t a, std::int32_t b, float d) {
        visit(sa, sb, std::size_t{slab_a[static_cast<std::size_t>(a)]}, std::size_t{slab_b[static_cast<std::size_t>(b)]}, d);
      });
    };
    std::vector<std::vector<std::uint32_t>> near;
    if (near_atoms(near)) {
      // The atoms of each side near another side, by coarse cells: only those of a real interface.
      for (std::uint32_t sa = 0; sa < n; ++sa)
        for (std::uint32_t sb = sa + 1; sb < n; ++sb) {
          const std::vector<std::uint32_t>& ab = near[sa * n + sb];
          const std::vector<std::uint32_t>& ba = near[sb * n + sa];
          if (ab.empty() || ba.empty()) continue;
          slab_a = ab, slab_b = ba;
          search(sa, sb);
        }
      return;
    }
    for (std::uint32_t sa = 0; sa < n; ++sa)
      for (std::uint32_t sb = sa + 1; sb < n; ++sb)
        if (slab(sa, sb, slab_a) && slab(sb, sa, slab_b)) search(sa, sb);
  }

 private:
  // For up to 64 sides in a box of not too many cells: near[s * n + t] gets the atoms of side s (in table order)
  // with an atom of side t in their own or a neighbouring cell of edge margin, a superset of those within reach
  // of side t. False (near untouched) when the box is too large for cells, or there are more sides.
  bool near_atoms(std::vector<std::vector<std::uint32_t>>& near) const {
    const std::size_t n = members_.size();
    if (n > 64 || table_.size() == 0) return false;
    double low[3], count[3];
    double cells = 1;
    for (int k = 0; k < 3; ++k) {
      low[k] = INFINITY;
      double high = -INFINITY;
      for (std::size_t s = 0; s < n; ++s)
        if (!members_[s].empty()) low[k] = std::min<double>(low[k], low_[s][k]), high = std::max<double>(high, high_[s][k]);
      count[k] = std::floor((high - low[k]) / margin_) + 1;
      cells *= count[k];
    }
    if (!(cells <= 4.0 * static_cast<double>(table_.size()) + 4096)) return false;
    const auto nx = static_cast<std::size_t>(count[0]), ny = static_cast<std::size_t>(count[1]),
               nz = static_cast<std::size_t>(count[2]);
    const auto cell_of = [&](std::size_t p, std::size_t axis_cell[3]) {
      const float at[3] = {table_.x[p], table_.y[p], table_.z[p]};
      for (int k = 0; k < 3; ++k) axis_cell[k] = static_cast<std::size_t>(std::floor((at[k] - low[k]) / margin_));
    };
    // Each cell's sides, as a bit mask; each atom's cell, found once.
    std::vector<std::uint64_t> sides(nx * ny * nz, 0);
    std::vector<std::uint32_t> cell_at(table_.size());
    std::size_t at[3];
    for (std::size_t s = 0; s < n; ++s)
      for (const std::uint32_t p : members_[s]) {
        cell_of(p, at);
        cell_at[p] = static_cast<std::uint32_t>((at[2] * ny + at[1]) * nx + at[0]);
        sides[cell_at[p]] |= std::uint64_t{1} << s;
      }
    near.assign(n * n, {});
    // The sides around each occupied cell, made once for all its atoms (never 0: the cell's own side is in it).
    std::vector<std::uint64_t> sides_around(sides.size(), 0);
    for (std::size_t s = 0; s < n; ++s)
      for (const std::uint32_t p : members_[s]) {
        std::uint64_t& cell_around = sides_around[cell_at[p]];
        if (cell_around == 0) {
          const std::size_t cell = cell_at[p];
          at[0] = cell % nx, at[1] = cell / nx % ny, at[2] = cell / nx / ny;
          for (std::size_t k = at[2] > 0 ? at[2] - 1 : 0; k <= std::min(at[2] + 1, nz - 1); ++k)
            for (std::size_t j = at[1] > 0 ? at[1] - 1 : 0; j <= std::min(at[1] + 1, ny - 1); ++j)
              for (std::size_t i = at[0] > 0 ? at[0] - 1 : 0; i <= std::min(at[0] + 1, nx - 1); ++i)
                cell_around |= sides[(k * ny + j) * nx + i];
        }
        std::uint64_t around = cell_around & ~(std::uint64_t{1} << s);
        for (; around != 0; around &= around - 1) near[s * n + static_cast<std::size_t>(__builtin_ctzll(around))].push_back(p);
      }
    return true;
  }

  // The atoms of side s within margin of side t's box; false when there are none.
  bool slab(std::uint32_t s, std::uint32_t t, std::vector<std::uint32_t>& out) const {
    out.clear();
    for (int k = 0; k < 3; ++k)
      if (low_[s][k] > high_[t][k] + margin_ || high_[s][k] < low_[t][k] - margin_) return false;
    const float lo[3] = {low_[t][0] - margin_, low_[t][1] - margin_, low_[t][2] - margin_};
    const float hi[3] = {high_[t][0] + margin_, high_[t][1] + margin_, high_[t][2] + margin_};
    for (const std::uint32_t p : members_[s]) {
      const float x = table_.x[p], y = table_.y[p], z = table_.z[p];
      if (x >= lo[0] && x <= hi[0] && y >= lo[1] && y <= hi[1] && z >= lo[2] && z <= hi[2]) out.push_back(p);
    }
    return !out.empty();
  }
  point_set points(const std::vector<std::uint32_t>& atoms) const {
    point_set set;
    set.labels.resize(atoms.size());
    set.x.reserve(atoms.size()), set.y.reserve(atoms.size()), set.z.reserve(atoms.size());
    for (const std::uint32_t p : atoms) set.x.push_back(table_.x[p]), set.y.push_back(table_.y[p]), set.z.push_back(table_.z[p]);
    return set;
  }

  const atom_table& table_;
  std::vector<std::vector<std::uint32_t>> members_;
  std::vector<std::array<float, 3>> low_, high_;
  float reach_, margin_ = 0;
};

}  // namespace

void for_each_chain_pair(const scan_request& request, bool self_pairs, gemmi::Structure& structure,
                         structure_status& status, const pair_visit& visit) {
  if (request.symmetry) check_crystal(structure);
  const gemmi::Selection everything{};
  const gemmi::Model& model = chosen_model(structure, everything);
  atom_tables tables;
  // The polymer chains among them are the sides.
  const model_chains chains = chains_of(model, tables);
  const std::vector<std::string>& chain_names = chains.names;
  const std::vector<char>& chain_polymer = chains.polymer;
  std::vector<picked_atom> picked = pick_atoms(model, everything, request.atoms, structure.name);
  status.counted = true;
  status.chains = chain_names.size();
  status.atoms = picked.size();
  picked.erase(std::remove_if(picked.begin(), picked.end(),
                              [&](const picked_atom& p) { return !chain_polymer[tables.chain_number(p.chain->name)]; }),
               picked.end());
  const atom_table all = tables.make(picked);
  // All the search needs is in the table now: freeing the list lets the search reuse its memory.
  std::vector<picked_atom>().swap(picked);

  // Sides: polymer chains with atoms, in list order (chain numbers follow it); each atom's place in its side.
  std::vector<std::size_t> chain_atoms(chain_names.size(), 0);
  for (const std::uint32_t c : all.chain) ++chain_atoms[c];
  std::vector<std::uint32_t> side_of_chain(chain_names.size(), UINT32_MAX);
  std::vector<std::size_t> side_atoms;
  std::vector<std::string> side_names;
  for (std::uint32_t c = 0; c < chain_names.size(); ++c) {
    if (chain_atoms[c] == 0) continue;
    side_of_chain[c] = static_cast<std::uint32_t>(side_names.size());
    side_names.push_back(chain_names[c]);
    side_atoms.push_back(chain_atoms[c]);
  }
  const std::size_t n_sides = side_names.size();
  status.polymer_chains = n_sides;
  if (n_sides < 2) {
    status.status = "one_chain";
    status.message = n_sides == 1 ? "one polymer chain: no pair" : "no polymer chain: no pair";
  }
  const auto side_of = [&](std::size_t p) { return side_of_chain[all.chain[p]]; };
  std::vector<std::uint32_t> place(all.size());
  std::vector<std::uint32_t> placed(n_sides, 0);
  for (std::size_t p = 0; p < all.size(); ++p) place[p] = placed[side_of(p)]++;

  // One surface for every chain, all pairs from it.
  std::unique_ptr<side_areas> areas;
  if (request.areas) {
    areas = std::make_unique<side_areas>(request.area);
    for (std::size_t p = 0; p < all.size(); ++p) areas->add(all, p, side_of(p));
    areas->compute();
  }

  std::unique_ptr<covalent_links> links;
  if (request.skip_links) links = std::make_unique<covalent_links>(structure, model);
  const pair_rules rules = rules_of(request, false, links.get());
  std::vector<std::vector<interface_contact>> found(n_sides * n_sides);
  // Interaction types between chains: from the contact search when the cut-off reaches the longest criterion.
  std::unique_ptr<interaction_typer> typer;
  if (request.interactions) typer = std::make_unique<interaction_typer>(request.criteria, model);
  const float reach = contact_reach(request, all, nullptr);
  const float typer_reach = typer ? typer->radius(all, nullptr) : 0;
  const bool typed_by_search = typer && reach >= typer_reach;
  const interaction_typer::pair_filter between_sides = [&](const atom_table& t_a, std::size_t a, const atom_table& t_b, std::size_t b) {
    return side_of(a) != side_of(b) && !rules.drops(t_a, a, t_b, b, INFINITY);
  };
  if (all.size() > 0) {
    // Only between chains: each pair whose boxes come within reach searches the slab of each chain that lies
    // within reach of the other's box. The pairs and distances are those of one search of every atom, and each
    // pair's contacts are put in its own run's order below, so the output does not depend on the search.
    const between_chains chains_apart(all, side_of, n_sides, reach);
    chains_apart.for_each_pair([&](std::uint32_t sa, std::uint32_t sb, std::size_t pa, std::size_t pb, float d) {
      if (rules.drops(all, pa, all, pb, d)) return;
      if (typed_by_search && d <= typer_reach) typer->offer(all, pa, all, pb, d);
      if (rules.beyond(all, pa, all, pb, d)) return;
      // The pair's box as the pipeline's run of its two chains would lay it: the minimum corner of both.
      const auto& ma = chains_apart.low(sa);
      const auto& mb = chains_apart.low(sb);
      const contact_order order(reach, std::min(ma[0], mb[0]), std::min(ma[1], mb[1]), std::min(ma[2], mb[2]));
      found[sa * n_sides + sb].push_back({order.of(all.x[pa], all.y[pa], all.z[pa], place[pa], all.x[pb], all.y[pb], all.z[pb], place[pb]),
                                          static_cast<std::uint32_t>(pa), static_cast<std::uint32_t>(pb), d});
    });
    if (typer && !typed_by_search) typer->search(all, nullptr, typer_reach, between_sides);
    if (typer) typer->add_groups(all, nullptr, between_sides, request.atoms.keep_waters);
  }

  // With symmetry, each pair also meets the crystal: the first chain's atoms against the images of the second's,
  // after the pair's own contacts, in the order the search finds them. (The second chain against the first's
  // images gives the same contacts seen from the other side.)
  struct image_contact {
    std::uint32_t point, image;
    float distance;
  };
  std::vector<std::vector<image_contact>> image_found(request.symmetry ? n_sides * n_sides : 0);
  atom_table images;
  if (request.symmetry && all.size() > 0) {
    images = crystal_images(structure, all, all, reach, tables);
    if (images.size() > 0) {
      const cell_list grid = cell_list::for_points(reach, all.points(), images.points());
      grid.for_each_contact([&](std::int32_t a, std::int32_t b, float d) {
        const auto pa = static_cast<std::size_t>(a), ib = static_cast<std::size_t>(b);
        const std::uint32_t sa = side_of(pa), sb = side_of(images.source[ib]);
        if (sa >= sb) return;
        if (typer && d <= typer_reach) typer->offer(all, pa, images, ib, d);
        if (rules.beyond(all, pa, images, ib, d)) return;
        image_found[sa * n_sides + sb].push_back({static_cast<std::uint32_t>(pa), static_cast<std::uint32_t>(ib), d});
      });
      if (typer)
        typer->add_groups(all, &images, [&](const atom_table&, std::size_t a, const atom_table&, std::size_t b) {
          return side_of(a) < side_of(images.source[b]);
        }, false);
    }
  }
  // Each pair's interactions, its first chain's end first.
  std::vector<std::vector<typed_interaction>> pair_interactions(typer ? n_sides * n_sides : 0);
  if (typer)
    for (typed_interaction& t : typer->take()) {
      std::uint32_t sa = side_of(t.a), sb = t.t_b == &images ? side_of(images.source[t.b]) : side_of(t.b);
      if (sa > sb) std::swap(sa, sb), t.swap_sides();
      pair_interactions[sa * n_sides + sb].push_back(std::move(t));
    }

  // Over models: every chain pair's residue pairs from one search of each model, between chains only.
  std::vector<std::vector<frequency_row>> pair_frequencies(request.models.empty() ? 0 : n_sides * n_sides);
  std::uint64_t models = 0;
  if (!request.models.empty()) {
    contact_frequencies ensemble(request.cutoff, all, nullptr, rules_of(request, false, links.get()),
                                 std::make_shared<const chain_order>(model));
    ensemble.between_chains_only();
    std::vector<float> xyz;
    for (const gemmi::Model* each : listed_models(structure, request.models)) {
      table_coordinates(structure, *each, request.atoms, all, xyz);
      ensemble.add_frame(xyz.data(), nullptr);
    }
    models = ensemble.frames();
    std::unordered_map<const gemmi::Chain*, std::uint32_t> side_of_chain_at;
    for (std::size_t p = 0; p < all.size(); ++p) side_of_chain_at.emplace(all.chain_at[p], side_of(p));
    for (frequency_row& row : ensemble.rows())
      pair_frequencies[side_of_chain_at.at(row.first.chain) * n_sides + side_of_chain_at.at(row.second.chain)].push_back(row);
  }

  // Every contact is found before the first pair is handed over; each pair is grouped as it goes.
  const std::shared_ptr<const chain_order> ranks =
      request.tables || typer ? std::make_shared<const chain_order>(model) : nullptr;
  for (std::size_t r1 = 0; r1 < n_sides; ++r1) {
    for (std::size_t r2 = r1 + 1; r2 < n_sides; ++r2) {
      std::vector<interface_contact>& contacts = found[r1 * n_sides + r2];
      std::sort(contacts.begin(), contacts.end());
      side_pair result;
      if (request.map) result.map = std::make_unique<contact_map>();
      if (request.tables || typer) result.tables = std::make_unique<contact_tables>(false, ranks);
      if (typer) result.interactions = std::move(pair_interactions[r1 * n_sides + r2]);
      for (const interface_contact& c : contacts) result.feed(all, c.point_a, all, c.point_b, as_written(c.distance));
      std::vector<interface_contact>().swap(contacts);
      std::uint64_t image_contacts = 0;
      if (request.symmetry) {
        for (const image_contact& c : image_found[r1 * n_sides + r2]) result.feed(all, c.point, images, c.image, as_written(c.distance));
        image_contacts = image_found[r1 * n_sides + r2].size();
      }
      found_pair pair{side_names[r1], side_names[r2], side_atoms[r1], side_atoms[r2], image_contacts, false, result};
      pair.areas = areas.get(), pair.first_side = static_cast<std::uint32_t>(r1), pair.second_side = static_cast<std::uint32_t>(r2);
      if (!request.models.empty()) pair.frequencies = &pair_frequencies[r1 * n_sides + r2], pair.models = models;
      visit(pair);
      ++status.pairs;
    }
  }
  // Each chain against itself: the selections' self-contacts, chain by chain.
  if (self_pairs) {
    for (std::size_t r = 0; r < n_sides; ++r) {
      scan_request self = request;
      self.selections = {side_names[r]};
      self.summary = true;
      gemmi::Selection chain;
      chain.chain_ids.all = false;
      chain.chain_ids.list = side_names[r];
      const std::unique_ptr<selection_contacts> own = find_selection_contacts(self, {chain}, structure);
      if (own->result.map) own->result.map->set_square();
      found_pair pair{side_names[r], side_names[r], own->first.size(), own->first.size(), own->image_contacts, true,
                      own->result};
      pair.areas = own->areas.get(), pair.second_side = 0;
      std::vector<frequency_row> own_frequencies;
      if (!request.models.empty()) {
        contact_frequencies ensemble(request.cutoff, own->first, nullptr,
                                     rules_of(request, true, links.get()),
                                     std::make_shared<const chain_order>(model));
        std::vector<float> xyz, unused;
        for (const gemmi::Model* each : listed_models(structure, request.models)) {
          model_coordinates(structure, *each, {chain}, request.atoms, own->first, nullptr, xyz, unused);
          ensemble.add_frame(xyz.data(), nullptr);
        }
        own_frequencies = ensemble.rows();
        pair.frequencies = &own_frequencies, pair.models = ensemble.frames();
      }
      visit(pair);
      ++status.pairs;
    }
  }
}

void for_each_named_pair(const scan_request& request, const std::vector<named_pair>& pairs,
                         gemmi::Structure& structure, structure_status& status, const pair_visit& visit) {
  const gemmi::Selection everything{};
  const gemmi::Model& model = chosen_model(structure, everything);
  const std::vector<picked_atom> picked = pick_atoms(model, everything, request.atoms, structure.name);
  atom_tables tables;
  const model_chains chains = chains_of(model, tables);
  status.counted = true;
  status.chains = chains.names.size();
  status.polymer_chains = static_cast<std::size_t>(std::count(chains.polymer.begin(), chains.polymer.end(), 1));
  status.atoms = picked.size();

  // Every pair is found before the first file is written; a selection that matches nothing gives a pair
  // without atoms or contacts.
  std::vector<std::unique_ptr<selection_contacts>> found;
  for (const named_pair& pair : pairs) {
    scan_request one = request;
    one.selections = {pair.selections[0], pair.selections[1]};
    one.allow_empty = true;
    one.summary = true;
    const std::vector<gemmi::Selection> selections = {parse_selection(pair.selections[0]), parse_selection(pair.selections[1])};
    found.push_back(find_selection_contacts(one, selections, structure));
    for (int side = 0; side < 2; ++side)
      if (found.back()->matched[side] == 0 && status.status == "done") {
        status.status = "no_match";
        status.message = "selection " + quoted(pair.selections[side]) + " (" + pair.names[side] + ") matches no atom";
      }
  }
  for (std::size_t p = 0; p < pairs.size(); ++p) {
    selection_contacts& pair = *found[p];
    found_pair one{pairs[p].names[0], pairs[p].names[1], pair.first.size(), pair.second.size(), pair.image_contacts, false,
                   pair.result};
    one.areas = pair.areas.get();
    visit(one);
    ++status.pairs;
  }
}
