// pairscan --html: a page that shows a structure in 3D beside its maps, offline. The structure's own text is in
// the page; the viewer (3Dmol.js, installed with the programs from npm) is a file beside it. Clicking a map's
// cell shows its two residues in 3D with their closest atoms joined.
#pragma once

#include <string>
#include <vector>

#include "contact_tables.hpp"
#include "side_areas.hpp"

// One map of the page: its heading, its picture, its residue pairs' closest atom pairs (the contact rows, each
// residue pair's first being its closest), and its residues table as HTML (page_residues).
struct page_map {
  std::string heading, svg;
  std::vector<contact_row> contacts;
  std::string residues;
  std::string areas = "";  // page_areas, when areas were asked
};

// A pair's areas table for its page.
std::string page_areas(const std::vector<residue_area_row>& rows);

// A pair's residues table for its page: made while the rows it reads are alive.
std::string page_residues(const std::vector<contact_row>& contacts, const contact_tables& tables);

// Where the page's template and the viewer are: the build's viewer/ folder, or an installation's
// share/pairscan/. Throws run_error when the viewer is not installed.
struct viewer_files {
  std::string page_template, script, licence;
};
viewer_files find_viewer();

// The page's text.
std::string html_page(const viewer_files& viewer, const std::string& title, const std::string& structure_text,
                      bool mmcif, const std::vector<page_map>& maps, const std::string& script_path);

// Copies the viewer's script (and its licence) into folder unless a copy of the same size is there.
void copy_viewer(const viewer_files& viewer, const std::string& folder);
