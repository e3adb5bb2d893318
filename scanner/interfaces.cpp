#include "interfaces.hpp"

#include <algorithm>
#include <cctype>
#include <array>
#include <limits>
#include <memory>
#include <unordered_map>

#include "atom_table.hpp"
#include "contact_order.hpp"
#include "crystal_images.hpp"
#include "error.hpp"
#include "number_text.hpp"
#include "scan_output.hpp"
#include "selection_contacts.hpp"
#include "side_pair.hpp"
#include "split.hpp"
#include "structure_file.hpp"
#include "text_file.hpp"
#include "whole_file.hpp"

namespace {

// One pair's files in its folder under the interfaces folder: the sorted list, and the map when one is drawn.
void write_pair(const scan_options& options, const std::string& written, const std::string& folder_name,
                side_pair& result, const std::string& title, const std::string& rows, const std::string& columns) {
  const std::string folder = written + "/" + folder_name;
  make_folder(folder);
  file_in_parts sorted(folder + "/sorted.pairtab");
  write_sorted(sorted, result.groups);
  sorted.finish();
  if (result.map) write_whole_file(folder + "/map.svg", draw(*result.map, options, title, rows, columns));
}

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

// A name of a named pair is its folder's name too: letters, digits, ".", "_" and "-", not "_vs_", "." or "..".
void check_pair_name(const std::string& name, const std::string& file, std::size_t line) {
  const bool plain = !name.empty() && name != "." && name != ".." && name.find("_vs_") == std::string::npos &&
                     std::all_of(name.begin(), name.end(), [](char c) {
                       return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-';
                     });
  if (!plain)
    fail(file_name(file) + ":" + std::to_string(line) + ": the name " + quoted(name) +
         " names a folder: letters, digits, '.', '_' and '-' only, without '_vs_'");
}

// A contact of one chain pair as the pipeline's run of the two chains would write it: the key of its line there,
// each atom's place in its chain.
struct interface_contact {
  contact_rank key;
  std::uint32_t point_a, point_b;
  float distance;
  bool operator<(const interface_contact& o) const { return key < o.key; }
};

}  // namespace

void scan_chain_pairs(const scan_options& options, gemmi::Structure& structure, structure_status& status,
                      const std::string& written) {
  if (options.symmetry) check_crystal(structure);
  const gemmi::Selection everything{};
  const gemmi::Model& model = chosen_model(structure, everything);
  atom_tables tables;
  // The polymer chains among them are the sides.
  const model_chains chains = chains_of(model, tables);
  const std::vector<std::string>& chain_names = chains.names;
  const std::vector<char>& chain_polymer = chains.polymer;
  std::vector<picked_atom> picked = pick_atoms(model, everything, options.defaults, structure.name);
  status.counted = true;
  status.chains = chain_names.size();
  status.atoms = picked.size();
  picked.erase(std::remove_if(picked.begin(), picked.end(),
                              [&](const picked_atom& p) { return !chain_polymer[tables.chain_number(p.chain->name)]; }),
               picked.end());
  const atom_table all = tables.make(picked);

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

  // Each pair's box, as the pipeline's run of its two chains would lay it: the minimum corner of both.
  std::vector<std::array<float, 3>> side_min(n_sides, {std::numeric_limits<float>::infinity(),
                                                       std::numeric_limits<float>::infinity(),
                                                       std::numeric_limits<float>::infinity()});
  for (std::size_t p = 0; p < all.size(); ++p) {
    auto& m = side_min[side_of(p)];
    m[0] = std::min(m[0], all.x[p]), m[1] = std::min(m[1], all.y[p]), m[2] = std::min(m[2], all.z[p]);
  }

  std::unique_ptr<covalent_links> links;
  if (options.skip_links) links = std::make_unique<covalent_links>(structure, model);
  const pair_rules rules{false, options.min_separation, links.get()};
  std::vector<std::vector<interface_contact>> found(n_sides * n_sides);
  if (all.size() > 0) {
    const cell_list grid = cell_list::for_points(options.cutoff, all.points(), all.points());
    grid.for_each_self_contact([&](std::int32_t a, std::int32_t b, float d) {
      std::size_t pa = static_cast<std::size_t>(a), pb = static_cast<std::size_t>(b);
      std::uint32_t sa = side_of(pa), sb = side_of(pb);
      if (sa == sb || rules.drops(all, pa, all, pb)) return;
      if (sa > sb) std::swap(pa, pb), std::swap(sa, sb);
      const auto& ma = side_min[sa];
      const auto& mb = side_min[sb];
      const contact_order order(options.cutoff, std::min(ma[0], mb[0]), std::min(ma[1], mb[1]), std::min(ma[2], mb[2]));
      found[sa * n_sides + sb].push_back({order.of(all.x[pa], all.y[pa], all.z[pa], place[pa], all.x[pb], all.y[pb], all.z[pb], place[pb]),
                                          static_cast<std::uint32_t>(pa), static_cast<std::uint32_t>(pb), d});
    });
  }

  // With symmetry, each pair also meets the crystal: the first chain's atoms against the images of the second's,
  // after the pair's own contacts, in the order the search finds them. (The second chain against the first's
  // images gives the same contacts seen from the other side.)
  struct image_contact {
    std::uint32_t point, image;
    float distance;
  };
  std::vector<std::vector<image_contact>> image_found(options.symmetry ? n_sides * n_sides : 0);
  atom_table images;
  if (options.symmetry && all.size() > 0) {
    images = crystal_images(structure, all, all, options.cutoff, tables);
    if (images.size() > 0) {
      const cell_list grid = cell_list::for_points(options.cutoff, all.points(), images.points());
      grid.for_each_contact([&](std::int32_t a, std::int32_t b, float d) {
        const auto pa = static_cast<std::size_t>(a), ib = static_cast<std::size_t>(b);
        const std::uint32_t sa = side_of(pa), sb = side_of(images.source[ib]);
        if (sa < sb) image_found[sa * n_sides + sb].push_back({static_cast<std::uint32_t>(pa), static_cast<std::uint32_t>(ib), d});
      });
    }
  }

  // Everything is computed before the first file is written.
  const std::string name = structure_name(options.structure);
  std::string table = summary_header_for(options);
  status.writing = true;
  for (std::size_t r1 = 0; r1 < n_sides; ++r1) {
    for (std::size_t r2 = r1 + 1; r2 < n_sides; ++r2) {
      std::vector<interface_contact>& contacts = found[r1 * n_sides + r2];
      std::sort(contacts.begin(), contacts.end());
      side_pair result;
      if (options.maps) result.map = std::make_unique<contact_map>();
      for (const interface_contact& c : contacts) result.feed(all, c.point_a, all, c.point_b, as_written(c.distance));
      std::vector<interface_contact>().swap(contacts);
      std::uint64_t image_contacts = 0;
      if (options.symmetry) {
        for (const image_contact& c : image_found[r1 * n_sides + r2]) result.feed(all, c.point, images, c.image, as_written(c.distance));
        image_contacts = image_found[r1 * n_sides + r2].size();
      }
      const std::string& first = side_names[r1];
      const std::string& second = side_names[r2];
      write_pair(options, written, folder_name(first) + "_vs_" + folder_name(second), result,
                 name + ": chains " + first + " and " + second, "chain " + first, "chain " + second);
      table += summary_row(options, result.summary, name, first, second, side_atoms[r1], side_atoms[r2], image_contacts);
      ++status.pairs;
    }
  }
  // Each chain against itself: the selections' self-contacts, chain by chain.
  if (options.self_pairs) {
    for (std::size_t r = 0; r < n_sides; ++r) {
      scan_options self = options;
      self.selections = {side_names[r]};
      self.summary = "row";
      self.map = options.maps ? "map" : "";
      gemmi::Selection chain;
      chain.chain_ids.all = false;
      chain.chain_ids.list = side_names[r];
      const std::unique_ptr<selection_contacts> own = find_selection_contacts(self, {chain}, structure);
      if (own->result.map) own->result.map->set_square();
      const std::string& c = side_names[r];
      write_pair(options, written, folder_name(c) + "_vs_" + folder_name(c), own->result, name + ": chain " + c + " with itself",
                 "chain " + c, "chain " + c);
      table += summary_row(options, own->result.summary, name, c, c, own->first.size(), own->first.size(), own->image_contacts);
      ++status.pairs;
    }
  }
  write_whole_file(written + "/summary.tsv", table);
}

void scan_named_pairs(const scan_options& options, gemmi::Structure& structure, structure_status& status,
                      const std::string& written) {
  struct named_pair {
    std::string names[2], selections[2];
  };
  std::vector<named_pair> pairs;
  const text_file file = read_text_file(options.pairs);
  require_text(file.name, file.bytes);
  for_each_line(file.bytes, [&](std::string_view line, std::size_t number) {
    std::string_view fields[5];
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (split_first(line, '\t', fields, 5) != 4)
      fail(file_name(file.name) + ":" + std::to_string(number) + ": expected NAME<TAB>SELECTION<TAB>NAME<TAB>SELECTION");
    pairs.push_back({{std::string(fields[0]), std::string(fields[2])}, {std::string(fields[1]), std::string(fields[3])}});
    for (const std::string& name : pairs.back().names) check_pair_name(name, file.name, number);
  });
  // Folders are named by the names as they are: two that differ in case alone would be one folder where case
  // is not told apart.
  std::unordered_map<std::string, std::string> by_lower_case;
  for (const named_pair& pair : pairs)
    for (const std::string& name : pair.names) {
      std::string low = name;
      for (char& c : low) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      const std::string& first = by_lower_case.try_emplace(low, name).first->second;
      if (first != name)
        fail(file_name(file.name) + ": names " + quoted(first) + " and " + quoted(name) +
             " differ in case alone; their folders would be one where case is not told apart");
    }
  const gemmi::Selection everything{};
  const gemmi::Model& model = chosen_model(structure, everything);
  const std::vector<picked_atom> picked = pick_atoms(model, everything, options.defaults, structure.name);
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
    scan_options one = options;
    one.selections = {pair.selections[0], pair.selections[1]};
    one.allow_empty = true;
    one.summary = "row";
    one.map = options.maps ? "map" : "";
    const std::vector<gemmi::Selection> selections = {parse_selection(pair.selections[0]), parse_selection(pair.selections[1])};
    found.push_back(find_selection_contacts(one, selections, structure));
    for (int side = 0; side < 2; ++side)
      if (found.back()->matched[side] == 0 && status.status == "done") {
        status.status = "no_match";
        status.message = "selection " + quoted(pair.selections[side]) + " (" + pair.names[side] + ") matches no atom";
      }
  }
  const std::string name = structure_name(options.structure);
  std::string table = summary_header_for(options);
  status.writing = true;
  for (std::size_t p = 0; p < pairs.size(); ++p) {
    const std::string& first = pairs[p].names[0];
    const std::string& second = pairs[p].names[1];
    selection_contacts& pair = *found[p];
    write_pair(options, written, first + "_vs_" + second, pair.result, name + ": " + first + " and " + second, first, second);
    table += summary_row(options, pair.result.summary, name, first, second, pair.first.size(), pair.second.size(), pair.image_contacts);
    ++status.pairs;
  }
  write_whole_file(written + "/summary.tsv", table);
}
