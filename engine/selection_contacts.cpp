#include "selection_contacts.hpp"

#include <algorithm>
#include <memory>
#include <unordered_set>

#include "atom_picking.hpp"
#include "cell_list.hpp"
#include "contact_map.hpp"
#include "covalent_links.hpp"
#include "crystal_images.hpp"
#include "number_text.hpp"
#include "point_list.hpp"

std::unique_ptr<selection_contacts> find_selection_contacts(const scan_request& request,
                                                            const std::vector<gemmi::Selection>& selections,
                                                            gemmi::Structure& structure) {
  if (request.symmetry) check_crystal(structure);
  const gemmi::Model& model = chosen_model(structure, selections.front());
  atom_tables tables;
  std::vector<std::vector<picked_atom>> picked;
  for (std::size_t s = 0; s < selections.size(); ++s) {
    const gemmi::Model& picked_from = chosen_model(structure, selections[s]);
    picked.push_back(pick_atoms(picked_from, selections[s], request.atoms, structure.name));
    if (picked.back().empty() && !request.allow_empty) fail_no_atom(picked_from, selections[s], request.selections[s]);
  }
  auto found = std::make_unique<selection_contacts>();
  found->self = selections.size() == 1;
  const bool self = found->self;
  // The crystal repeats the whole second selection, the first selection's atoms in it too.
  atom_table imaged;
  if (request.symmetry && !self) imaged = tables.make(picked[1]);
  if (!self) {
    // The second side is the second selection without the atoms of the first: a ligand meets its chain, never itself.
    std::unordered_set<const gemmi::Atom*> in_first;
    for (const picked_atom& p : picked[0]) in_first.insert(p.atom);
    auto& second = picked[1];
    second.erase(std::remove_if(second.begin(), second.end(), [&](const picked_atom& p) { return in_first.count(p.atom) != 0; }),
                 second.end());
  }
  for (std::size_t s = 0; s < picked.size(); ++s) found->matched[s] = picked[s].size();
  found->first = tables.make(picked[0]);
  if (!self) found->second = tables.make(picked[1]);
  // All the search needs is in the tables now: freeing the lists lets the search reuse their memory.
  std::vector<std::vector<picked_atom>>().swap(picked);
  const atom_table& first = found->first;
  const atom_table& other = found->other();

  std::unique_ptr<covalent_links> links;
  if (request.skip_links) links = std::make_unique<covalent_links>(structure, model);
  const pair_rules rules = rules_of(request, self, links.get());

  side_pair& result = found->result;
  result.summarise = request.summary;
  if (request.map) result.map = std::make_unique<contact_map>();
  if (request.tables || request.interactions)
    result.tables = std::make_unique<contact_tables>(self, std::make_shared<const chain_order>(model));
  // The typer takes its pairs from the contact search when the cut-off reaches its longest criterion.
  std::unique_ptr<interaction_typer> typer;
  if (request.interactions) typer = std::make_unique<interaction_typer>(request.criteria, model);
  const atom_table* other_side = self ? nullptr : &other;
  // With a van der Waals tolerance the search reaches the largest contact the radii allow.
  const float reach = contact_reach(request, first, other_side);
  const float typer_reach = typer ? typer->radius(first, other_side) : 0;
  const bool typed_by_search = typer && reach >= typer_reach;
  const interaction_typer::pair_filter keep = [&](const atom_table& t_a, std::size_t a, const atom_table& t_b, std::size_t b) {
    return !rules.drops(t_a, a, t_b, b, INFINITY);
  };
  if (first.size() > 0 && other.size() > 0) {
    const group_numbers first_numbers(result.groups, first);
    std::unique_ptr<group_numbers> second_numbers;
    if (!self) second_numbers = std::make_unique<group_numbers>(result.groups, other);
    const group_numbers& other_numbers = self ? first_numbers : *second_numbers;
    const cell_list grid =
        self ? cell_list::for_self_points(reach, first.points()) : cell_list::for_points(reach, first.points(), other.points());
    const auto meet = [&](std::int32_t a, std::int32_t b, float d) {
      const auto ia = static_cast<std::size_t>(a), ib = static_cast<std::size_t>(b);
      if (rules.drops(first, ia, other, ib, d)) return;
      if (typed_by_search && d <= typer_reach) typer->offer(first, ia, other, ib, d);
      if (!rules.beyond(first, ia, other, ib, d)) result.feed(first, ia, other, ib, as_written(d), &first_numbers, &other_numbers);
    };
    if (self)
      grid.for_each_self_contact(meet);
    else
      grid.for_each_contact(meet);
    if (typer && !typed_by_search) typer->search(first, other_side, typer_reach, keep);
  }
  if (typer) typer->add_groups(first, other_side, keep, request.atoms.keep_waters);
  if (request.symmetry) {
    // After the identity's contacts, each image's: a copy is another molecule, so no rule of one chain or of
    // the file's bonds applies; an atom on a special position does not meet itself.
    found->images = crystal_images(structure, self ? first : imaged, first, reach, tables);
    const atom_table& images = found->images;
    if (first.size() > 0 && images.size() > 0) {
      const group_numbers first_numbers(result.groups, first), image_numbers(result.groups, images);
      const cell_list grid = cell_list::for_points(reach, first.points(), images.points());
      grid.for_each_contact([&](std::int32_t a, std::int32_t b, float d) {
        const auto ia = static_cast<std::size_t>(a), ib = static_cast<std::size_t>(b);
        if (first.atoms[ia] == images.atoms[ib] && d < 0.8f) return;
        if (typer && d <= typer_reach) typer->offer(first, ia, images, ib, d);
        if (rules.beyond(first, ia, images, ib, d)) return;
        result.feed(first, ia, images, ib, as_written(d), &first_numbers, &image_numbers);
        ++found->image_contacts;
      });
      // An image is another molecule: no rule of one chain applies to it.
      if (typer) typer->add_groups(first, &images, [](const atom_table&, std::size_t, const atom_table&, std::size_t) { return true; }, false);
    }
  }
  if (typer) result.interactions = typer->take();
  if (request.areas) {
    found->areas = std::make_unique<side_areas>(request.area);
    for (std::size_t i = 0; i < first.size(); ++i) found->areas->add(first, i, 0);
    if (!self)
      for (std::size_t i = 0; i < found->second.size(); ++i) found->areas->add(found->second, i, 1);
    found->areas->compute();
  }
  return found;
}

