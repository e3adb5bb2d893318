// pairsweep: every pair of a list A point and a list B point within the cut-off, as a contact list.
#include <cstdlib>
#include <iostream>

#include "cell_list.hpp"
#include "error.hpp"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::cout << "./pairsweep input_1.xyz input_2.xyz cut_off output.pairtab" << std::endl;
    return 1;
  }
  return run_reporting_errors("pairsweep", "", [argv] {
    cell_list grid;
    grid.compute_files(read_cutoff(argv[3]), argv[1], argv[2], argv[4]);
  });
}
