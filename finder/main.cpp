// pairsweep: every pair of a list A point and a list B point within the cut-off, as a contact list.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <new>
#include <stdexcept>

#include "cell_list.hpp"
#include "error.hpp"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::cout << "./pairsweep input_1.xyz input_2.xyz cut_off output.pairtab" << std::endl;
    return 1;
  }
  try {
    cell_list grid;
    grid.compute_files(static_cast<float>(std::atof(argv[3])), argv[1], argv[2], argv[4]);
  } catch (const run_error& e) {
    std::fprintf(stderr, "pairsweep: %s\n", e.what());
    return 2;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "pairsweep: out of memory; for a large box use a larger cut-off\n");
    return 2;
  } catch (const std::length_error&) {
    std::fprintf(stderr, "pairsweep: out of memory; for a large box use a larger cut-off\n");
    return 2;
  }
  return 0;
}
