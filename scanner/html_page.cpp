#include "html_page.hpp"

#include <array>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "error.hpp"
#include "number_text.hpp"
#include "point_list.hpp"
#include "text_file.hpp"
#include "whole_file.hpp"

namespace {

bool is_file(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Text for HTML: the five characters that mean markup escaped.
std::string html_text(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

// A JSON string that is safe inside a script element: quotes, backslashes and control characters escaped, "</"
// written "<\/" so that no text ends the script, bytes that are not UTF-8 kept as they are.
void append_json_string(std::string& out, std::string_view text) {
  // Runs of plain bytes are copied whole, into the page itself: a structure's text is most of a page.
  out += '"';
  // The bytes that may need escaping: quote, backslash, control characters, and "/" (after "<" only).
  static const auto special = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 0x20; ++c) table[static_cast<std::size_t>(c)] = true;
    table['"'] = table['\\'] = table['/'] = true;
    return table;
  }();
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto u = static_cast<unsigned char>(c);
    if (!special[u]) continue;
    const bool closes = c == '/' && i > 0 && text[i - 1] == '<';
    if (c == '/' && !closes) continue;
    out.append(text.data() + run, i - run);
    run = i + 1;
    if (closes) {
      out += "\\/";
    } else if (u < 0x20) {
      static const char hex[] = "0123456789abcdef";
      out += "\\u00";
      out += hex[u >> 4], out += hex[u & 15];
    } else {
      (out += '\\') += c;
    }
  }
  out.append(text.data() + run, text.size() - run);
  out += '"';
}

std::string json_string(std::string_view text) {
  std::string out;
  append_json_string(out, text);
  return out;
}

std::string residue_id(const table_residue& r) {
  return r.chain->name + std::to_string(*r.residue->seqid.num) + std::string(icode_text(r.residue->seqid));
}

// {"A25 - B30": [chain1, resi1, icode1, atom1, chain2, resi2, icode2, atom2, distance], ...}: each residue pair's
// closest atom pair, as the maps name the pair.
void append_closest(std::string& out, const std::vector<contact_row>& contacts) {
  std::string last;
  char text[float_text_room];
  for (const contact_row& c : contacts) {
    const std::string key = residue_id(c.first) + " - " + residue_id(c.second);
    if (key == last) continue;
    last = key;
    out += (out.back() == '{' ? "" : ",") + json_string(key) + ":[" + json_string(c.first.chain->name) + ',' +
           std::to_string(*c.first.residue->seqid.num) + ',' + json_string(icode_text(c.first.residue->seqid)) + ',' +
           json_string(c.atom1->name) + ',' + json_string(c.second.chain->name) + ',' +
           std::to_string(*c.second.residue->seqid.num) + ',' + json_string(icode_text(c.second.residue->seqid)) + ',' +
           json_string(c.atom2->name) + ",\"";
    out.append(text, write_float(text, c.distance));
    out += "\"]";
  }
}

std::string residues_html(const std::vector<residue_row>& rows) {
  if (rows.empty()) return "";
  std::string out = "<table class=\"residues\"><thead><tr><th>side</th><th>residue</th><th>name</th><th>contacts</th>"
                    "<th>closest</th><th>closest partner</th></tr></thead><tbody>\n";
  char text[float_text_room];
  for (const residue_row& r : rows) {
    out += "<tr><td>" + std::to_string(r.side) + "</td><td>" + html_text(residue_id(r.residue)) + "</td><td>" +
           html_text(r.residue.residue->name) + "</td><td>" + std::to_string(r.contacts) + "</td><td>";
    out.append(text, write_float(text, r.closest));
    out += "</td><td>" + html_text(r.closest_partner) + "</td></tr>\n";
  }
  return out + "</tbody></table>\n";
}

}  // namespace

std::string page_areas(const std::vector<residue_area_row>& rows) {
  std::string out = "<table class=\"areas\"><thead><tr><th>side</th><th>residue</th><th>name</th><th>area alone (\xc3\x85\xc2\xb2)</th>"
                    "<th>buried (\xc3\x85\xc2\xb2)</th></tr></thead><tbody>\n";
  char text[float_text_room];
  for (const residue_area_row& r : rows) {
    if (r.buried <= 0) continue;  // the residues at the interface
    out += "<tr><td>" + std::to_string(r.side) + "</td><td>" + html_text(residue_id(r.residue)) + "</td><td>" +
           html_text(r.residue.residue->name) + "</td><td>";
    out.append(text, write_float(text, static_cast<float>(r.alone)));
    out += "</td><td>";
    out.append(text, write_float(text, static_cast<float>(r.buried)));
    out += "</td></tr>\n";
  }
  return out + "</tbody></table>\n";
}

std::string page_residues(const std::vector<contact_row>& contacts, const contact_tables& tables) {
  const std::vector<residue_pair_row> pairs = contact_tables::residue_pairs(contacts);
  return residues_html(tables.residues(pairs));
}

viewer_files find_viewer() {
  std::vector<std::string> places;
#ifdef PAIRSCAN_VIEWER_DIR
  places.push_back(PAIRSCAN_VIEWER_DIR);
#endif
  // An installation: share/pairscan/ beside the bin/ this program is in.
  char self[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (length > 0) {
    std::string folder(self, static_cast<std::size_t>(length));
    folder.erase(folder.rfind('/'));
    places.push_back(folder + "/../share/pairscan");
  }
  for (const std::string& place : places) {
    viewer_files found{place + "/page.html", place + "/3Dmol-min.js", place + "/3Dmol-LICENSE.txt"};
    if (!is_file(found.script)) found.script = place + "/node_modules/3dmol/build/3Dmol-min.js";
    if (!is_file(found.licence)) found.licence = place + "/node_modules/3dmol/LICENSE";
    if (is_file(found.page_template) && is_file(found.script)) return found;
  }
  fail("--html needs the 3D viewer (3Dmol.js), which setup.sh installs into viewer/ and cmake --install into "
       "share/pairscan/; it is in neither");
}

std::string html_page(const viewer_files& viewer, const std::string& title, const std::string& structure_text,
                      bool mmcif, const std::vector<page_map>& maps, const std::string& script_path) {
  const text_file page = read_text_file(viewer.page_template);
  std::string map_html, tables, closest = "{";
  for (const page_map& m : maps) {
    std::string svg = m.svg;
    const std::size_t start = svg.find("<svg");
    if (start != std::string::npos) svg.erase(0, start);  // the XML declaration has no place inside a page
    map_html += "<div class=\"map\"><h2>" + html_text(m.heading) + "</h2>\n" + svg + "</div>\n";
    append_closest(closest, m.contacts);
    if (!m.residues.empty()) tables += "<h2>Residues: " + html_text(m.heading) + "</h2>\n" + m.residues;
    if (!m.areas.empty()) tables += "<h2>Buried area by residue: " + html_text(m.heading) + "</h2>\n" + m.areas;
  }
  closest += "}";
  // Each {{key}} replaced once, in one pass: a value holding "{{maps}}" stays text.
  std::string out;
  const std::string_view text = page.bytes;
  out.reserve(text.size() + map_html.size() + tables.size() + closest.size() + structure_text.size() * 9 / 8 +
              title.size() * 2 + script_path.size() * 2 + 64);
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find("{{", at);
    if (open == std::string_view::npos) break;
    const std::size_t close = text.find("}}", open);
    if (close == std::string_view::npos) break;
    out.append(text.substr(at, open - at));
    const std::string_view key = text.substr(open + 2, close - open - 2);
    if (key == "title") out += html_text(title);
    else if (key == "maps") out += map_html;
    else if (key == "tables") out += tables;
    else if (key == "structure") append_json_string(out, structure_text);
    else if (key == "format") out += mmcif ? "\"cif\"" : "\"pdb\"";
    else if (key == "closest") out += closest;
    else if (key == "script") out += html_text(script_path);
    else out.append(text.substr(open, close + 2 - open));
    at = close + 2;
  }
  out.append(text.substr(at));
  return out;
}

void copy_viewer(const viewer_files& viewer, const std::string& folder) {
  const auto copy = [&](const std::string& from, const std::string& name) {
    const std::string to = (folder.empty() ? "" : folder + "/") + name;
    struct stat a {}, b {};
    if (::stat(from.c_str(), &a) == 0 && ::stat(to.c_str(), &b) == 0 && a.st_size == b.st_size) return;
    write_whole_file(to, read_text_file(from).bytes);
  };
  copy(viewer.script, "3Dmol-min.js");
  if (is_file(viewer.licence)) copy(viewer.licence, "3Dmol-LICENSE.txt");
}
