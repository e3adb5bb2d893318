// Differential: arbitrary bytes decoded into a contact list of a small vocabulary; pairsift's grouping against
// the plain transcription of its rules (ordered map and set): the same output, byte for byte.
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "error.hpp"
#include "fuzz_checks.hpp"
#include "grouping.hpp"
#include "line_writer.hpp"
#include "plain_sift.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const char* const ids[] = {"1", "10", "2", "A1", "B1", ""};
  static const char* const types[] = {"ALA", "GLY"};
  static const char* const atoms[] = {"N", "CA", "OD1", "NZ"};
  static const char* const distances[] = {"3", "3.0", "2.5", "3.99999", "4", "1e-3", "2.8284271", "0", "abc", "1e39"};
  fuzz_bytes in{data, size};
  std::vector<std::array<std::string, 7>> lines(in.next() % 64);
  std::string text;
  for (auto& l : lines) {
    l = {ids[in.next() % 6], types[in.next() % 2], atoms[in.next() % 4], ids[in.next() % 6], types[in.next() % 2],
         atoms[in.next() % 4], distances[in.next() % 10]};
    text += l[0] + ':' + l[1] + ':' + l[2] + '\t' + l[3] + ':' + l[4] + ':' + l[5] + '\t' + l[6] + '\n';
  }
  const std::string path = "/tmp/fuzz_sift_" + std::to_string(::getpid()) + ".pairtab";
  {
    const text_file input{"in", text};  // the groups view its bytes
    contact_groups groups;
    group_contacts(input, groups);
    line_writer out(path);
    groups.write(out);
    out.close();
  }
  std::stringstream written;
  written << std::ifstream(path).rdbuf();
  FUZZ_CHECK(written.str() == plain_sift(lines));
  return 0;
}
