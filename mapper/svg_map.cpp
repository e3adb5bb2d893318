#include "svg_map.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "number_text.hpp"

namespace {

// Length of the valid UTF-8 sequence of a character XML allows at the start of text, or 0: no overlong form, no
// surrogate, nothing beyond U+10FFFF, and not U+FFFE or U+FFFF.
std::size_t utf8_length(std::string_view text) {
  const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t n = 0;
  char32_t code = 0;
  if (lead >= 0xc2 && lead <= 0xdf) n = 2, code = lead & 0x1fu;
  else if (lead >= 0xe0 && lead <= 0xef) n = 3, code = lead & 0x0fu;
  else if (lead >= 0xf0 && lead <= 0xf4) n = 4, code = lead & 0x07u;
  else return 0;
  if (text.size() < n) return 0;
  for (std::size_t i = 1; i < n; ++i) {
    if ((byte(i) & 0xc0) != 0x80) return 0;
    code = (code << 6) | (byte(i) & 0x3fu);
  }
  const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < least[n] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff) || code == 0xfffe || code == 0xffff)
    return 0;
  return n;
}

// Text from the input as SVG shows it: markup characters escaped, valid UTF-8 kept, and any other byte (a
// control character, a broken sequence, which would make the file invalid XML) as "?".
std::string xml_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default:
        if (c >= 0x20 && c < 0x7f) {
          out += c;
        } else if (const std::size_t n = utf8_length(text.substr(i)); n > 0) {
          out.append(text, i, n);
          i += n;
          continue;
        } else {
          out += '?';
        }
    }
    ++i;
  }
  return out;
}


// Two decimals, trailing zeros dropped: cells of a large map are a fraction of a pixel. Appended to out.
void append_number(std::string& out, double value) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2).ptr;
  std::string_view shown(text, static_cast<std::size_t>(end - text));
  while (shown.back() == '0') shown.remove_suffix(1);
  if (shown.back() == '.') shown.remove_suffix(1);
  if (shown == "-0") shown = "0";
  out += shown;
}

std::string number(double value) {
  std::string text;
  append_number(text, value);
  return text;
}

std::string distance_text(float d) {
  char text[float_text_room];
  return std::string(text, write_float(text, d));
}

std::string label_of(const map_residue& residue) { return xml_text(residue.id + " " + residue.type); }

// Axis geometry: one label every `step` cells, so that labels never overlap.
constexpr double font_size = 10;
constexpr double char_width = 6.2;   // of the monospace font at font_size, a little generous
constexpr double label_pitch = 11;   // the least distance between two labels
constexpr double min_cell_side = 2;   // the least side a cell is drawn with
constexpr double min_line_spacing = 6;  // the least distance from a gap line to the line before it
constexpr double grid_extent = 900;  // the longer side of the grid, at most: the picture stays near 1,200 wide

std::size_t longest_label(const std::vector<map_residue>& axis) {
  std::size_t longest = 0;
  for (const map_residue& r : axis) longest = std::max(longest, r.id.size() + 1 + r.type.size());
  return std::min<std::size_t>(longest, 40);
}

// The colour scale: from low (the smallest distance rounded down to the step) to high, ticks every step.
struct colour_scale {
  double low, high, step;
  double at(double d) const { return (d - low) / (high - low); }
};

colour_scale make_scale(const contact_map& map, const map_style& style) {
  if (style.models > 0) return {0, 1, 0.2};
  const double high = style.max_distance > 0 ? style.max_distance : map.largest_distance();
  double smallest = style.min_distance >= 0 ? style.min_distance : map.smallest_distance();
  smallest = std::min(smallest, high);
  // The round step that gives about five ticks over the range.
  double step = 1;
  for (const double s : {0.1, 0.2, 0.5, 1.0})
    if ((high - smallest) / s <= 6) {
      step = s;
      break;
    }
  if (high - smallest > 6) step = std::ceil((high - smallest) / 6);
  const double low = style.min_distance >= 0 ? style.min_distance : std::floor(smallest / step + 1e-9) * step;
  return {low, high > low ? high : low + step, step};
}

// Where chains change along an axis, and where the numbering jumps within a chain.
struct axis_blocks {
  std::vector<std::size_t> chain_starts;  // first position of every chain block, 0 included
  std::vector<std::size_t> gaps;          // positions after a jump in numbering inside a block
};

std::string block_name(const residue_key& key) { return key.numbered ? "chain " + (key.chain.empty() ? "(blank)" : key.chain) : "other"; }

axis_blocks find_blocks(const std::vector<map_residue>& axis) {
  axis_blocks blocks;
  for (std::size_t r = 0; r < axis.size(); ++r) {
    if (r == 0 || block_name(axis[r - 1].key) != block_name(axis[r].key))
      blocks.chain_starts.push_back(r);
    else if (is_break(axis[r - 1].key, axis[r].key))
      blocks.gaps.push_back(r);
  }
  return blocks;
}

}  // namespace

namespace {

// The colour of t as viridis gives it, "#rrggbb", written at out; returns the end.
char* write_viridis(char* out, double t) {
  // The scale at t = 0, 0.1, ..., 1, interpolated linearly between.
  static const unsigned char stops[11][3] = {{68, 1, 84},    {72, 36, 117},  {65, 68, 135},  {53, 95, 141},
                                             {42, 120, 142}, {33, 145, 140}, {34, 168, 132}, {68, 191, 112},
                                             {122, 209, 81}, {189, 223, 38}, {253, 231, 37}};
  t = std::isnan(t) ? 0 : std::clamp(t, 0.0, 1.0) * 10;
  const int i = std::min(9, static_cast<int>(t));
  const double f = t - i;
  static const char hex[] = "0123456789abcdef";
  *out++ = '#';
  for (int c = 0; c < 3; ++c) {
    const long v = std::lround(stops[i][c] + f * (stops[i + 1][c] - stops[i][c]));
    *out++ = hex[v >> 4];
    *out++ = hex[v & 15];
  }
  return out;
}

// Writes texts one after another into a buffer that the caller made large enough.
struct text_cursor {
  char* at;
  void put(std::string_view text) {
    std::memcpy(at, text.data(), text.size());
    at += text.size();
  }
  void put_count(std::uint64_t n) { at = std::to_chars(at, at + 24, n).ptr; }
};

}  // namespace

std::string viridis(double t) {
  char text[8];
  return std::string(text, write_viridis(text, t));
}

std::string draw_svg(const contact_map& map, const std::vector<map_cell>& cells, const map_style& style) {
  std::string svg;
  draw_svg(map, cells, style, [&svg](std::string_view part) { svg += part; });
  return svg;
}

void draw_svg(const contact_map& map, const std::vector<map_cell>& cells, const map_style& style,
              const std::function<void(std::string_view)>& write) {
  const auto& rows = map.rows();
  const auto& columns = map.columns();
  // A residue pair is unordered: a square map draws each one twice, and counts it once.
  const std::size_t pairs =
      map.square() ? static_cast<std::size_t>(std::count_if(cells.begin(), cells.end(), [](const map_cell& c) {
        return c.row <= c.column;
      }))
                   : cells.size();
  std::string subtitle = std::to_string(map.contacts()) + (map.contacts() == 1 ? " contact, " : " contacts, ") +
                         std::to_string(pairs) + (pairs == 1 ? " residue pair" : " residue pairs");
  if (style.cutoff > 0) subtitle += " within " + distance_text(style.cutoff) + " \xc3\x85";
  if (style.models > 0)
    subtitle = std::to_string(pairs) + (pairs == 1 ? " residue pair" : " residue pairs") + " in contact (within " +
               distance_text(style.cutoff) + " \xc3\x85) in any of " + std::to_string(style.models) +
               " models, coloured by frequency";
  if (map.square()) subtitle += "; residues on both sides: each pair drawn twice, across the diagonal";
  const std::string row_title = xml_text(style.row_title.empty() ? "rows" : style.row_title);
  const std::string column_title = xml_text(style.column_title.empty() ? "columns" : style.column_title);
  // The picture goes out in parts of about a mebibyte: a large map's text is never held whole.
  std::string svg;
  constexpr std::size_t part_size = 1 << 20;
  const auto open_svg = [&svg](double width, double height) {
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
           number(width) + "\" height=\"" + number(height) + "\" viewBox=\"0 0 " + number(width) + " " +
           number(height) + "\" font-family=\"monospace\" font-size=\"" + number(font_size) + "\">\n" +
           "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  };
  if (cells.empty()) {
    open_svg(400, 90);
    svg += "<text x=\"10\" y=\"24\" font-size=\"14\">" + xml_text(style.title) + "</text>\n";
    svg += "<text x=\"10\" y=\"56\" font-size=\"12\">no contacts</text>\n</svg>\n";
    write(svg);
    return;
  }

  const double n = static_cast<double>(std::max(rows.size(), columns.size()));
  const double cell = std::min(14.0, grid_extent / n);
  const std::size_t step = static_cast<std::size_t>(std::ceil(label_pitch / cell - 1e-9));
  const axis_blocks row_blocks = find_blocks(rows), column_blocks = find_blocks(columns);
  // Left of the grid: the row title, the chain names, the row labels; above it: the same for the columns.
  const double band = 16;
  const double left = 10 + band + band + char_width * static_cast<double>(longest_label(rows)) + 6;
  const double top = 50 + band + band + char_width * static_cast<double>(longest_label(columns)) + 6;
  const double grid_width = cell * static_cast<double>(columns.size());
  const double grid_height = cell * static_cast<double>(rows.size());
  // A flat map (a ligand against a chain) gets its colour bar below it, a tall one beside it.
  const bool bar_below = grid_height < 120;
  const double bar_length = bar_below ? std::clamp(grid_width, 200.0, 360.0) : std::min(grid_height, 360.0);
  const double bar_x = bar_below ? left : left + grid_width + 24, bar_y = bar_below ? top + grid_height + 40 : top;
  // The marks' legend under the colour bar: one line per type that marks a cell.
  const std::vector<int> legend = style.marks != nullptr && style.models == 0 ? style.marks->used() : std::vector<int>();
  const double legend_width = legend.empty() ? 0 : 170;  // "strongest interaction", "stacking_parallel" and a dot
  const double width = std::max({bar_below ? left + bar_length + 40 : bar_x + 90, left + grid_width + 20,
                                 bar_x + legend_width,
                                 10 + 8.4 * static_cast<double>(std::max(style.title.size(), subtitle.size()))});
  const double legend_y = bar_below ? bar_y + 48 : top + bar_length + 36;
  const double legend_height = legend.empty() ? 0 : 16 + 14 * static_cast<double>(legend.size());
  const double height =
      std::max({top + grid_height, bar_below ? bar_y + 40 : top + bar_length + 20, legend_y - 20 + legend_height}) + 20;
  open_svg(width, height);
  svg += "<text x=\"10\" y=\"22\" font-size=\"14\">" + xml_text(style.title) + "</text>\n";
  svg += "<text x=\"10\" y=\"40\" font-size=\"11\">" + subtitle + "</text>\n";

  // Axis titles, centred on the grid; chain names centred on their blocks where they fit.
  svg += "<g id=\"axis-titles\" font-size=\"11\" font-weight=\"bold\" text-anchor=\"middle\">\n";
  svg += "<text x=\"" + number(left + grid_width / 2) + "\" y=\"" + number(50 + band - 4) + "\">" + column_title +
         "</text>\n";
  svg += "<text transform=\"translate(" + number(10 + band - 4) + "," + number(top + grid_height / 2) +
         ") rotate(-90)\">" + row_title + "</text>\n</g>\n";
  const auto chain_names = [&](const std::vector<map_residue>& axis, const axis_blocks& blocks, bool across) {
    // One chain that the axis title already names needs no second name.
    const std::string& title = across ? style.column_title : style.row_title;
    if (blocks.chain_starts.size() == 1 && block_name(axis.front().key) == title) return;
    for (std::size_t b = 0; b < blocks.chain_starts.size(); ++b) {
      const std::size_t first = blocks.chain_starts[b];
      const std::size_t last = b + 1 < blocks.chain_starts.size() ? blocks.chain_starts[b + 1] : axis.size();
      // The block's name, or its chain alone where that does not fit; nothing where neither does.
      const double length = cell * static_cast<double>(last - first);
      const auto fits = [&](const std::string& text) {
        return !text.empty() && char_width * static_cast<double>(text.size()) <= length;
      };
      std::string name = block_name(axis[first].key);
      if (!fits(name)) name = axis[first].key.numbered ? axis[first].key.chain : "";
      if (!fits(name)) continue;
      const double middle = cell * static_cast<double>(first + last) / 2;
      if (across)
        svg += "<text x=\"" + number(left + middle) + "\" y=\"" + number(50 + 2 * band - 4) + "\">" + xml_text(name) +
               "</text>\n";
      else
        svg += "<text transform=\"translate(" + number(10 + 2 * band - 4) + "," + number(top + middle) +
               ") rotate(-90)\">" + xml_text(name) + "</text>\n";
    }
  };
  svg += "<g id=\"chain-names\" text-anchor=\"middle\">\n";
  chain_names(columns, column_blocks, true);
  chain_names(rows, row_blocks, false);
  svg += "</g>\n";

  // Axis labels: every one while they fit, else every step-th; rows read across, columns upwards.
  svg += "<g id=\"row-labels\" text-anchor=\"end\">\n";
  for (std::size_t r = 0; r < rows.size(); r += step)
    svg += "<text x=\"" + number(left - 4) + "\" y=\"" + number(top + (static_cast<double>(r) + 0.5) * cell + 3.5) +
           "\">" + label_of(rows[r]) + "</text>\n";
  svg += "</g>\n<g id=\"column-labels\">\n";
  for (std::size_t c = 0; c < columns.size(); c += step) {
    const double x = left + (static_cast<double>(c) + 0.5) * cell + 3.5;
    svg += "<text transform=\"translate(" + number(x) + "," + number(top - 4) + ") rotate(-90)\">" +
           label_of(columns[c]) + "</text>\n";
  }
  svg += "</g>\n";

  // The grid: a pale ground, one square per residue pair, then the separators over them.
  svg += "<rect x=\"" + number(left) + "\" y=\"" + number(top) + "\" width=\"" + number(grid_width) + "\" height=\"" +
         number(grid_height) + "\" fill=\"#f4f4f4\" stroke=\"#bbbbbb\" stroke-width=\"0.5\"/>\n";
  const colour_scale scale = make_scale(map, style);
  // Each residue's label made once, not once per cell.
  std::vector<std::string> labels_of_rows, labels_of_columns;
  for (const map_residue& r : rows) labels_of_rows.push_back(label_of(r));
  for (const map_residue& c : columns) labels_of_columns.push_back(label_of(c));
  std::vector<std::string> atom_text;
  for (std::uint32_t a = 0; a < map.atom_names(); ++a) atom_text.push_back(xml_text(map.atom_name(a)));
  svg += "<g id=\"cells\">\n";
  // The bulk of the picture. Each cell's text is made in one buffer, room for the longest, and appended once;
  // the texts of positions are made once per row and column.
  // A cell is drawn at least 2 px square, so that a contact of a large map is never fainter than a dot; a
  // neighbour may overlap it.
  const std::string side = number(std::max(cell, min_cell_side));
  std::vector<std::string> x_of_columns(columns.size());
  for (std::size_t c = 0; c < columns.size(); ++c) x_of_columns[c] = number(left + static_cast<double>(c) * cell);
  const auto longest = [](const std::vector<std::string>& texts) {
    std::size_t n = 0;
    for (const std::string& t : texts) n = std::max(n, t.size());
    return n;
  };
  // A cell's mark: its radius made once; its text (two positions, the colour, the type) has room of its own.
  const std::string mark_radius = number(std::max(cell * 0.3, 1.0));
  // The cells are made straight into one buffer, a part and room for one more cell (its fixed text, numbers and
  // names at their longest) after it, and handed on a part at a time.
  const std::size_t cell_room = 512 + 2 * side.size() + longest(x_of_columns) + longest(labels_of_rows) +
                                longest(labels_of_columns) + 2 * longest(atom_text) + (legend.empty() ? 0 : 256);
  // A small picture's part is no larger than the picture.
  std::vector<char> buffer(std::min(part_size, cells.size() * 256) + cell_room);
  write(svg);
  svg.clear();
  text_cursor out{buffer.data()};
  std::string y;
  std::uint32_t y_row = UINT32_MAX;
  for (const map_cell& c : cells) {
    if (c.row != y_row) y = number(top + c.row * cell), y_row = c.row;
    char distance[float_text_room];
    const std::string_view distance_text(distance, static_cast<std::size_t>(write_float(distance, c.distance) - distance));
    out.put("<rect x=\"");
    out.put(x_of_columns[c.column]);
    out.put("\" y=\"");
    out.put(y);
    out.put("\" width=\"");
    out.put(side);
    out.put("\" height=\"");
    out.put(side);
    out.put("\" fill=\"");
    out.at = write_viridis(out.at, scale.at(c.distance));
    out.put("\" data-row=\"");
    out.put_count(c.row);
    out.put("\" data-column=\"");
    out.put_count(c.column);
    if (style.models > 0) {
      // A frequency: the models in contact, out of how many.
      const auto in_contact = static_cast<std::uint64_t>(std::llround(static_cast<double>(c.distance) * static_cast<double>(style.models)));
      out.put("\" data-frequency=\"");
      out.put(distance_text);
      out.put("\"><title>");
      out.put(labels_of_rows[c.row]);
      out.put(" - ");
      out.put(labels_of_columns[c.column]);
      out.put(": in contact in ");
      out.put_count(in_contact);
      out.put(" of ");
      out.put_count(style.models);
      out.put(" models (");
      out.put(distance_text);
      out.put(")</title></rect>\n");
    } else {
      out.put("\" data-distance=\"");
      out.put(distance_text);
      out.put("\"><title>");
      out.put(labels_of_rows[c.row]);
      out.put(" - ");
      out.put(labels_of_columns[c.column]);
      out.put(": closest ");
      out.put(atom_text[c.atom_row]);
      out.put(" - ");
      out.put(atom_text[c.atom_column]);
      out.put(" at ");
      out.put(distance_text);
      out.put(", ");
      out.put_count(c.contacts);
      out.put(c.contacts == 1 ? " contact</title></rect>\n" : " contacts</title></rect>\n");
      const int mark = legend.empty() ? -1 : style.marks->of(rows[c.row].id, columns[c.column].id);
      if (mark >= 0) {
        // A dot in the cell's middle, in the type's colour, ringed so that it shows on every colour of the scale.
        out.put("<circle cx=\"");
        out.put(number(left + (static_cast<double>(c.column) + 0.5) * cell));
        out.put("\" cy=\"");
        out.put(number(top + (static_cast<double>(c.row) + 0.5) * cell));
        out.put("\" r=\"");
        out.put(mark_radius);
        out.put("\" fill=\"");
        out.put(mark_colour(mark));
        out.put("\" stroke=\"#333333\" stroke-width=\"0.5\" data-type=\"");
        out.put(type_marks::order()[static_cast<std::size_t>(mark)]);
        out.put("\"/>\n");
      }
    }
    if (static_cast<std::size_t>(out.at - buffer.data()) + cell_room > buffer.size()) {
      write(std::string_view(buffer.data(), static_cast<std::size_t>(out.at - buffer.data())));
      out.at = buffer.data();
    }
  }
  write(std::string_view(buffer.data(), static_cast<std::size_t>(out.at - buffer.data())));
  // Chain boundaries solid and dark; jumps in numbering within a chain thin and dashed.
  const auto separators = [&](const char* id, const char* stroke, const std::vector<std::size_t>& row_at,
                              const std::vector<std::size_t>& column_at, bool skip_first) {
    svg += std::string("<g id=\"") + id + "\" " + stroke + ">\n";
    for (const std::size_t r : row_at) {
      if (skip_first && r == 0) continue;
      const std::string y = number(top + static_cast<double>(r) * cell);
      svg += "<line x1=\"" + number(left) + "\" y1=\"" + y + "\" x2=\"" + number(left + grid_width) + "\" y2=\"" + y +
             "\"/>\n";
    }
    for (const std::size_t c : column_at) {
      if (skip_first && c == 0) continue;
      const std::string x = number(left + static_cast<double>(c) * cell);
      svg += "<line x1=\"" + x + "\" y1=\"" + number(top) + "\" x2=\"" + x + "\" y2=\"" + number(top + grid_height) +
             "\"/>\n";
    }
    svg += "</g>\n";
  };
  svg += "</g>\n";
  // A gap line only where it stands at least 6 px from the line before it (a chain's start or a gap drawn):
  // a map of many short gaps would be a grey hatch.
  const auto spaced = [&](const std::vector<std::size_t>& gaps, const std::vector<std::size_t>& chain_starts) {
    std::vector<std::size_t> kept;
    double last = -1e9;
    std::size_t next_chain = 0;
    for (const std::size_t g : gaps) {
      while (next_chain < chain_starts.size() && chain_starts[next_chain] <= g)
        last = static_cast<double>(chain_starts[next_chain++]) * cell;
      const double at = static_cast<double>(g) * cell;
      if (at - last >= min_line_spacing) kept.push_back(g), last = at;
    }
    return kept;
  };
  separators("gaps", "stroke=\"#888888\" stroke-width=\"0.6\" stroke-dasharray=\"2,2\"",
             spaced(row_blocks.gaps, row_blocks.chain_starts), spaced(column_blocks.gaps, column_blocks.chain_starts),
             false);
  separators("chains", "stroke=\"#222222\" stroke-width=\"1.4\"", row_blocks.chain_starts, column_blocks.chain_starts,
             true);

  // The colour bar: closest (dark) at the start, the scale's top at the end, both ends labelled.
  const bool across = bar_below;
  svg += std::string("<defs><linearGradient id=\"scale\" x1=\"0\" y1=\"0\" x2=\"") + (across ? "1" : "0") +
         "\" y2=\"" + (across ? "0" : "1") + "\">";
  for (int i = 0; i <= 10; ++i)
    svg += "<stop offset=\"" + number(i / 10.0) + "\" stop-color=\"" + viridis(i / 10.0) + "\"/>";
  svg += "</linearGradient></defs>\n<g id=\"colour-bar\">\n";
  svg += "<text x=\"" + number(bar_x) + "\" y=\"" + number(bar_y - 8) + "\">" +
         (style.models > 0 ? std::string("frequency") : std::string("distance (\xc3\x85)")) + "</text>\n";
  svg += "<rect x=\"" + number(bar_x) + "\" y=\"" + number(bar_y) + "\" width=\"" + number(across ? bar_length : 14) +
         "\" height=\"" + number(across ? 14 : bar_length) + "\" fill=\"url(#scale)\" stroke=\"#666666\" stroke-width=\"0.5\"/>\n";
  std::vector<double> ticks;
  for (double d = scale.low; d < scale.high - scale.step * 0.45; d += scale.step) ticks.push_back(d);
  ticks.push_back(scale.high);
  for (const double d : ticks) {
    const double at = scale.at(d) * bar_length;
    const std::string shown = distance_text(static_cast<float>(std::round(d * 1000) / 1000));
    if (across)
      svg += "<line x1=\"" + number(bar_x + at) + "\" y1=\"" + number(bar_y + 14) + "\" x2=\"" + number(bar_x + at) +
             "\" y2=\"" + number(bar_y + 18) + "\" stroke=\"#666666\"/><text x=\"" + number(bar_x + at) + "\" y=\"" +
             number(bar_y + 28) + "\" text-anchor=\"middle\">" + shown + "</text>\n";
    else
      svg += "<line x1=\"" + number(bar_x + 14) + "\" y1=\"" + number(bar_y + at) + "\" x2=\"" + number(bar_x + 18) +
             "\" y2=\"" + number(bar_y + at) + "\" stroke=\"#666666\"/><text x=\"" + number(bar_x + 21) + "\" y=\"" +
             number(bar_y + at + 3.5) + "\">" + shown + "</text>\n";
  }
  svg += "</g>\n";
  if (!legend.empty()) {
    svg += "<g id=\"type-legend\">\n<text x=\"" + number(bar_x) + "\" y=\"" + number(legend_y) +
           "\">strongest interaction</text>\n";
    for (std::size_t k = 0; k < legend.size(); ++k) {
      const double y = legend_y + 14 * static_cast<double>(k + 1);
      svg += "<circle cx=\"" + number(bar_x + 5) + "\" cy=\"" + number(y - 4) + "\" r=\"4\" fill=\"" +
             mark_colour(legend[k]) + "\" stroke=\"#333333\" stroke-width=\"0.5\"/><text x=\"" + number(bar_x + 14) +
             "\" y=\"" + number(y) + "\">" + type_marks::order()[static_cast<std::size_t>(legend[k])] + "</text>\n";
    }
    svg += "</g>\n";
  }
  svg += "</svg>\n";
  write(svg);
}
