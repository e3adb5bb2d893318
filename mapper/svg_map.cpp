#include "svg_map.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
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

std::string distance_text(float d) {
  char text[float_text_room];
  return std::string(text, write_float(text, d));
}

std::string number(double value) {
  char text[32];
  const int n = std::snprintf(text, sizeof text, "%.1f", value);
  std::string_view shown(text, static_cast<std::size_t>(n));
  if (shown.size() > 2 && shown.substr(shown.size() - 2) == ".0") shown.remove_suffix(2);
  return std::string(shown);
}

std::string label_of(const map_residue& residue) { return xml_text(residue.id + " " + residue.type); }

// Axis geometry: one label every `step` cells, so that labels never overlap.
constexpr double font_size = 10;
constexpr double char_width = 6.2;   // of the monospace font at font_size, a little generous
constexpr double label_pitch = 11;   // the least distance between two labels

std::size_t longest_label(const std::vector<map_residue>& axis) {
  std::size_t longest = 0;
  for (const map_residue& r : axis) longest = std::max(longest, r.id.size() + 1 + r.type.size());
  return std::min<std::size_t>(longest, 40);
}

// A round step for colour-bar ticks, about five of them over top.
double tick_step(double top) {
  const double raw = top / 5;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double m : {1.0, 2.0, 2.5, 5.0})
    if (m * magnitude >= raw) return m * magnitude;
  return 10 * magnitude;
}

}  // namespace

std::string viridis(double t) {
  // The scale at t = 0, 0.1, ..., 1, interpolated linearly between.
  static const unsigned char stops[11][3] = {{68, 1, 84},    {72, 36, 117},  {65, 68, 135},  {53, 95, 141},
                                             {42, 120, 142}, {33, 145, 140}, {34, 168, 132}, {68, 191, 112},
                                             {122, 209, 81}, {189, 223, 38}, {253, 231, 37}};
  t = std::isnan(t) ? 0 : std::clamp(t, 0.0, 1.0) * 10;
  const int i = std::min(9, static_cast<int>(t));
  const double f = t - i;
  char text[8];
  int rgb[3];
  for (int c = 0; c < 3; ++c) rgb[c] = static_cast<int>(std::lround(stops[i][c] + f * (stops[i + 1][c] - stops[i][c])));
  std::snprintf(text, sizeof text, "#%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
  return text;
}

std::string draw_svg(const contact_map& map, const std::vector<map_cell>& cells, const map_style& style) {
  const auto& rows = map.rows();
  const auto& columns = map.columns();
  const std::string subtitle = std::to_string(map.contacts()) + (map.contacts() == 1 ? " contact, " : " contacts, ") +
                               std::to_string(cells.size()) + (cells.size() == 1 ? " residue pair" : " residue pairs");
  std::string svg;
  svg.reserve(4096 + cells.size() * 200 + (rows.size() + columns.size()) * 120);
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
    return svg;
  }

  const double n = static_cast<double>(std::max(rows.size(), columns.size()));
  const double cell = std::clamp(std::floor(900 / n), 2.0, 14.0);
  const std::size_t row_step = static_cast<std::size_t>(std::ceil(label_pitch / cell));
  const std::size_t column_step = row_step;
  const double left = 10 + char_width * static_cast<double>(longest_label(rows)) + 6;
  const double top = 56 + char_width * static_cast<double>(longest_label(columns)) + 6;
  const double grid_width = cell * static_cast<double>(columns.size());
  const double grid_height = cell * static_cast<double>(rows.size());
  const double bar_x = left + grid_width + 24, bar_height = std::max(120.0, std::min(grid_height, 360.0));
  const double width = std::max(bar_x + 80, left + 8 * static_cast<double>(std::max(style.title.size(), subtitle.size())));
  const double height = std::max(top + grid_height, top + bar_height + 20) + 20;
  open_svg(width, height);
  svg += "<text x=\"10\" y=\"22\" font-size=\"14\">" + xml_text(style.title) + "</text>\n";
  svg += "<text x=\"10\" y=\"40\" font-size=\"11\">" + subtitle + "</text>\n";

  // Axis labels: every one while they fit, else every step-th; rows read across, columns upwards.
  svg += "<g id=\"row-labels\" text-anchor=\"end\">\n";
  for (std::size_t r = 0; r < rows.size(); r += row_step)
    svg += "<text x=\"" + number(left - 4) + "\" y=\"" + number(top + (static_cast<double>(r) + 0.5) * cell + 3.5) +
           "\">" + label_of(rows[r]) + "</text>\n";
  svg += "</g>\n<g id=\"column-labels\">\n";
  for (std::size_t c = 0; c < columns.size(); c += column_step) {
    const double x = left + (static_cast<double>(c) + 0.5) * cell + 3.5;
    svg += "<text transform=\"translate(" + number(x) + "," + number(top - 4) + ") rotate(-90)\">" +
           label_of(columns[c]) + "</text>\n";
  }
  svg += "</g>\n";

  // The grid: a pale ground, one square per residue pair, then the separators over them.
  svg += "<rect x=\"" + number(left) + "\" y=\"" + number(top) + "\" width=\"" + number(grid_width) + "\" height=\"" +
         number(grid_height) + "\" fill=\"#f4f4f4\" stroke=\"#bbbbbb\" stroke-width=\"0.5\"/>\n";
  const double scale_top = style.max_distance > 0 ? style.max_distance : std::max(map.largest_distance(), 1e-6f);
  svg += "<g id=\"cells\">\n";
  for (const map_cell& c : cells) {
    const map_residue& row = rows[c.row];
    const map_residue& column = columns[c.column];
    svg += "<rect x=\"" + number(left + c.column * cell) + "\" y=\"" + number(top + c.row * cell) + "\" width=\"" +
           number(cell) + "\" height=\"" + number(cell) + "\" fill=\"" + viridis(c.distance / scale_top) +
           "\" data-row=\"" + std::to_string(c.row) + "\" data-column=\"" + std::to_string(c.column) +
           "\" data-distance=\"" + distance_text(c.distance) + "\"><title>" + label_of(row) + " - " +
           label_of(column) + ": closest " + xml_text(c.atom_row) + " - " + xml_text(c.atom_column) + " at " +
           distance_text(c.distance) + ", " + std::to_string(c.contacts) +
           (c.contacts == 1 ? " contact" : " contacts") + "</title></rect>\n";
  }
  svg += "</g>\n<g id=\"separators\" stroke=\"#666666\" stroke-width=\"0.6\">\n";
  for (std::size_t r = 1; r < rows.size(); ++r)
    if (is_break(rows[r - 1].key, rows[r].key)) {
      const std::string y = number(top + static_cast<double>(r) * cell);
      svg += "<line x1=\"" + number(left) + "\" y1=\"" + y + "\" x2=\"" + number(left + grid_width) + "\" y2=\"" + y +
             "\"/>\n";
    }
  for (std::size_t c = 1; c < columns.size(); ++c)
    if (is_break(columns[c - 1].key, columns[c].key)) {
      const std::string x = number(left + static_cast<double>(c) * cell);
      svg += "<line x1=\"" + x + "\" y1=\"" + number(top) + "\" x2=\"" + x + "\" y2=\"" + number(top + grid_height) +
             "\"/>\n";
    }
  svg += "</g>\n";

  // The colour bar: closest (dark) at the top, the scale's top distance at the bottom.
  svg += "<defs><linearGradient id=\"scale\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">";
  for (int i = 0; i <= 10; ++i)
    svg += "<stop offset=\"" + number(i / 10.0) + "\" stop-color=\"" + viridis(i / 10.0) + "\"/>";
  svg += "</linearGradient></defs>\n<g id=\"colour-bar\">\n";
  svg += "<text x=\"" + number(bar_x) + "\" y=\"" + number(top - 8) + "\">distance</text>\n";
  svg += "<rect x=\"" + number(bar_x) + "\" y=\"" + number(top) + "\" width=\"14\" height=\"" + number(bar_height) +
         "\" fill=\"url(#scale)\" stroke=\"#666666\" stroke-width=\"0.5\"/>\n";
  const double step = tick_step(scale_top);
  for (double d = 0; d <= scale_top * (1 + 1e-9); d += step) {
    const std::string y = number(top + d / scale_top * bar_height);
    svg += "<line x1=\"" + number(bar_x + 14) + "\" y1=\"" + y + "\" x2=\"" + number(bar_x + 18) + "\" y2=\"" + y +
           "\" stroke=\"#666666\"/><text x=\"" + number(bar_x + 21) + "\" y=\"" + number(top + d / scale_top * bar_height + 3.5) +
           "\">" + distance_text(static_cast<float>(d)) + "</text>\n";
  }
  svg += "</g>\n</svg>\n";
  return svg;
}
