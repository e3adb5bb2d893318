// pairscan: from a structure to its sorted contacts in one process.
#include <cstdio>
#include <string>
#include <vector>

#include <gemmi/version.hpp>

#include "scan_command_line.hpp"
#include "error.hpp"
#include "scan.hpp"

int main(int argc, char** argv) {
  scan_options options;
  const auto parse = [&] { return parse_scan_command_line(std::vector<std::string>(argv + 1, argv + argc)); };
  if (!parse_or_explain("pairscan", scan_usage, parse, options)) return 1;
  if (options.show_help) {
    std::printf("%s\n%s", scan_usage, scan_help);
    return 0;
  }
  if (options.show_version) {
    std::printf("pairscan %s (gemmi %s)\n", TOOLKIT_VERSION, GEMMI_VERSION);
    return 0;
  }
  return run_reporting_errors("pairscan", "", [&options] { run_scan(options); });
}
