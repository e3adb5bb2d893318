#include "scan.hpp"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gemmi/polyheur.hpp>

#include "assemblies.hpp"
#include "atom_picking.hpp"
#include "contact_frequencies.hpp"
#include "dcd_file.hpp"
#include "html_page.hpp"
#include "covalent_links.hpp"
#include "error.hpp"
#include "interfaces.hpp"
#include "output_set.hpp"
#include "point_list.hpp"
#include "pair_summary.hpp"
#include "scan_output.hpp"
#include "selection_contacts.hpp"
#include "structure_file.hpp"
#include "whole_file.hpp"

namespace {

// "pairscan: frame N of M" on standard error while a trajectory is read, when it is a terminal: at most a few
// times a second, and cleared at the end.
class progress_line {
 public:
  explicit progress_line(std::uint64_t total) : total_(total), shown_(::isatty(2) != 0) {}
  void show(std::uint64_t done) {
    if (!shown_) return;
    const auto now = std::chrono::steady_clock::now();
    if (done != total_ && now - last_ < std::chrono::milliseconds(200)) return;
    last_ = now;
    std::fprintf(stderr, "\rpairscan: frame %llu of %llu", static_cast<unsigned long long>(done),
                 static_cast<unsigned long long>(total_));
  }
  void finish() {
    if (shown_) std::fputs("\r\033[K", stderr);
  }

 private:
  std::uint64_t total_;
  bool shown_;
  std::chrono::steady_clock::time_point last_{};
};

// The frames of the DCD trajectory options name, each the model's atoms in file order, into the ensemble.
void add_trajectory(const scan_options& options, const gemmi::Model& model, const atom_table& first,
                    const atom_table* second, contact_frequencies& ensemble) {
  std::vector<std::uint32_t> first_index, second_index;
  const std::size_t layout = frame_layout(model, first, first_index);
  if (second != nullptr) frame_layout(model, *second, second_index);
  dcd_file run(options.trajectory);
  if (run.atoms() != layout)
    fail(file_name(options.trajectory) + ": frames of " + std::to_string(run.atoms()) + " atoms; " +
         file_name(options.structure) + " holds " + std::to_string(layout) + " in its first model");
  std::vector<float> frame, first_xyz, second_xyz;
  const auto gather = [&](const std::vector<std::uint32_t>& index, std::vector<float>& xyz) {
    xyz.resize(3 * index.size());
    for (std::size_t p = 0; p < index.size(); ++p)
      for (std::size_t k = 0; k < 3; ++k) xyz[3 * p + k] = frame[3 * std::size_t{index[p]} + k];
  };
  progress_line progress(run.frames());
  while (run.next(frame)) {
    gather(first_index, first_xyz);
    if (second != nullptr) gather(second_index, second_xyz);
    ensemble.add_frame(first_xyz.data(), second_xyz.data());
    progress.show(ensemble.frames());
  }
  progress.finish();
}

// Two selections, or one against itself.
void scan_selections(const scan_options& options, const std::vector<gemmi::Selection>& selections,
                     gemmi::Structure& structure, structure_status& status, output_set& outputs,
                     std::vector<page_map>* page) {
  const scan_request& request = options.request;
  const std::unique_ptr<selection_contacts> found = find_selection_contacts(request, selections, structure);
  const bool self = found->self;
  const atom_table& first = found->first;
  const atom_table& other = found->other();
  side_pair& result = found->result;
  const std::string name = structure_name(options.structure);
  const std::string& first_name = request.selections.front();
  const std::string& second_name = request.selections.back();
  std::string svg, row;
  // Over an ensemble (the models listed, or a trajectory's frames): every residue pair in contact in any, each
  // frame searched as a run of those coordinates would be.
  std::string frequencies;
  std::vector<frequency_row> frequency_rows;
  std::uint64_t frames = 0;
  if (!request.models.empty() || !options.trajectory.empty()) {
    const gemmi::Model& model = chosen_model(structure, selections.front());
    std::unique_ptr<covalent_links> links;
    if (request.skip_links) links = std::make_unique<covalent_links>(structure, model);
    const pair_rules rules = rules_of(request, self, links.get());
    contact_frequencies ensemble(request.cutoff, first, self ? nullptr : &other, rules, std::make_shared<const chain_order>(model));
    std::vector<float> first_xyz, second_xyz;
    if (!request.models.empty()) {
      for (const gemmi::Model* each : listed_models(structure, request.models)) {
        model_coordinates(structure, *each, selections, request.atoms, first, self ? nullptr : &other, first_xyz, second_xyz);
        ensemble.add_frame(first_xyz.data(), second_xyz.data());
      }
    } else {
      add_trajectory(options, model, first, self ? nullptr : &other, ensemble);
    }
    frequency_rows = ensemble.rows();
    frames = ensemble.frames();
    frequencies = frequency_text(frequency_rows, contact_tables::residue_pairs(result.tables->contacts()), frames);
    // The map shows the ensemble: each residue pair coloured by how often it is in contact.
    if (result.map) result.map = frequency_map(frequency_rows, frames);
  }
  if (result.map) {
    map_style style;
    style.title = !options.title.empty() ? options.title
                  : self ? name + ": " + first_name + " with itself"
                         : name + ": " + first_name + " and " + second_name;
    if (options.title.empty() && frames > 0) style.title += ", frequency over " + std::to_string(frames) + " models";
    style.row_title = first_name, style.column_title = self ? first_name : second_name;
    style.cutoff = request.vdw_tolerance >= 0 ? 0 : request.cutoff;
    style.min_distance = options.map_min_distance, style.max_distance = options.map_max_distance;
    style.models = frames;
    // One selection: its residues on both axes. Two: the first's residues are rows, unless a residue is on
    // both sides (selections by atom), which the map then draws square.
    if (self) result.map->set_square();
    type_marks marks;
    if (options.map_types) marks = marks_of(*result.tables, result.interactions), style.marks = &marks;
    svg = draw(*result.map, style);
    if (page != nullptr) {
      const std::vector<contact_row> rows = result.tables->contacts();
      page->push_back({style.title, svg, rows, page_residues(rows, *result.tables),
                       found->areas ? page_areas(found->areas->rows(0, self ? 0 : 1)) : ""});
    }
  }
  if (request.summary) {
    row = summary_header_for(request.symmetry, false, false, request.areas, request.interactions) +
          summary_row(request.symmetry, result.summary, name, first_name, second_name, first.size(), other.size(),
                      found->image_contacts);
    if (request.areas) row.insert(row.size() - 1, area_fields(*found->areas, 0, self ? 0 : 1));
    if (request.interactions) row.insert(row.size() - 1, type_count_fields(result.interactions));
  }
  status.writing = true;
  // Every file is created before any is written, so that one that cannot be made stops the run before a
  // device has been written to.
  file_in_parts& sorted = outputs.file(options.output);
  file_in_parts* map = options.map.empty() ? nullptr : &outputs.file(options.map);
  file_in_parts* summary = request.summary ? &outputs.file(options.summary) : nullptr;
  file_in_parts* contacts = options.contacts.empty() ? nullptr : &outputs.file(options.contacts);
  file_in_parts* residues = options.residues.empty() ? nullptr : &outputs.file(options.residues);
  file_in_parts* residue_pairs = options.residue_pairs.empty() ? nullptr : &outputs.file(options.residue_pairs);
  file_in_parts* areas = options.areas.empty() ? nullptr : &outputs.file(options.areas);
  file_in_parts* interactions = options.interactions.empty() ? nullptr : &outputs.file(options.interactions);
  write_sorted(sorted, result.groups);
  if (map) map->write(svg);
  if (summary) summary->write(row);
  if (result.tables) {
    const table_texts texts = tables_text(*result.tables, request.interactions ? &result.interactions : nullptr, contacts,
                                          residues, residue_pairs && frequencies.empty(), interactions);
    if (interactions) interactions->write(texts.interactions);
    if (contacts) contacts->write(texts.contacts);
    if (residues) residues->write(texts.residues);
    if (residue_pairs) residue_pairs->write(frequencies.empty() ? texts.residue_pairs : frequencies);
  }
  if (areas) areas->write(areas_text(found->areas->rows(0, self ? 0 : 1)));
}

// The name of path within folder ("status.tsv" of "DIR/status.tsv" in "DIR"), or "" when it is not directly in it.
std::string entry_of(std::string folder, const std::string& path) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (folder.empty() || path.size() <= folder.size() + 1 || path.compare(0, folder.size(), folder) != 0 ||
      path[folder.size()] != '/')
    return "";
  const std::string name = path.substr(folder.size() + 1);
  return name.find('/') == std::string::npos ? name : "";
}

}  // namespace

void run_scan(const scan_options& options) {
  // Selections are read before the file: a typo should not wait for a large structure.
  std::vector<gemmi::Selection> selections;
  for (const std::string& text : options.request.selections) selections.push_back(parse_selection(text));
  output_set outputs;
  // The outputs are made first, aside: a path that cannot be written stops the run before the work.
  const std::string written = options.interfaces.empty() ? "" : outputs.folder(options.interfaces);
  // A status file in the interfaces folder (as the workflow keeps it) is written with the folder's entries.
  const std::string status_in_folder = entry_of(options.interfaces, options.status);
  file_in_parts* status_file = options.status.empty() || !status_in_folder.empty() ? nullptr : &outputs.file(options.status);
  // A page needs the viewer: looked for before the work.
  std::unique_ptr<viewer_files> viewer;
  if (!options.html.empty()) viewer = std::make_unique<viewer_files>(find_viewer());
  // A page in the interfaces folder (as the workflow keeps it) is written with the folder's entries.
  const std::string html_in_folder = entry_of(options.interfaces, options.html);
  file_in_parts* html_file = options.html.empty() || !html_in_folder.empty() ? nullptr : &outputs.file(options.html);
  std::vector<page_map> page;
  std::string structure_text, page_text;
  structure_status status;
  // A structure that cannot be scanned is a row of its own when asked, with empty results.
  const auto record = [&](const char* what, const std::string& message) {
    status = structure_status();
    status.status = what;
    status.message = message;
    if (!options.interfaces.empty())
      write_whole_file(written + "/summary.tsv", summary_header_for(options.request.symmetry, true, options.write_kinds, options.write_areas,
                                                              options.write_interactions));
    else
      outputs.file(options.output);
  };
  try {
    gemmi::Structure structure = viewer ? read_structure(options.structure, options.max_input_size, structure_text)
                                        : read_structure(options.structure, options.max_input_size);
    if (options.label_numbers) use_label_numbers(structure);
    const std::string& assembly = options.request.assembly;
    std::vector<std::string> source_chains;
    if (!structure.models.empty())
      for (const gemmi::Chain& chain : structure.models.front().chains) source_chains.push_back(chain.name);
    const std::string missing = assembly.empty() ? "" : missing_assembly(structure, assembly);
    if (!missing.empty() && options.record_failures) {
      // Not a fault of the file: many entries declare no assembly.
      record("no_assembly", missing);
    } else {
      if (!assembly.empty()) {
        const std::size_t merged = build_assembly(structure, assembly);
        if (merged > 0)
          status.message = "assembly " + assembly + ": " + std::to_string(merged) +
                           (merged == 1 ? " atom" : " atoms") + " on a symmetry axis kept once (copies within 0.8 A)";
      }
      gemmi::add_entity_types(structure, /*overwrite=*/false);
      if (!options.interfaces.empty()) {
        scan_interfaces(options, structure, status, written, source_chains, viewer ? &page : nullptr);
        if (!options.status.empty()) status.ligands = list_ligands(structure, options.request.atoms).size();
      } else {
        scan_selections(options, selections, structure, status, outputs, viewer ? &page : nullptr);
      }
      // The page now, while the structure its rows point into is here.
      if (viewer)
        page_text = html_page(*viewer, structure_name(options.structure), structure_text, is_mmcif_text(structure_text),
                              page, options.html_viewer);
    }
  } catch (const run_error& e) {
    // A failure to write is not the structure's, and names the folder as the user gave it, not the fresh one
    // beside it.
    if (!options.record_failures || status.writing) {
      std::string message = e.what();
      const std::size_t at = written.empty() ? std::string::npos : message.find(written);
      if (at == std::string::npos) throw;
      throw run_error(message.replace(at, written.size(), options.interfaces), e.system_error());
    }
    record("unreadable", e.what());
  }
  const std::string row = status.table(structure_name(options.structure));
  if (status_file) status_file->write(row);
  if (!page_text.empty()) {
    status.writing = true;
    if (html_file != nullptr) html_file->write(page_text);
    if (!html_in_folder.empty()) write_whole_file(written + "/" + html_in_folder, page_text);
    // The viewer beside the page, unless the page loads it from elsewhere (the workflow's one copy).
    if (options.html_viewer == "3Dmol-min.js") {
      const std::size_t slash = options.html.rfind('/');
      copy_viewer(*viewer, !html_in_folder.empty() ? written : slash == std::string::npos ? "" : options.html.substr(0, slash));
    }
  }
  if (!status_in_folder.empty()) write_whole_file(written + "/" + status_in_folder, row);
  outputs.commit();
}
