// What gemmi's own parser makes of text, and whether two of gemmi's documents hold the same blocks, items, tags,
// values and line numbers: the yardstick of our mmCIF reader.
#pragma once

#include <string>

#include <gemmi/cif.hpp>

// gemmi's document of the text, or its message.
struct gemmi_reading {
  gemmi::cif::Document document;
  std::string error;
};

inline gemmi_reading read_with_gemmi(const std::string& text, const char* name) {
  gemmi_reading reading;
  try {
    reading.document = gemmi::cif::read_memory(text.data(), text.size(), name);
  } catch (const std::exception& e) {
    reading.error = e.what();
  }
  return reading;
}

inline bool same_items(const std::vector<gemmi::cif::Item>& a, const std::vector<gemmi::cif::Item>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const gemmi::cif::Item& x = a[i];
    const gemmi::cif::Item& y = b[i];
    if (x.type != y.type || x.line_number != y.line_number) return false;
    switch (x.type) {
      case gemmi::cif::ItemType::Pair:
      case gemmi::cif::ItemType::Comment:
        if (x.pair != y.pair) return false;
        break;
      case gemmi::cif::ItemType::Loop:
        if (x.loop.tags != y.loop.tags || x.loop.values != y.loop.values) return false;
        break;
      case gemmi::cif::ItemType::Frame:
        if (x.frame.name != y.frame.name || !same_items(x.frame.items, y.frame.items)) return false;
        break;
      case gemmi::cif::ItemType::Erased:
        break;
    }
  }
  return true;
}

inline bool same_document(const gemmi::cif::Document& a, const gemmi::cif::Document& b) {
  if (a.source != b.source || a.blocks.size() != b.blocks.size()) return false;
  for (std::size_t i = 0; i < a.blocks.size(); ++i)
    if (a.blocks[i].name != b.blocks[i].name || !same_items(a.blocks[i].items, b.blocks[i].items)) return false;
  return true;
}
