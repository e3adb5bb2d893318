#include "scan_command_line.hpp"

#include <cstdlib>

#include "contact_frequencies.hpp"
#include "error.hpp"
#include "options.hpp"

const char* const scan_usage =
    "Usage: pairscan [options] STRUCTURE SELECTION [SELECTION2] OUTPUT\n"
    "       pairscan --interfaces DIR [options] STRUCTURE\n";

const char* const scan_help =
    "Reads a PDB or mmCIF file (plain or gzipped) once and writes its contacts within the cut-off, grouped by\n"
    "residue pair and ordered by distance (what pairpick, pairsweep and pairsift give in turn), in one process.\n"
    "\n"
    "  SELECTION SELECTION2   every atom of the first against every atom of the second that is not in the first\n"
    "  SELECTION              self-contacts: every pair of distinct atoms once, without pairs in one residue\n"
    "  OUTPUT                 the sorted contact list; - for standard output\n"
    "\n"
    "  --cutoff D             the cut-off distance in Angstrom (default 4)\n"
    "  --vdw-tolerance T      instead of the cut-off, a contact is a pair within the sum of its van der Waals\n"
    "                         radii (Bondi's; H 1.1) plus T Angstrom (T from 0 to 100; 0.5 is common)\n"
    "  --same-residue         self-contacts: keep pairs within one residue, each once\n"
    "  --min-separation N     leave out pairs of polymer residues of one chain whose numbers differ by less\n"
    "                         than N (1: other residues only; 6, 12, 24: short, medium, long range)\n"
    "  --skip-links           leave out covalently bonded atom pairs: those the file records (LINK, SSBOND,\n"
    "                         struct_conn covale and disulf) and those of different residues within the sum\n"
    "                         of their covalent radii + 0.4 A, but the backbone bond of consecutive residues\n"
    "                         of a chain; metal coordination stays a contact\n"
    "  --symmetry             also the contacts with the crystal's symmetry images of the second selection\n"
    "                         (of the selection itself with one), their residues named by the operation and\n"
    "                         cell shift: A25@2_655; an atom within 0.8 A of its own image does not meet it;\n"
    "                         with --interfaces, each pair's first chain with the second's images\n"
    "  --assembly ID          build biological assembly ID first (copies named A1, A2, ...)\n"
    "  --allow-empty          a selection that matches no atom gives an empty output, not an error\n"
    "  --map FILE.svg         draw the residue contact map (rows: the first selection)\n"
    "  --title TEXT           the map's title\n"
    "  --map-types            mark each cell of the maps with its residue pair's strongest interaction type\n"
    "                         (a legend names the marks)\n"
    "  --summary FILE.tsv     write the summary row: atoms, contacts, residue pairs, closest, residues\n"
    "  --contacts FILE.tsv    one row per atom pair, the first selection's atom first\n"
    "  --residues FILE.tsv    one row per residue in contact, of either side: the pocket of a ligand\n"
    "  --residue-pairs FILE.tsv   one row per residue pair, the first selection's residue first\n"
    "  --interactions FILE.tsv    one row per typed interaction (hydrogen_bond, salt_bridge, hydrophobic,\n"
    "                         stacking_parallel, stacking_t_shaped, cation_pi, halogen_bond, metal,\n"
    "                         water_bridge with --waters, covalent, clash), the first selection's end first;\n"
    "                         the summary and residue pairs gain one count per type\n"
    "  --criterion NAME=VALUE   change one criterion of the interaction types (Angstrom or degrees):\n"
    "                         hbond_distance 3.5, hbond_h_distance 2.7, hbond_dha_angle 120,\n"
    "                         hbond_heavy_angle 90, salt_bridge_distance 4, his_charged 1,\n"
    "                         hydrophobic_distance 4, stacking_distance 5.5, stacking_parallel_angle 30,\n"
    "                         stacking_offset 2, stacking_t_angle 60, cation_pi_distance 6,\n"
    "                         cation_pi_offset 2, halogen_distance 4, halogen_cx_angle 165,\n"
    "                         halogen_ay_angle 120, halogen_tolerance 30, metal_distance 3,\n"
    "                         covalent_tolerance 0.4, clash_overlap 0.4, ring_planarity 0.1\n"
    "  --areas FILE.tsv       each residue's solvent-accessible area with its side alone and the part the\n"
    "                         other side buries (Shrake-Rupley, probe 1.4 A, FreeSASA's radii); the\n"
    "                         summary gains buried_area and interface_area\n"
    "  --area-atoms standard|all   atoms with an area: standard (no HETATM, waters or hydrogens, as\n"
    "                         FreeSASA counts them; the default) or all (ligands and glycans too)\n"
    "  --area-points N        points a sphere (default 960)\n"
    "  --models all|LIST      with --residue-pairs (or --interfaces and --write residue-pairs): each\n"
    "                         residue pair's models in contact and frequency over\n"
    "                         the file's models (all, or numbers and ranges such as 1-5,8); the atoms\n"
    "                         must be the same in every model; OUTPUT holds the first model's contacts\n"
    "  --html FILE.html       a page to explore: the structure in 3D (3Dmol.js, offline) beside each map;\n"
    "                         clicking a cell shows its two residues; 3Dmol-min.js is copied beside it\n"
    "  --html-viewer PATH     where the page loads 3Dmol-min.js from instead (nothing is copied)\n"
    "  --trajectory FILE.dcd  with --residue-pairs: the same over the frames of a DCD trajectory (CHARMM,\n"
    "                         NAMD or X-PLOR, either byte order) of STRUCTURE's atoms in file order; a\n"
    "                         progress line on standard error when it is a terminal\n"
    "  --interfaces DIR       every pair of polymer chains: a row of DIR/summary.tsv, and for a pair in\n"
    "                         contact DIR/FIRST_vs_SECOND/sorted.pairtab (the row's folder column), from one\n"
    "                         search of the structure\n"
    "  --maps                 with --interfaces: each pair's map.svg too\n"
    "  --write LIST           with --interfaces: each pair's tables too, of contacts, residues,\n"
    "                         residue-pairs, interactions, areas and maps (contacts.tsv, residues.tsv,\n"
    "                         residue-pairs.tsv, interactions.tsv, areas.tsv, map.svg); interactions add\n"
    "                         one count per type to the summary, areas buried_area and interface_area;\n"
    "                         kinds groups alike pairs (DIR/kinds.tsv, the summary's kind column)\n"
    "  --pairs FILE           with --interfaces: instead of chain pairs, the pairs of named selections FILE\n"
    "                         lists, one per line: NAME<TAB>SELECTION<TAB>NAME2<TAB>SELECTION2\n"
    "  --self                 with --interfaces: each chain against itself too (DIR/A_vs_A), with the\n"
    "                         --min-separation given\n"
    "  --min-distance D, --max-distance D   the maps' colour scale (default: the list's own distances)\n"
    "  --status FILE          write the structure's row: chains, polymer_chains, atoms, pairs, status\n"
    "                         (done, one_chain, no_match, no_assembly, unreadable) and message\n"
    "  --record-failures      with --status: a structure that cannot be read is recorded there as\n"
    "                         unreadable (no_assembly: it lacks the --assembly asked for) with exit\n"
    "                         status 0 and no pair, instead of failing the run\n"
    "  --altloc X, --waters, --hydrogens, --numbering label, --max-input-size BYTES   as in pairpick\n"
    "  --help, --version\n"
    "\n"
    "Exit status: 0 done, 1 wrong command line, 2 error (one line on standard error).\n";

namespace {

int read_count(const std::string& option, const std::string& text) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < 0 || value > max_separation)
    throw usage_error(option + " takes a whole number from 0, not " + quoted(text));
  return static_cast<int>(value);
}

// --write contacts,residues,residue-pairs,areas,maps: what each pair's folder holds besides its sorted list.
void read_write_list(const std::string& text, scan_options& options) {
  std::size_t begin = 0;
  while (begin <= text.size()) {
    std::size_t end = text.find(',', begin);
    if (end == std::string::npos) end = text.size();
    const std::string noun = text.substr(begin, end - begin);
    if (noun == "contacts")
      options.write_contacts = true;
    else if (noun == "residues")
      options.write_residues = true;
    else if (noun == "residue-pairs")
      options.write_residue_pairs = true;
    else if (noun == "areas")
      options.write_areas = true;
    else if (noun == "kinds")
      options.write_kinds = true;
    else if (noun == "interactions")
      options.write_interactions = true;
    else if (noun == "maps")
      options.maps = true;
    else
      throw usage_error("--write takes a list of contacts, residues, residue-pairs, interactions, areas, kinds and maps, not " + quoted(noun));
    begin = end + 1;
  }
}

}  // namespace

scan_options parse_scan_command_line(const std::vector<std::string>& arguments) {
  scan_options options;
  const scanned_command_line line = scan_command_line(arguments, [&](const auto& all, std::size_t& i) {
    if (is_option(all[i], "--cutoff")) {
      options.request.cutoff = positive_option("--cutoff", option_value(all, i, "--cutoff"));
    } else if (is_option(all[i], "--vdw-tolerance")) {
      const std::string text = option_value(all, i, "--vdw-tolerance");
      char* end = nullptr;
      const float value = std::strtof(text.c_str(), &end);
      if (text.empty() || *end != '\0' || !(value >= 0 && value <= 100))
        throw usage_error("--vdw-tolerance takes a number from 0 to 100, not " + quoted(text));
      options.request.vdw_tolerance = value;
    } else if (is_option(all[i], "--min-separation")) {
      options.request.min_separation = read_count("--min-separation", option_value(all, i, "--min-separation"));
    } else if (is_option(all[i], "--map")) {
      options.map = option_value(all, i, "--map");
    } else if (all[i] == "--map-types") {
      options.map_types = true;
    } else if (all[i] == "--maps") {
      options.maps = true;
    } else if (is_option(all[i], "--contacts")) {
      options.contacts = option_value(all, i, "--contacts");
    } else if (is_option(all[i], "--residues")) {
      options.residues = option_value(all, i, "--residues");
    } else if (is_option(all[i], "--residue-pairs")) {
      options.residue_pairs = option_value(all, i, "--residue-pairs");
    } else if (is_option(all[i], "--interactions")) {
      options.interactions = option_value(all, i, "--interactions");
    } else if (is_option(all[i], "--criterion")) {
      options.request.criteria.set(option_value(all, i, "--criterion"));
    } else if (is_option(all[i], "--models")) {
      options.models = option_value(all, i, "--models");
      model_ranges(options.models);  // a list that is not one is a usage error, before the file is read
    } else if (is_option(all[i], "--html")) {
      options.html = option_value(all, i, "--html");
    } else if (is_option(all[i], "--html-viewer")) {
      options.html_viewer = option_value(all, i, "--html-viewer");
      if (options.html_viewer.empty()) throw usage_error("--html-viewer takes the path of 3Dmol-min.js from the page");
    } else if (is_option(all[i], "--trajectory")) {
      options.trajectory = option_value(all, i, "--trajectory");
    } else if (is_option(all[i], "--areas")) {
      options.areas = option_value(all, i, "--areas");
    } else if (is_option(all[i], "--area-atoms")) {
      const std::string which = option_value(all, i, "--area-atoms");
      if (which != "standard" && which != "all")
        throw usage_error("--area-atoms takes standard or all, not " + quoted(which));
      options.request.area.all_atoms = which == "all";
    } else if (is_option(all[i], "--area-points")) {
      const std::string text = option_value(all, i, "--area-points");
      char* end = nullptr;
      const long value = std::strtol(text.c_str(), &end, 10);
      if (text.empty() || *end != '\0' || value < 1 || value > 100000)
        throw usage_error("--area-points takes a whole number from 1 to 100000, not " + quoted(text));
      options.request.area.points = static_cast<int>(value);
    } else if (is_option(all[i], "--write")) {
      read_write_list(option_value(all, i, "--write"), options);
    } else if (is_option(all[i], "--pairs")) {
      options.pairs = option_value(all, i, "--pairs");
    } else if (all[i] == "--self") {
      options.self_pairs = true;
    } else if (is_option(all[i], "--status")) {
      options.status = option_value(all, i, "--status");
    } else if (all[i] == "--record-failures") {
      options.record_failures = true;
    } else if (is_option(all[i], "--min-distance")) {
      const std::string text = option_value(all, i, "--min-distance");
      options.map_min_distance = text == "0" ? 0.0f : positive_option("--min-distance", text);
    } else if (is_option(all[i], "--max-distance")) {
      options.map_max_distance = positive_option("--max-distance", option_value(all, i, "--max-distance"));
    } else if (is_option(all[i], "--title")) {
      options.title = option_value(all, i, "--title");
    } else if (is_option(all[i], "--summary")) {
      options.summary = option_value(all, i, "--summary");
    } else if (is_option(all[i], "--interfaces")) {
      options.interfaces = option_value(all, i, "--interfaces");
    } else if (is_option(all[i], "--altloc")) {
      options.request.atoms.altloc = read_altloc(option_value(all, i, "--altloc"));
    } else if (all[i] == "--waters") {
      options.request.atoms.keep_waters = true;
    } else if (is_option(all[i], "--numbering")) {
      options.label_numbers = read_numbering(option_value(all, i, "--numbering"));
    } else if (is_option(all[i], "--max-input-size")) {
      options.max_input_size = byte_count_option("--max-input-size", option_value(all, i, "--max-input-size"));
    } else if (all[i] == "--hydrogens") {
      options.request.atoms.keep_hydrogens = true;
    } else if (all[i] == "--same-residue") {
      options.request.same_residue = true;
    } else if (all[i] == "--skip-links") {
      options.request.skip_links = true;
    } else if (all[i] == "--symmetry") {
      options.request.symmetry = true;
    } else if (is_option(all[i], "--assembly")) {
      options.request.assembly = option_value(all, i, "--assembly");
      if (options.request.assembly.empty()) throw usage_error("--assembly takes an assembly id, not ''");
    } else if (all[i] == "--allow-empty") {
      options.request.allow_empty = true;
    } else {
      return false;
    }
    return true;
  });
  options.show_help = line.show_help;
  options.show_version = line.show_version;
  if (options.show_help || options.show_version) return options;
  const auto& operands = line.operands;
  if (options.record_failures && options.status.empty()) throw usage_error("--record-failures records in --status FILE");
  if (options.interfaces.empty() && (!options.pairs.empty() || options.self_pairs))
    throw usage_error(std::string(options.self_pairs ? "--self" : "--pairs") + " goes with --interfaces");
  if (!options.pairs.empty() && options.self_pairs) throw usage_error("--self is for chains, not --pairs");
  if (!options.interfaces.empty()) {
    if (operands.size() != 1) throw usage_error("--interfaces takes the structure alone, found " + arguments_found(operands.size()));
    if (!options.summary.empty()) throw usage_error("--interfaces writes DIR/summary.tsv; --summary does not apply");
    if (!options.map.empty()) throw usage_error("--interfaces draws each pair's map with --maps; --map does not apply");
    if (!options.trajectory.empty()) throw usage_error("--trajectory goes with two selections or one, not --interfaces");
    if (!options.models.empty() && !options.write_residue_pairs)
      throw usage_error("--models counts residue pairs over the models: add --write residue-pairs");
    if (!options.models.empty() && options.request.symmetry)
      throw usage_error("--models searches each model without its crystal; --symmetry does not apply");
    if (!options.models.empty() && !options.pairs.empty()) throw usage_error("--models is for chain pairs, not --pairs");
    options.request.models = options.models;
    if (!options.contacts.empty() || !options.residues.empty() || !options.residue_pairs.empty() || !options.areas.empty() ||
        !options.interactions.empty())
      throw usage_error("--interfaces writes each pair's tables with --write; --contacts, --residues, --residue-pairs, "
                        "--interactions and --areas do not apply");
    if (options.write_interactions && !options.models.empty())
      throw usage_error("--models counts residue pairs over the models; interactions are typed in the first: not both");
    if (options.map_types && !options.maps && options.html.empty())
      throw usage_error("--map-types marks the maps: add --maps");
    options.request.interactions = options.write_interactions || options.map_types;
    options.structure = operands[0];
    options.request.map = options.maps;
    // Kinds compare each pair's residue pairs and buried area; a page needs each pair's map and closest atoms.
    options.request.tables = options.write_contacts || options.write_residues || options.write_residue_pairs ||
                             options.write_kinds || !options.html.empty();
    if (!options.html.empty()) options.request.map = true;
    options.request.areas = options.write_areas || options.write_kinds;
    options.request.check();
    return options;
  }
  if (options.maps) throw usage_error("--maps goes with --interfaces; one map is --map FILE.svg");
  if (options.write_contacts || options.write_residues || options.write_residue_pairs || options.write_areas ||
      options.write_kinds || options.write_interactions)
    throw usage_error("--write goes with --interfaces; one run's tables are --contacts, --residues, --residue-pairs, "
                      "--interactions, --areas");
  if (operands.size() != 3 && operands.size() != 4)
    throw usage_error("expected a structure, one or two selections and an output, found " + arguments_found(operands.size()));
  options.structure = operands.front();
  options.request.selections.assign(operands.begin() + 1, operands.end() - 1);
  options.output = operands.back();
  options.request.areas = !options.areas.empty();
  options.request.interactions = !options.interactions.empty() || options.map_types;
  if (options.map_types && options.map.empty() && options.html.empty())
    throw usage_error("--map-types marks the map: give --map FILE.svg");
  if (options.request.interactions && (!options.models.empty() || !options.trajectory.empty()))
    throw usage_error("--interactions types the contacts of one model; --models and --trajectory do not apply");
  if (!options.trajectory.empty() && options.request.vdw_tolerance >= 0)
    throw usage_error("frequencies over frames count contacts within the cut-off; --vdw-tolerance does not apply");
  if (!options.trajectory.empty()) {
    if (!options.models.empty()) throw usage_error("--trajectory and --models: frames of one or the other");
    if (options.residue_pairs.empty()) throw usage_error("--trajectory counts residue pairs over the frames: give --residue-pairs FILE");
    if (options.request.symmetry || !options.request.assembly.empty())
      throw usage_error("--trajectory searches each frame as it is; --symmetry and --assembly do not apply");
  }
  if (!options.models.empty()) {
    if (options.residue_pairs.empty()) throw usage_error("--models counts residue pairs over the models: give --residue-pairs FILE");
    if (options.request.symmetry) throw usage_error("--models searches each model without its crystal; --symmetry does not apply");
    options.request.models = options.models;
  }
  options.request.check();
  options.request.summary = !options.summary.empty();
  options.request.map = !options.map.empty() || !options.html.empty();
  options.request.tables = !options.contacts.empty() || !options.residues.empty() || !options.residue_pairs.empty() ||
                           !options.html.empty();
  // "//" starts a selection: a forgotten output would otherwise write the last selection's name, /B, at the root.
  if (options.output.compare(0, 2, "//") == 0)
    throw usage_error("the output " + quoted(options.output) + " looks like a selection; the output comes last");
  return options;
}
