#include "scan.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <tuple>
#include <unordered_set>

#include <gemmi/polyheur.hpp>

#include "atom_table.hpp"
#include "cell_list.hpp"
#include "contact_map.hpp"
#include "covalent_links.hpp"
#include "crystal_images.hpp"
#include "error.hpp"
#include "grouping.hpp"
#include "line_writer.hpp"
#include "assemblies.hpp"
#include "number_text.hpp"
#include "pair_summary.hpp"
#include "structure_file.hpp"
#include "svg_map.hpp"
#include "whole_file.hpp"

namespace {

std::string structure_name(const std::string& path) {
  std::string name = path.substr(path.rfind('/') + 1);
  if (name.size() > 3 && name.compare(name.size() - 3, 3, ".gz") == 0) name.resize(name.size() - 3);
  return name;
}

// With symmetry the summary has one more column, last, so that a reader of the usual columns reads it too.
std::string summary_header_with_images() {
  return std::string(summary_header, std::strlen(summary_header) - 1) + "\timage_contacts\n";
}

std::string draw(contact_map& map, const std::string& title, const std::string& rows, const std::string& columns,
                 float cutoff) {
  const std::vector<map_cell> cells = map.ordered_cells();
  map_style style;
  style.title = title, style.row_title = rows, style.column_title = columns, style.cutoff = cutoff;
  return draw_svg(map, cells, style);
}

// The whole list is known before the first line: written in blocks, not one system call per line.
void write_sorted(const std::string& path, contact_groups& groups) {
  line_writer out(path, line_writer::flushing::blocks);
  groups.write(out);
  out.close();
}

cell_list loaded_grid(float cutoff, point_set a, point_set b) {
  cell_list grid;
  grid.set_cutoff(cutoff);
  grid.load_points(std::move(a), std::move(b));
  grid.build_box();
  grid.assign_points();
  return grid;
}

}  // namespace

std::unique_ptr<selection_contacts> find_selection_contacts(const scan_options& options,
                                                            const std::vector<gemmi::Selection>& selections,
                                                            gemmi::Structure& structure) {
  if (options.symmetry) check_crystal(structure);
  const gemmi::Model& model = chosen_model(structure, selections.front());
  atom_tables tables;
  std::vector<std::vector<picked_atom>> picked;
  for (std::size_t s = 0; s < selections.size(); ++s) {
    const gemmi::Model& picked_from = chosen_model(structure, selections[s]);
    picked.push_back(pick_atoms(picked_from, selections[s], options.defaults));
    if (picked.back().empty() && !options.allow_empty) fail_no_atom(picked_from, selections[s], options.selections[s]);
  }
  auto found = std::make_unique<selection_contacts>();
  found->self = selections.size() == 1;
  const bool self = found->self;
  // The crystal repeats the whole second selection, the first selection's atoms in it too.
  atom_table imaged;
  if (options.symmetry && !self) imaged = tables.make(picked[1]);
  if (!self) {
    // The second side is the second selection without the atoms of the first: a ligand meets its chain, never itself.
    std::unordered_set<const gemmi::Atom*> in_first;
    for (const picked_atom& p : picked[0]) in_first.insert(p.atom);
    auto& second = picked[1];
    second.erase(std::remove_if(second.begin(), second.end(), [&](const picked_atom& p) { return in_first.count(p.atom) != 0; }),
                 second.end());
  }
  found->first = tables.make(picked[0]);
  if (!self) found->second = tables.make(picked[1]);
  const atom_table& first = found->first;
  const atom_table& other = found->other();

  std::unique_ptr<covalent_links> links;
  if (options.skip_links) links = std::make_unique<covalent_links>(structure, model);
  const pair_rules rules{self && !options.same_residue, options.min_separation, links.get()};

  side_pair& result = found->result;
  result.summarise = !options.summary.empty();
  if (!options.map.empty()) result.map = std::make_unique<contact_map>();
  if (first.size() > 0 && other.size() > 0) {
    const group_numbers first_numbers(result.groups, first);
    std::unique_ptr<group_numbers> second_numbers;
    if (!self) second_numbers = std::make_unique<group_numbers>(result.groups, other);
    const group_numbers& other_numbers = self ? first_numbers : *second_numbers;
    const cell_list grid = loaded_grid(options.cutoff, first.points(), other.points());
    const auto meet = [&](std::int32_t a, std::int32_t b, float d) {
      const auto ia = static_cast<std::size_t>(a), ib = static_cast<std::size_t>(b);
      if (!rules.drops(first, ia, other, ib)) result.feed(first, ia, other, ib, as_written(d), &first_numbers, &other_numbers);
    };
    if (self)
      grid.for_each_self_contact(meet);
    else
      grid.for_each_contact(meet);
  }
  if (options.symmetry) {
    // After the identity's contacts, each image's: a copy is another molecule, so no rule of one chain or of
    // the file's bonds applies; an atom on a special position does not meet itself.
    found->images = crystal_images(structure, self ? first : imaged, first, options.cutoff, tables);
    const atom_table& images = found->images;
    if (first.size() > 0 && images.size() > 0) {
      const group_numbers first_numbers(result.groups, first), image_numbers(result.groups, images);
      const cell_list grid = loaded_grid(options.cutoff, first.points(), images.points());
      grid.for_each_contact([&](std::int32_t a, std::int32_t b, float d) {
        const auto ia = static_cast<std::size_t>(a), ib = static_cast<std::size_t>(b);
        if (first.atoms[ia] == images.atoms[ib] && d < 0.8f) return;
        result.feed(first, ia, images, ib, as_written(d), &first_numbers, &image_numbers);
        ++found->image_contacts;
      });
    }
  }
  return found;
}

namespace {

// Two selections, or one against itself.
void scan_selections(const scan_options& options, const std::vector<gemmi::Selection>& selections,
                     gemmi::Structure& structure) {
  const std::unique_ptr<selection_contacts> found = find_selection_contacts(options, selections, structure);
  const bool self = found->self;
  const atom_table& first = found->first;
  const atom_table& other = found->other();
  side_pair& result = found->result;
  const std::string name = structure_name(options.structure);
  const std::string& first_name = options.selections.front();
  const std::string& second_name = options.selections.back();
  std::string svg, row;
  if (result.map) {
    const std::string title = !options.title.empty() ? options.title
                              : self ? name + ": " + first_name + " with itself"
                                     : name + ": " + first_name + " and " + second_name;
    // One selection: its residues on both axes. Two: the first's residues are rows, unless a residue is on
    // both sides (selections by atom), which the map then draws square.
    if (self) result.map->set_square();
    svg = draw(*result.map, title, first_name, self ? first_name : second_name, options.cutoff);
  }
  if (!options.summary.empty()) {
    row = result.summary.row(name, first_name, second_name, first.size(), other.size());
    if (options.symmetry) {
      row.back() = '\t';
      row = summary_header_with_images() + row + std::to_string(found->image_contacts) + '\n';
    } else {
      row = summary_header + row;
    }
  }
  write_sorted(options.output, result.groups);
  if (result.map) write_whole_file(options.map, svg);
  if (!options.summary.empty()) write_whole_file(options.summary, row);
}

// A contact of one chain pair as the pipeline's run of the two chains would write it: the key of its line there,
// (cell of the first chain's atom, that atom's place in its chain, neighbour rank, the other atom's place).
struct interface_contact {
  std::uint32_t k, j, i, a, rank, b;
  std::uint32_t point_a, point_b;
  float distance;
  bool operator<(const interface_contact& o) const {
    return std::tie(k, j, i, a, rank, b) < std::tie(o.k, o.j, o.i, o.a, o.rank, o.b);
  }
};

void make_folder(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST)
    fail_system("cannot create " + file_name(path), errno);
}

// Every pair of polymer chains, from one search of all their atoms.
void scan_interfaces(const scan_options& options, gemmi::Structure& structure) {
  if (options.symmetry) check_crystal(structure);
  const gemmi::Selection everything{};
  const gemmi::Model& model = chosen_model(structure, everything);
  atom_tables tables;
  // The chains in pairpick --list's order; the polymer ones among them are the sides.
  std::vector<std::string> chain_names;
  std::vector<char> chain_polymer;
  for (const gemmi::Chain& chain : model.chains) {
    const std::uint32_t c = tables.chain_number(chain.name);
    if (c == chain_names.size()) {
      chain_names.push_back(chain.name);
      chain_polymer.push_back(0);
    }
    for (const gemmi::Residue& residue : chain.residues)
      if (residue.entity_type == gemmi::EntityType::Polymer) chain_polymer[c] = 1;
  }
  std::vector<picked_atom> picked = pick_atoms(model, everything, options.defaults);
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
    const cell_list grid = loaded_grid(options.cutoff, all.points(), all.points());
    cell_list frame;  // the pair's grid, for cell coordinates only
    frame.set_cutoff(options.cutoff);
    grid.for_each_self_contact([&](std::int32_t a, std::int32_t b, float d) {
      std::size_t pa = static_cast<std::size_t>(a), pb = static_cast<std::size_t>(b);
      std::uint32_t sa = side_of(pa), sb = side_of(pb);
      if (sa == sb || rules.drops(all, pa, all, pb)) return;
      if (sa > sb) std::swap(pa, pb), std::swap(sa, sb);
      const auto& ma = side_min[sa];
      const auto& mb = side_min[sb];
      frame.box_min_x = std::min(ma[0], mb[0]), frame.box_min_y = std::min(ma[1], mb[1]), frame.box_min_z = std::min(ma[2], mb[2]);
      const std::uint32_t cell_a[3] = {frame.axis_cell(all.x[pa] - frame.box_min_x), frame.axis_cell(all.y[pa] - frame.box_min_y),
                                       frame.axis_cell(all.z[pa] - frame.box_min_z)};
      const std::uint32_t cell_b[3] = {frame.axis_cell(all.x[pb] - frame.box_min_x), frame.axis_cell(all.y[pb] - frame.box_min_y),
                                       frame.axis_cell(all.z[pb] - frame.box_min_z)};
      // The neighbour list runs x outermost, each axis -1, 0, +1; partners beyond it come last, by index.
      std::uint32_t rank = 0;
      for (int axis = 0; axis < 3; ++axis) {
        const std::int64_t step = std::int64_t{cell_b[axis]} - cell_a[axis];
        if (step < -1 || step > 1) {
          rank = 27;
          break;
        }
        rank = rank * 3 + static_cast<std::uint32_t>(step + 1);
      }
      found[sa * n_sides + sb].push_back({cell_a[2], cell_a[1], cell_a[0], place[pa], rank, place[pb],
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
      const cell_list grid = loaded_grid(options.cutoff, all.points(), images.points());
      grid.for_each_contact([&](std::int32_t a, std::int32_t b, float d) {
        const auto pa = static_cast<std::size_t>(a), ib = static_cast<std::size_t>(b);
        const std::uint32_t sa = side_of(pa), sb = side_of(images.source[ib]);
        if (sa < sb) image_found[sa * n_sides + sb].push_back({static_cast<std::uint32_t>(pa), static_cast<std::uint32_t>(ib), d});
      });
    }
  }

  // Everything is computed before the first file is written.
  const std::string name = structure_name(options.structure);
  std::string table = options.symmetry ? summary_header_with_images() : summary_header;
  make_folder(options.interfaces);
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
      const std::string folder = options.interfaces + "/" + first + "_vs_" + second;
      make_folder(folder);
      write_sorted(folder + "/sorted.pairtab", result.groups);
      if (result.map)
        write_whole_file(folder + "/map.svg",
                         draw(*result.map, name + ": chains " + first + " and " + second, "chain " + first,
                              "chain " + second, options.cutoff));
      table += result.summary.row(name, first, second, side_atoms[r1], side_atoms[r2]);
      if (options.symmetry) table.back() = '\t', table += std::to_string(image_contacts) + '\n';
    }
  }
  write_whole_file(options.interfaces + "/summary.tsv", table);
}

}  // namespace

void run_scan(const scan_options& options) {
  // Selections are read before the file: a typo should not wait for a large structure.
  std::vector<gemmi::Selection> selections;
  for (const std::string& text : options.selections) selections.push_back(parse_selection(text));
  gemmi::Structure structure = read_structure(options.structure);
  if (!options.assembly.empty()) build_assembly(structure, options.assembly);
  gemmi::add_entity_types(structure, /*overwrite=*/false);
  if (!options.interfaces.empty())
    scan_interfaces(options, structure);
  else
    scan_selections(options, selections, structure);
}
