// pairsift: a contact list grouped by residue pair, by distance within each, every atom pair once.
#include <iostream>

#include "error.hpp"
#include "grouping.hpp"
#include "line_writer.hpp"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cout << "./pairsift input.pairtab output.pairtab" << std::endl;
    return 1;
  }
  return run_reporting_errors("pairsift", "", [argv] {
    // All input is read and checked before the output is opened, so a bad line never costs the old output.
    const text_file input = read_text_file(argv[1]);
    contact_groups groups;
    group_contacts(input, groups);
    line_writer out(argv[2]);
    groups.write(out);
    out.close();
  });
}
