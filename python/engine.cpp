// The Python module's compiled half: the programs' own search, reading and scan, with NumPy arrays in and out.
// Arrays are handed over without a copy where the engine's result already is an array; the GIL is released
// while the engine works.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cerrno>
#include <cstring>
#include <chrono>
#include <functional>
#include <limits>
#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <gemmi/polyheur.hpp>

#include "array_search.hpp"
#include "assemblies.hpp"
#include "atom_picking.hpp"
#include "atom_table.hpp"
#include "cell_list.hpp"
#include "contact_frequencies.hpp"
#include "contact_tables.hpp"
#include "covalent_links.hpp"
#include "pair_scans.hpp"
#include "point_list.hpp"
#include "error.hpp"
#include "selection_contacts.hpp"
#include "structure_file.hpp"

namespace py = pybind11;

namespace {

// A vector handed to NumPy as it is: the array owns it from then on.
template <class T>
py::array_t<T> adopt(std::vector<T>&& values) {
  auto* owned = new std::vector<T>(std::move(values));
  py::capsule release(owned, [](void* p) { delete static_cast<std::vector<T>*>(p); });
  return py::array_t<T>({static_cast<py::ssize_t>(owned->size())}, {sizeof(T)}, owned->data(), release);
}

// Rows of x, y, z as float32, C-contiguous: the caller's own buffer when it already is one, else one conversion.
using point_array = py::array_t<float, py::array::c_style | py::array::forcecast>;

void require_rows(const point_array& points, const char* name) {
  if (points.ndim() != 2 || points.shape(1) != 3)
    throw py::value_error(std::string(name) + ": expected an array of shape (n, 3)");
}

py::tuple columns(contact_columns&& found) {
  return py::make_tuple(adopt(std::move(found.i)), adopt(std::move(found.j)), adopt(std::move(found.distance)));
}

// Checks for Ctrl-C while the GIL is released: at most every 50 ms it takes the GIL and lets Python run its
// signal handlers; a handler's exception (KeyboardInterrupt) stops the search.
class signal_poll {
 public:
  void operator()() {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(50)) return;
    last_ = now;
    py::gil_scoped_acquire locked;
    if (PyErr_CheckSignals() != 0) throw py::error_already_set();
  }

 private:
  std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

py::tuple search(const point_array& a, const py::object& b, float cutoff) {
  finite_cutoff(cutoff);
  require_rows(a, "a");
  contact_columns found;
  signal_poll poll;
  if (b.is_none()) {
    py::gil_scoped_release unlocked;
    found = search_self_array(a.data(), static_cast<std::size_t>(a.shape(0)), cutoff, std::ref(poll));
  } else {
    const point_array other = b.cast<point_array>();
    require_rows(other, "b");
    py::gil_scoped_release unlocked;
    found = search_arrays(a.data(), static_cast<std::size_t>(a.shape(0)), other.data(),
                          static_cast<std::size_t>(other.shape(0)), cutoff, std::ref(poll));
  }
  return columns(std::move(found));
}

atom_defaults defaults_of(const std::string& altloc, bool waters, bool hydrogens) {
  atom_defaults defaults;
  if (!altloc.empty()) defaults.altloc = read_altloc(altloc);  // empty: the first conformer, as by default
  defaults.keep_waters = waters;
  defaults.keep_hydrogens = hydrogens;
  return defaults;
}

// Object arrays of Python strings, one string object per distinct text: a column of a million labels holds a few
// thousand strings.
class string_column {
 public:
  explicit string_column(std::size_t n) : values_(py::dtype("O"), std::vector<py::ssize_t>{static_cast<py::ssize_t>(n)}) {}
  // text must outlive the column: it is the cache's key. A text made for the row alone goes to set_once.
  void set(std::size_t row, std::string_view text) {
    auto found = made_.find(text);
    if (found == made_.end()) found = made_.emplace(text, decoded(text)).first;
    // The array takes its own reference; the cache keeps one until it goes.
    put(row, found->second);
  }
  void set_once(std::size_t row, std::string_view text) { put(row, decoded(text)); }
  py::array take() { return std::move(values_); }

 private:
  void put(std::size_t row, py::object item) {
    PyObject** slot = static_cast<PyObject**>(values_.mutable_data()) + row;
    Py_XDECREF(*slot);
    *slot = item.release().ptr();
  }
  // Names are the file's bytes: any byte survives a round trip, as os.fsdecode gives it.
  static py::str decoded(std::string_view text) {
    PyObject* made = PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "surrogateescape");
    if (made == nullptr) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(made);
  }
  py::array values_;  // NumPy fills a new object array with null pointers: set() replaces each
  std::unordered_map<std::string_view, py::str> made_;
};

// A structure read and typed as the programs read it; the GIL must be released by the caller.
gemmi::Structure read_typed(const std::string& path, const std::string& assembly, bool label_numbers = false) {
  gemmi::Structure structure = read_structure(path);
  if (label_numbers) use_label_numbers(structure);
  if (!assembly.empty()) build_assembly(structure, assembly);
  gemmi::add_entity_types(structure, /*overwrite=*/false);
  return structure;
}

py::tuple read_points(const std::string& path, const std::string& selection, const std::string& altloc, bool waters,
                      bool hydrogens, const std::string& assembly, bool label_numbers) {
  const atom_defaults defaults = defaults_of(altloc, waters, hydrogens);
  atom_table table;
  {
    py::gil_scoped_release unlocked;
    const gemmi::Selection parsed = parse_selection(selection);
    const gemmi::Structure structure = read_typed(path, assembly, label_numbers);
    const gemmi::Model& model = chosen_model(structure, parsed);
    const std::vector<picked_atom> picked = pick_atoms(model, parsed, defaults, structure.name);
    if (picked.empty()) fail_no_atom(model, parsed, selection);
    atom_tables tables;
    table = tables.make(picked);
  }
  const std::size_t n = table.size();
  string_column labels(n), residues(n);
  py::array_t<float> coordinates({static_cast<py::ssize_t>(n), py::ssize_t{3}});
  float* xyz = coordinates.mutable_data();
  for (std::size_t p = 0; p < n; ++p) {
    labels.set(p, table.labels[p]);
    residues.set(p, table.parts[p].id);
    xyz[3 * p] = table.x[p], xyz[3 * p + 1] = table.y[p], xyz[3 * p + 2] = table.z[p];
  }
  return py::make_tuple(labels.take(), coordinates, residues.take());
}

// The module's keyword arguments as the engine's request, checked.
scan_request request_of(const std::string& selection, const py::object& selection2, float cutoff, bool same_residue,
                        int min_separation, bool skip_links, bool allow_empty, const std::string& altloc, bool waters,
                        bool hydrogens, bool symmetry, const std::string& assembly) {
  scan_request request;
  request.symmetry = symmetry;
  request.assembly = assembly;
  if (!selection.empty()) request.selections.push_back(selection);
  if (!selection2.is_none()) request.selections.push_back(selection2.cast<std::string>());
  request.cutoff = cutoff;
  request.atoms = defaults_of(altloc, waters, hydrogens);
  request.same_residue = same_residue;
  request.min_separation = min_separation;
  request.skip_links = skip_links;
  request.allow_empty = allow_empty;
  request.check();
  return request;
}

py::dict contacts(const std::string& path, const std::string& selection, const py::object& selection2, float cutoff,
                  bool same_residue, int min_separation, bool skip_links, bool allow_empty, const std::string& altloc,
                  bool waters, bool hydrogens, bool symmetry, const std::string& assembly, bool label_numbers) {
  const scan_request request = request_of(selection, selection2, cutoff, same_residue, min_separation, skip_links,
                                          allow_empty, altloc, waters, hydrogens, symmetry, assembly);
  // The rows as write gives them: residue pair records in order, each record's kept contacts.
  struct row {
    const inter_residue* record;
    atom_pair atoms;
    float distance;
  };
  std::vector<row> rows;
  std::unique_ptr<selection_contacts> found;
  gemmi::Structure structure;
  {
    py::gil_scoped_release unlocked;
    std::vector<gemmi::Selection> selections;
    for (const std::string& text : request.selections) selections.push_back(parse_selection(text));
    structure = read_typed(path, assembly, label_numbers);
    found = find_selection_contacts(request, selections, structure);
    found->result.groups.for_each_written(
        [&](const inter_residue& record, atom_pair atoms, float distance) { rows.push_back({&record, atoms, distance}); });
  }
  const std::size_t n = rows.size();
  string_column residue1(n), type1(n), atom1(n), residue2(n), type2(n), atom2(n);
  std::vector<float> distance(n);
  const name_table& atom_names = found->result.groups.atoms;
  for (std::size_t r = 0; r < n; ++r) {
    const row& c = rows[r];
    residue1.set(r, c.record->id_first);
    type1.set(r, c.record->type_first);
    atom1.set(r, atom_names.name(c.atoms.first));
    residue2.set(r, c.record->id_second);
    type2.set(r, c.record->type_second);
    atom2.set(r, atom_names.name(c.atoms.second));
    distance[r] = c.distance;
  }
  py::dict result;
  result["residue1"] = residue1.take();
  result["type1"] = type1.take();
  result["atom1"] = atom1.take();
  result["residue2"] = residue2.take();
  result["type2"] = type2.take();
  result["atom2"] = atom2.take();
  result["distance"] = adopt(std::move(distance));
  return result;
}

// A column of numbers, handed over as NumPy owns it.
template <class T>
struct number_column {
  std::vector<T> values;
  py::array_t<T> take() { return adopt(std::move(values)); }
};

// The residue columns of a table: chain, number, icode, resname (with the suffix given).
struct residue_columns {
  string_column chain, icode, name;
  number_column<std::int64_t> number;
  explicit residue_columns(std::size_t n) : chain(n), icode(n), name(n) { number.values.reserve(n); }
  void set(std::size_t row, const table_residue& r) {
    chain.set(row, r.chain->name);
    number.values.push_back(*r.residue->seqid.num);
    icode.set(row, icode_text(r.residue->seqid));
    name.set(row, r.residue->name);
  }
  void put(py::dict& into, const std::string& suffix, const char* name_key) {
    into[("chain" + suffix).c_str()] = chain.take();
    into[("number" + suffix).c_str()] = number.take();
    into[("icode" + suffix).c_str()] = icode.take();
    into[(name_key + suffix).c_str()] = name.take();
  }
};

// The columns of a table of atom pairs (contacts, interactions): each end's residue and atom, image2, distance.
template <class Row, class AtomNames>
py::dict atom_pair_columns(const std::vector<Row>& rows, AtomNames atom_names) {
  const std::size_t n = rows.size();
  residue_columns first(n), second(n);
  string_column atom1(n), atom2(n), image2(n);
  number_column<float> distance;
  for (std::size_t r = 0; r < n; ++r) {
    first.set(r, rows[r].first), second.set(r, rows[r].second);
    const auto [name1, name2] = atom_names(rows[r]);
    atom1.set(r, name1), atom2.set(r, name2), image2.set(r, rows[r].second.image);
    distance.values.push_back(rows[r].distance);
  }
  py::dict columns;
  first.put(columns, "1", "resname");
  columns["atom1"] = atom1.take();
  second.put(columns, "2", "resname");
  columns["atom2"] = atom2.take();
  columns["image2"] = image2.take();
  columns["distance"] = distance.take();
  return columns;
}

py::dict contact_columns_of(const std::vector<contact_row>& rows) {
  return atom_pair_columns(rows, [](const contact_row& r) {
    return std::pair<std::string_view, std::string_view>(r.atom1->name, r.atom2->name);
  });
}

py::dict residue_pair_columns_of(const std::vector<residue_pair_row>& rows) {
  const std::size_t n = rows.size();
  residue_columns first(n), second(n);
  string_column image2(n);
  number_column<std::int64_t> contacts;
  number_column<float> closest;
  for (std::size_t r = 0; r < n; ++r) {
    first.set(r, rows[r].first), second.set(r, rows[r].second), image2.set(r, rows[r].second.image);
    contacts.values.push_back(static_cast<std::int64_t>(rows[r].contacts));
    closest.values.push_back(rows[r].closest);
  }
  py::dict columns;
  first.put(columns, "1", "resname");
  second.put(columns, "2", "resname");
  columns["image2"] = image2.take();
  columns["contacts"] = contacts.take();
  columns["closest"] = closest.take();
  return columns;
}

// One count column per interaction type, appended to the residue pairs as the table appends them.
void add_type_counts(py::dict& columns, const std::vector<residue_pair_row>& pairs, const std::vector<interaction_row>& typed) {
  std::vector<number_column<std::int64_t>> counts(interaction_type_count);
  for (const type_counts& pair : residue_pair_type_counts(pairs, typed))
    for (std::size_t t = 0; t < interaction_type_count; ++t) counts[t].values.push_back(static_cast<std::int64_t>(pair[t]));
  for (std::size_t t = 0; t < interaction_type_count; ++t)
    columns[interaction_name(static_cast<interaction_type>(t))] = counts[t].take();
}

py::dict interaction_columns_of(const std::vector<interaction_row>& rows) {
  py::dict columns = atom_pair_columns(rows, [](const interaction_row& r) { return std::make_pair(r.atom1, r.atom2); });
  const std::size_t n = rows.size();
  string_column type(n), via(n);
  number_column<float> angle1, angle2;
  for (std::size_t r = 0; r < n; ++r) {
    const interaction_row& row = rows[r];
    type.set(r, interaction_name(row.type));
    angle1.values.push_back(row.angle1), angle2.values.push_back(row.angle2);
    // Made for the row: not a key the column's cache may keep.
    via.set_once(r, row.via != nullptr ? residue_identifier(row.via_chain->name, row.via->seqid) : std::string());
  }
  columns["type"] = type.take();
  columns["angle1"] = angle1.take();
  columns["angle2"] = angle2.take();
  columns["via"] = via.take();
  return columns;
}

py::dict residue_columns_of(const std::vector<residue_row>& rows) {
  const std::size_t n = rows.size();
  residue_columns residue(n);
  number_column<std::int64_t> side, contacts;
  number_column<float> closest;
  string_column partner(n), partners(n);
  std::string list;
  for (std::size_t r = 0; r < n; ++r) {
    side.values.push_back(rows[r].side);
    residue.set(r, rows[r].residue);
    contacts.values.push_back(static_cast<std::int64_t>(rows[r].contacts));
    closest.values.push_back(rows[r].closest);
    partner.set(r, rows[r].closest_partner);
    list.clear();
    for (std::size_t p = 0; p < rows[r].partners.size(); ++p) (list += p == 0 ? "" : ",").append(rows[r].partners[p]);
    partners.set_once(r, list);
  }
  py::dict columns;
  columns["side"] = side.take();
  residue.put(columns, "", "resname");
  columns["contacts"] = contacts.take();
  columns["closest"] = closest.take();
  columns["closest_partner"] = partner.take();
  columns["partners"] = partners.take();
  return columns;
}

py::dict area_columns_of(const std::vector<residue_area_row>& rows) {
  const std::size_t n = rows.size();
  residue_columns residue(n);
  number_column<std::int64_t> side;
  number_column<float> alone, buried;  // as the table writes them: single precision
  for (std::size_t r = 0; r < n; ++r) {
    side.values.push_back(rows[r].side);
    residue.set(r, rows[r].residue);
    alone.values.push_back(static_cast<float>(rows[r].alone));
    buried.values.push_back(static_cast<float>(rows[r].buried));
  }
  py::dict columns;
  columns["side"] = side.take();
  residue.put(columns, "", "resname");
  columns["area_alone"] = alone.take();
  columns["area_buried"] = buried.take();
  return columns;
}

py::dict tables(const std::string& path, const std::string& selection, const py::object& selection2, float cutoff,
                bool same_residue, int min_separation, bool skip_links, bool allow_empty, const std::string& altloc,
                bool waters, bool hydrogens, bool symmetry, const std::string& assembly,
                const std::vector<std::string>& write, bool label_numbers, const std::map<std::string, std::string>& criteria) {
  scan_request request = request_of(selection, selection2, cutoff, same_residue, min_separation, skip_links, allow_empty,
                                    altloc, waters, hydrogens, symmetry, assembly);
  for (const auto& [name, value] : criteria) request.criteria.set(name, value);
  request.tables = true;
  request.summary = false;
  std::unique_ptr<selection_contacts> found;
  gemmi::Structure structure;
  std::vector<contact_row> contact_rows;
  std::vector<residue_pair_row> pair_rows;
  std::vector<residue_row> residue_rows;
  std::vector<residue_area_row> area_rows;
  const auto wants = [&](const char* noun) { return std::find(write.begin(), write.end(), noun) != write.end(); };
  request.areas = wants("areas");
  request.interactions = wants("interactions");
  std::vector<interaction_row> typed_rows;
  request.check();
  {
    py::gil_scoped_release unlocked;
    std::vector<gemmi::Selection> selections;
    for (const std::string& text : request.selections) selections.push_back(parse_selection(text));
    structure = read_typed(path, assembly, label_numbers);
    found = find_selection_contacts(request, selections, structure);
    // Each table from the one before it: the contacts are sorted once.
    const contact_tables& made = *found->result.tables;
    contact_rows = made.contacts();
    if (wants("residue-pairs") || wants("residues")) pair_rows = contact_tables::residue_pairs(contact_rows);
    if (wants("residues")) residue_rows = made.residues(pair_rows);
    if (found->areas) area_rows = found->areas->rows(0, found->self ? 0 : 1);
    if (request.interactions) typed_rows = made.interactions(found->result.interactions);
  }
  py::dict result;
  if (wants("contacts")) result["contacts"] = contact_columns_of(contact_rows);
  if (wants("residues")) result["residues"] = residue_columns_of(residue_rows);
  if (wants("residue-pairs")) {
    py::dict pairs = residue_pair_columns_of(pair_rows);
    if (request.interactions) add_type_counts(pairs, pair_rows, typed_rows);
    result["residue-pairs"] = pairs;
  }
  if (request.interactions) result["interactions"] = interaction_columns_of(typed_rows);
  if (wants("areas")) result["areas"] = area_columns_of(area_rows);
  return result;
}

py::dict chains(const std::string& path, const std::string& altloc, bool waters, bool hydrogens, const std::string& assembly,
                bool label_numbers) {
  std::vector<chain_row> rows;
  {
    py::gil_scoped_release unlocked;
    gemmi::Structure structure = read_typed(path, assembly, label_numbers);
    rows = list_chains(structure, defaults_of(altloc, waters, hydrogens));
  }
  string_column name(rows.size()), kind(rows.size());
  number_column<std::int64_t> residues, atoms;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    name.set(r, rows[r].name), kind.set(r, rows[r].polymer ? "polymer" : "other");
    residues.values.push_back(static_cast<std::int64_t>(rows[r].residues));
    atoms.values.push_back(static_cast<std::int64_t>(rows[r].atoms));
  }
  py::dict columns;
  columns["chain"] = name.take();
  columns["residues"] = residues.take();
  columns["atoms"] = atoms.take();
  columns["kind"] = kind.take();
  return columns;
}

py::dict ligands(const std::string& path, const std::string& altloc, bool waters, bool hydrogens,
                 const std::string& assembly, bool label_numbers) {
  std::vector<ligand_row> rows;
  gemmi::Structure structure;
  {
    py::gil_scoped_release unlocked;
    structure = read_typed(path, assembly, label_numbers);
    rows = list_ligands(structure, defaults_of(altloc, waters, hydrogens));
  }
  residue_columns residue(rows.size());
  number_column<std::int64_t> atoms;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    residue.set(r, {rows[r].chain, rows[r].residue, {}, {}});
    atoms.values.push_back(static_cast<std::int64_t>(rows[r].atoms));
  }
  py::dict columns;
  residue.put(columns, "", "name");
  columns["atoms"] = atoms.take();
  return columns;
}

py::dict interfaces(const std::string& path, float cutoff, int min_separation, bool skip_links, const std::string& altloc,
                    bool waters, bool hydrogens, bool symmetry, const std::string& assembly, bool self_pairs,
                    bool label_numbers, bool areas, bool interactions) {
  scan_request request = request_of("", py::none(), cutoff, false, min_separation, skip_links, false, altloc, waters,
                                    hydrogens, symmetry, assembly);
  request.areas = areas;
  request.interactions = interactions;
  request.check();
  struct row {
    std::string first, second, first_residues, second_residues;
    std::size_t first_atoms, second_atoms, residue_pairs;
    std::uint64_t contacts, image_contacts;
    float closest, buried;
    type_counts types;
  };
  std::vector<row> rows;
  std::string name;
  {
    py::gil_scoped_release unlocked;
    gemmi::Structure structure = read_typed(path, assembly, label_numbers);
    name = structure.name;
    structure_status status;
    for_each_chain_pair(request, self_pairs, structure, status, [&](found_pair& pair) {
      const pair_summary& s = pair.result.summary;
      // Both sides' area the other buries; not applicable to a chain against itself.
      const float buried = !pair.areas || pair.self ? std::numeric_limits<float>::quiet_NaN()
                           : static_cast<float>(pair.areas->buried(pair.first_side, pair.second_side) +
                                                pair.areas->buried(pair.second_side, pair.first_side));
      type_counts types{};
      for (const typed_interaction& t : pair.result.interactions) ++types[static_cast<std::size_t>(t.type)];
      rows.push_back({pair.first, pair.second, s.first_residues(), s.second_residues(), pair.first_atoms,
                      pair.second_atoms, s.residue_pairs(), s.contacts(), pair.image_contacts, s.closest(), buried,
                      types});
    });
  }
  const std::size_t n = rows.size();
  string_column first(n), second(n), first_residues(n), second_residues(n);
  number_column<std::int64_t> first_atoms, second_atoms, contacts, residue_pairs, image_contacts;
  number_column<float> closest, buried, interface;
  for (std::size_t r = 0; r < n; ++r) {
    buried.values.push_back(rows[r].buried);
    interface.values.push_back(static_cast<float>(static_cast<double>(rows[r].buried) / 2));
    first.set(r, rows[r].first), second.set(r, rows[r].second);
    first_residues.set(r, rows[r].first_residues), second_residues.set(r, rows[r].second_residues);
    first_atoms.values.push_back(static_cast<std::int64_t>(rows[r].first_atoms));
    second_atoms.values.push_back(static_cast<std::int64_t>(rows[r].second_atoms));
    contacts.values.push_back(static_cast<std::int64_t>(rows[r].contacts));
    residue_pairs.values.push_back(static_cast<std::int64_t>(rows[r].residue_pairs));
    image_contacts.values.push_back(static_cast<std::int64_t>(rows[r].image_contacts));
    closest.values.push_back(rows[r].contacts > 0 ? rows[r].closest : std::numeric_limits<float>::quiet_NaN());
  }
  py::dict columns;
  columns["first"] = first.take();
  columns["second"] = second.take();
  columns["first_atoms"] = first_atoms.take();
  columns["second_atoms"] = second_atoms.take();
  columns["contacts"] = contacts.take();
  columns["residue_pairs"] = residue_pairs.take();
  columns["closest"] = closest.take();
  columns["first_residues"] = first_residues.take();
  columns["second_residues"] = second_residues.take();
  if (symmetry) columns["image_contacts"] = image_contacts.take();
  if (areas) {
    columns["buried_area"] = buried.take();
    columns["interface_area"] = interface.take();
  }
  if (interactions)
    for (std::size_t t = 0; t < interaction_type_count; ++t) {
      number_column<std::int64_t> counts;
      for (const row& r : rows) counts.values.push_back(static_cast<std::int64_t>(r.types[t]));
      columns[interaction_name(static_cast<interaction_type>(t))] = counts.take();
    }
  return columns;
}

// Residue-pair frequencies over frames of a topology's atoms: the topology read once, its selected atoms found
// as a run of it would find them, each frame searched as a run of those coordinates would be.
class frequency_run {
 public:
  frequency_run(const std::string& path, const std::string& selection, const py::object& selection2, float cutoff,
                bool same_residue, int min_separation, bool skip_links, const std::string& altloc, bool waters,
                bool hydrogens, bool label_numbers, bool between_chains) {
    scan_request request = request_of(selection, selection2, cutoff, same_residue, min_separation, skip_links, false,
                                      altloc, waters, hydrogens, false, "");
    request.tables = true;
    py::gil_scoped_release unlocked;
    std::vector<gemmi::Selection> selections;
    for (const std::string& text : request.selections) selections.push_back(parse_selection(text));
    structure_ = read_typed(path, "", label_numbers);
    found_ = find_selection_contacts(request, selections, structure_);
    const gemmi::Model& model = chosen_model(structure_, selections.front());
    // The frame layout: every atom of the model in file order, before any selection.
    self_ = found_->self;
    atoms_ = frame_layout(model, found_->first, first_index_);
    if (!self_) frame_layout(model, found_->second, second_index_);
    if (skip_links) links_ = std::make_unique<covalent_links>(structure_, model);
    const pair_rules rules = rules_of(request, self_, links_.get());
    run_ = std::make_unique<contact_frequencies>(cutoff, found_->first, self_ ? nullptr : &found_->second, rules,
                                                 std::make_shared<const chain_order>(model));
    if (between_chains) run_->between_chains_only();
  }

  std::size_t atoms() const { return atoms_; }

  // One frame: an (atoms, 3) array of float32 or float64, read where it is.
  void add(const py::array& frame) {
    if (frame.ndim() != 2 || frame.shape(1) != 3 || static_cast<std::size_t>(frame.shape(0)) != atoms_)
      throw py::value_error("frame " + std::to_string(run_->frames() + 1) + " must be an array of shape (" +
                            std::to_string(atoms_) + ", 3), the topology's atoms, not " + shape_text(frame));
    const char kind = frame.dtype().kind();
    const auto size = frame.dtype().itemsize();
    if (kind != 'f' || (size != 4 && size != 8))
      throw py::type_error("frame coordinates must be float32 or float64, not " + std::string(py::str(frame.dtype())));
    const char* data = static_cast<const char*>(frame.data());
    const py::ssize_t row = frame.strides(0), column = frame.strides(1);
    py::gil_scoped_release unlocked;
    const auto gather = [&](const std::vector<std::uint32_t>& index, std::vector<float>& xyz) {
      xyz.resize(3 * index.size());
      for (std::size_t p = 0; p < index.size(); ++p)
        for (int k = 0; k < 3; ++k) {
          const char* at = data + static_cast<py::ssize_t>(index[p]) * row + k * column;
          float value;
          if (size == 4) {
            std::memcpy(&value, at, 4);
          } else {
            double wide;
            std::memcpy(&wide, at, 8);
            value = static_cast<float>(wide);
          }
          xyz[3 * p + static_cast<std::size_t>(k)] = value;
        }
    };
    gather(first_index_, first_xyz_);
    if (!self_) gather(second_index_, second_xyz_);
    run_->add_frame(first_xyz_.data(), second_xyz_.data());
  }

  // The residue-pair columns with models_in_contact and frequency; contacts and closest are the topology's own.
  py::dict table() const {
    std::vector<ensemble_pair> rows;
    {
      py::gil_scoped_release unlocked;
      rows = ensemble_pairs(run_->rows(), contact_tables::residue_pairs(found_->result.tables->contacts()));
    }
    std::vector<residue_pair_row> pairs;
    number_column<std::int64_t> frames;
    number_column<float> frequency;
    const double total = static_cast<double>(run_->frames());
    for (const ensemble_pair& e : rows) {
      pairs.push_back(e.pair);
      frames.values.push_back(static_cast<std::int64_t>(e.frames));
      frequency.values.push_back(static_cast<float>(static_cast<double>(e.frames) / total));
    }
    py::dict columns = residue_pair_columns_of(pairs);
    columns["models_in_contact"] = frames.take();
    columns["frequency"] = frequency.take();
    return columns;
  }

 private:
  static std::string shape_text(const py::array& a) {
    std::string text = "(";
    for (py::ssize_t d = 0; d < a.ndim(); ++d) text += (d ? ", " : "") + std::to_string(a.shape(d));
    return text + (a.ndim() == 1 ? ",)" : ")");
  }
  gemmi::Structure structure_;
  std::unique_ptr<selection_contacts> found_;
  std::unique_ptr<covalent_links> links_;
  std::unique_ptr<contact_frequencies> run_;
  std::vector<std::uint32_t> first_index_, second_index_;
  std::vector<float> first_xyz_, second_xyz_;
  std::size_t atoms_ = 0;
  bool self_ = false;
};

// The Python exception of a failed system call.
PyObject* os_error_class(int error_number) {
  switch (error_number) {
    case ENOENT: return PyExc_FileNotFoundError;
    case EACCES:
    case EPERM: return PyExc_PermissionError;
    case EISDIR: return PyExc_IsADirectoryError;
    case ENOTDIR: return PyExc_NotADirectoryError;
    default: return PyExc_OSError;
  }
}

}  // namespace

PYBIND11_MODULE(_engine, module) {
  module.doc() = "The compiled engine of the pairscan module; use the pairscan package, not this.";
  py::register_exception_translator([](std::exception_ptr thrown) {
    try {
      if (thrown) std::rethrow_exception(thrown);
    } catch (const run_error& e) {
      if (e.system_error() == 0) {
        PyErr_SetString(PyExc_ValueError, e.what());
        return;
      }
      // The message as the programs give it, with errno set as an OSError made by the system would have it.
      PyObject* kind = os_error_class(e.system_error());
      py::object error = py::reinterpret_borrow<py::object>(kind)(e.what());
      error.attr("errno") = e.system_error();
      PyErr_SetObject(kind, error.ptr());
    } catch (const usage_error& e) {
      PyErr_SetString(PyExc_ValueError, e.what());
    }
  });
  module.def("search", &search, py::arg("a"), py::arg("b"), py::arg("cutoff"));
  module.def("read", &read_points, py::arg("path"), py::arg("selection"), py::arg("altloc"), py::arg("waters"),
             py::arg("hydrogens"), py::arg("assembly"), py::arg("label_numbers"));
  module.def("tables", &tables, py::arg("path"), py::arg("selection"), py::arg("selection2"), py::arg("cutoff"),
             py::arg("same_residue"), py::arg("min_separation"), py::arg("skip_links"), py::arg("allow_empty"),
             py::arg("altloc"), py::arg("waters"), py::arg("hydrogens"), py::arg("symmetry"), py::arg("assembly"),
             py::arg("write"), py::arg("label_numbers"), py::arg("criteria"));
  module.def("chains", &chains, py::arg("path"), py::arg("altloc"), py::arg("waters"), py::arg("hydrogens"),
             py::arg("assembly"), py::arg("label_numbers"));
  module.def("ligands", &ligands, py::arg("path"), py::arg("altloc"), py::arg("waters"), py::arg("hydrogens"),
             py::arg("assembly"), py::arg("label_numbers"));
  module.def("interfaces", &interfaces, py::arg("path"), py::arg("cutoff"), py::arg("min_separation"),
             py::arg("skip_links"), py::arg("altloc"), py::arg("waters"), py::arg("hydrogens"), py::arg("symmetry"),
             py::arg("assembly"), py::arg("self_pairs"), py::arg("label_numbers"), py::arg("areas"),
             py::arg("interactions"));
  py::class_<frequency_run>(module, "Frequencies")
      .def(py::init<const std::string&, const std::string&, const py::object&, float, bool, int, bool, const std::string&,
                    bool, bool, bool, bool>(),
           py::arg("path"), py::arg("selection"), py::arg("selection2"), py::arg("cutoff"), py::arg("same_residue"),
           py::arg("min_separation"), py::arg("skip_links"), py::arg("altloc"), py::arg("waters"), py::arg("hydrogens"),
           py::arg("label_numbers"), py::arg("between_chains"))
      .def_property_readonly("atoms", &frequency_run::atoms)
      .def("add", &frequency_run::add, py::arg("frame"))
      .def("table", &frequency_run::table);
  module.def("contacts", &contacts, py::arg("path"), py::arg("selection"), py::arg("selection2"), py::arg("cutoff"),
             py::arg("same_residue"), py::arg("min_separation"), py::arg("skip_links"), py::arg("allow_empty"),
             py::arg("altloc"), py::arg("waters"), py::arg("hydrogens"), py::arg("symmetry"), py::arg("assembly"), py::arg("label_numbers"));
}
