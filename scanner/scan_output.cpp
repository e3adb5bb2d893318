#include "scan_output.hpp"

#include <dlfcn.h>
#include <sys/stat.h>

#include <openssl/evp.h>

#include <cerrno>
#include <cstring>

#include "error.hpp"
#include "line_writer.hpp"
#include "number_text.hpp"
#include "pair_summary.hpp"
#include "svg_map.hpp"

std::string structure_name(const std::string& path) {
  std::string name = path.substr(path.rfind('/') + 1);
  if (name.size() > 3 && name.compare(name.size() - 3, 3, ".gz") == 0) name.resize(name.size() - 3);
  return name;
}

std::string summary_header_for(bool symmetry, bool folder, bool kinds, bool areas, bool interactions) {
  // Extra columns come last, so that a reader of the usual columns reads these rows too.
  std::string header(summary_header, std::strlen(summary_header) - 1);
  if (symmetry) header += "\timage_contacts";
  if (folder) header += "\tfolder";
  if (kinds) header += "\tkind";
  if (areas) header += "\tburied_area\tinterface_area";
  if (interactions) header += type_count_names();
  return header + '\n';
}

std::string area_fields(const side_areas& areas, std::uint32_t first, std::uint32_t second) {
  // A side against itself buries nothing of another: not applicable.
  if (first == second) return "\t\t";
  const double buried = areas.buried(first, second) + areas.buried(second, first);
  char text[float_text_room];
  std::string fields = "\t";
  fields.append(text, write_float(text, static_cast<float>(buried)));
  fields += '\t';
  fields.append(text, write_float(text, static_cast<float>(buried / 2)));
  return fields;
}

std::string summary_row(bool symmetry, const pair_summary& summary, const std::string& structure,
                        const std::string& first, const std::string& second, std::size_t first_atoms,
                        std::size_t second_atoms, std::uint64_t image_contacts) {
  std::string row = summary.row(structure, first, second, first_atoms, second_atoms);
  if (symmetry) row.back() = '\t', row += std::to_string(image_contacts) + '\n';
  return row;
}

type_marks marks_of(const contact_tables& tables, std::vector<typed_interaction>& found) {
  type_marks marks;
  for (const interaction_row& row : tables.interactions(found)) marks.add(row.first.id, row.second.id, interaction_name(row.type));
  return marks;
}

std::string draw(contact_map& map, const map_style& style) { return draw_svg(map, map.ordered_cells(), style); }

void write_sorted(file_in_parts& file, contact_groups& groups) {
  line_writer out(file.descriptor(), file.shown(), line_writer::flushing::blocks);
  groups.write(out);
  out.close();
}

table_texts tables_text(const contact_tables& tables, std::vector<typed_interaction>* typed, bool contacts, bool residues,
                        bool residue_pairs, bool interactions) {
  table_texts texts;
  std::vector<interaction_row> typed_rows;
  if (typed != nullptr) typed_rows = tables.interactions(*typed);
  if (interactions) texts.interactions = interactions_text(typed_rows);
  if (!contacts && !residues && !residue_pairs) return texts;
  const std::vector<contact_row> contact_rows = tables.contacts();
  if (contacts) texts.contacts = contacts_text(contact_rows);
  if (!residues && !residue_pairs) return texts;
  const std::vector<residue_pair_row> pair_rows = contact_tables::residue_pairs(contact_rows);
  if (residues) texts.residues = residues_text(tables.residues(pair_rows));
  if (residue_pairs) texts.residue_pairs = residue_pairs_text(pair_rows, typed != nullptr ? &typed_rows : nullptr);
  return texts;
}

void make_folder(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) fail_system("cannot create " + file_name(path), errno);
}

namespace {

// OpenSSL's SHA-256, loaded at its first use.
struct sha256_functions {
  int (*digest)(const void*, std::size_t, unsigned char*, unsigned int*, const EVP_MD*, ENGINE*) = nullptr;
  const EVP_MD* (*method)() = nullptr;
};

const sha256_functions& crypto() {
  static const sha256_functions functions = [] {
    sha256_functions f;
    void* library = ::dlopen(CRYPTO_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) fail(std::string("cannot load " CRYPTO_SONAME " to hash a long folder name: ") + ::dlerror());
    f.digest = reinterpret_cast<decltype(f.digest)>(::dlsym(library, "EVP_Digest"));
    f.method = reinterpret_cast<decltype(f.method)>(::dlsym(library, "EVP_sha256"));
    if (f.digest == nullptr || f.method == nullptr) fail("cannot find SHA-256 in " CRYPTO_SONAME);
    return f;
  }();
  return functions;
}

}  // namespace

std::string pair_folder_name(const std::string& first, const std::string& second) {
  std::string name = first + "_vs_" + second;
  // Past 100 bytes a name is cut and told apart by a hash of the whole: a chain of 130 letters still has a
  // folder on every file system (255 bytes a name), and the same pair the same folder on every machine.
  if (name.size() <= 100) return name;
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  const sha256_functions& sha256 = crypto();
  if (sha256.digest(name.data(), name.size(), digest, &size, sha256.method(), nullptr) != 1 || size < 8)
    fail("cannot compute the SHA-256 of a folder name");
  static const char hex[] = "0123456789abcdef";
  name.resize(80);
  name += '_';
  for (int k = 0; k < 8; ++k) name += hex[digest[k] >> 4], name += hex[digest[k] & 15];
  return name;
}

std::string folder_name(const std::string& side) {
  if (side.empty()) return "%";
  static const char hex[] = "0123456789ABCDEF";
  std::string name;
  for (const char c : side) {
    const auto u = static_cast<unsigned char>(c);
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-') {
      name += c;
    } else if (c >= 'a' && c <= 'z') {
      name += '_', name += c;
    } else {
      name += '%', name += hex[u >> 4], name += hex[u & 15];
    }
  }
  return name;
}
