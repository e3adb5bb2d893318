// pairsift: a contact list grouped by residue pair, by distance within each, every atom pair once.
#include <cstdio>
#include <iostream>
#include <new>
#include <stdexcept>

#include "error.hpp"
#include "grouping.hpp"
#include "line_writer.hpp"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cout << "./pairsift input.pairtab output.pairtab" << std::endl;
    return 1;
  }
  try {
    // All input is read and checked before the output is opened, so a bad line never costs the old output.
    const text_file input = read_text_file(argv[1]);
    contact_groups groups;
    group_contacts(input, groups);
    line_writer out(argv[2]);
    groups.write(out);
    out.close();
  } catch (const run_error& e) {
    std::fprintf(stderr, "pairsift: %s\n", e.what());
    return 2;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "pairsift: out of memory\n");
    return 2;
  } catch (const std::length_error&) {
    std::fprintf(stderr, "pairsift: out of memory\n");
    return 2;
  }
  return 0;
}
