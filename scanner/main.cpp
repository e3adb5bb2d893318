// pairscan: from a structure to its sorted contacts in one process.
#include <string>
#include <vector>

#include <gemmi/version.hpp>

#include "scan_command_line.hpp"
#include "error.hpp"
#include "scan.hpp"

int main(int argc, char** argv) {
  scan_options options;
  const auto parse = [&] { return parse_scan_command_line(std::vector<std::string>(argv + 1, argv + argc)); };
  const int answered = answer_command_line("pairscan", scan_usage, scan_help,
                                          std::string(TOOLKIT_VERSION) + " (gemmi " + GEMMI_VERSION + ")", parse, options);
  if (answered >= 0) return answered;
  return run_reporting_errors("pairscan", "", [&options] { run_scan(options); });
}
