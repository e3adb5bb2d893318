// Time of each stage of pairsweep, pairsift and pairmap on synthetic input, without the per-line write that
// dominates a run.
#include <benchmark/benchmark.h>

#include <map>

#include "cell_list.hpp"
#include "contact_line.hpp"
#include "contact_map.hpp"
#include "coordinate_list.hpp"
#include "grouping.hpp"
#include "number_text.hpp"
#include "svg_map.hpp"
#include "synthetic_block.hpp"

namespace {

// Loads one block of n points as both lists into grid; the synthetic text is made once per size.
void load_block(cell_list& grid, long n) {
  static std::map<long, text_file> blocks;
  auto found = blocks.find(n);
  if (found == blocks.end()) found = blocks.emplace(n, text_file{"block.xyz", synthetic::block(n, 'A', 0.0, 3)}).first;
  grid.set_cutoff(4.0f);
  grid.load_points(found->second, found->second);
}

void load_points(benchmark::State& state) {
  const text_file file{"block.xyz", synthetic::block(state.range(0), 'A', 0.0, 3)};
  std::vector<std::string_view> labels(static_cast<std::size_t>(state.range(0)));
  std::vector<float> xs(labels.size()), ys(labels.size()), zs(labels.size());
  for (auto _ : state) {
    benchmark::DoNotOptimize(line_count(file));
    read_3dvector(file, "\t", labels.data(), xs.data(), ys.data(), zs.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.bytes.size()));
}
BENCHMARK(load_points)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void build_grid(benchmark::State& state) {
  cell_list grid;
  load_block(grid, state.range(0));
  for (auto _ : state) grid.build_box();
}
BENCHMARK(build_grid)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void bin_points(benchmark::State& state) {
  cell_list grid;
  load_block(grid, state.range(0));
  grid.build_box();
  for (auto _ : state) grid.assign_points();
}
BENCHMARK(bin_points)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void search_only(benchmark::State& state) {
  cell_list grid;
  load_block(grid, state.range(0));
  grid.build_box();
  grid.assign_points();
  std::size_t contacts = 0;
  for (auto _ : state) {
    contacts = 0;
    grid.for_each_contact([&contacts](std::int32_t, std::int32_t, float) { ++contacts; });
  }
  state.counters["contacts"] = static_cast<double>(contacts);
}
BENCHMARK(search_only)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The same points against themselves, each unordered pair once: should take well under the two-list search.
void self_search_only(benchmark::State& state) {
  cell_list grid;
  load_block(grid, state.range(0));
  grid.build_box();
  grid.assign_points();
  std::size_t contacts = 0;
  for (auto _ : state) {
    contacts = 0;
    grid.for_each_self_contact([&contacts](std::int32_t, std::int32_t, float) { ++contacts; });
  }
  state.counters["contacts"] = static_cast<double>(contacts);
}
BENCHMARK(self_search_only)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void format_distance(benchmark::State& state) {
  char text[float_text_room];
  float d = 0.5f;
  for (auto _ : state) {
    benchmark::DoNotOptimize(write_float(text, d));
    d = d < 4.0f ? d + 0.000123f : 0.5f;
  }
}
BENCHMARK(format_distance);

// What pairsweep writes for a block against itself.
const text_file& contact_list(long n) {
  static std::map<long, text_file> lists;
  auto found = lists.find(n);
  if (found != lists.end()) return found->second;
  cell_list grid;
  load_block(grid, n);
  grid.build_box();
  grid.assign_points();
  std::string text;
  char distance[float_text_room];
  grid.for_each_contact([&](std::int32_t a, std::int32_t b, float d) {
    text.append(grid.label_A(static_cast<std::size_t>(a))).append(1, '\t');
    text.append(grid.label_B(static_cast<std::size_t>(b))).append(1, '\t');
    text.append(distance, write_float(distance, d)).append(1, '\n');
  });
  return lists.emplace(n, text_file{"contacts.pairtab", std::move(text)}).first->second;
}

// Splitting each line into its labels' parts and reading its distance, as both programs do first.
void parse_lines(benchmark::State& state) {
  const text_file& input = contact_list(state.range(0));
  for (auto _ : state) {
    float sum = 0;
    for_each_line(input.bytes, [&](std::string_view line, std::size_t number) {
      sum += parse_contact_line(input.name, number, line).distance;
    });
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.bytes.size()));
}
BENCHMARK(parse_lines)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void group_lines(benchmark::State& state) {
  const text_file& input = contact_list(state.range(0));
  for (auto _ : state) {
    contact_groups groups;
    group_contacts(input, groups);
    benchmark::DoNotOptimize(groups.records.size());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.bytes.size()));
}
BENCHMARK(group_lines)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Sorting, filtering and formatting; the lines go to /dev/null in blocks, leaving out the write per line.
void sort_and_write(benchmark::State& state) {
  const text_file& input = contact_list(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    contact_groups groups;
    group_contacts(input, groups);
    line_writer out("/dev/null", line_writer::flushing::blocks);
    state.ResumeTiming();
    groups.write(out);
    out.close();
  }
}
BENCHMARK(sort_and_write)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Every line of input added to map, as pairmap reads its input.
void map_lines_of(const text_file& input, contact_map& map) {
  for_each_line(input.bytes, [&](std::string_view line, std::size_t number) { add_contact_line(map, input.name, number, line); });
}

// pairmap's reading: each line to its residue pair's cell.
void map_lines(benchmark::State& state) {
  const text_file& input = contact_list(state.range(0));
  for (auto _ : state) {
    contact_map map;
    map_lines_of(input, map);
    benchmark::DoNotOptimize(map.contacts());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.bytes.size()));
}
BENCHMARK(map_lines)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// pairmap's drawing: the axes laid out, the cells ordered and the picture's text made (a block against itself:
// one square map, every pair in both triangles).
void draw_map(benchmark::State& state) {
  const text_file& input = contact_list(state.range(0));
  std::size_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    contact_map map;
    map_lines_of(input, map);
    state.ResumeTiming();
    const std::vector<map_cell> cells = map.ordered_cells();
    bytes = draw_svg(map, cells, map_style{}).size();
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(draw_map)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
