#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "cif_document.hpp"
#include "same_document.hpp"

namespace {

// Every text the fast reader takes gives gemmi's document, line numbers included; what it does not take is left
// to gemmi (which reads it or says why not); a check gemmi makes after parsing fails with gemmi's own message.
TEST(CifDocument, SameAsGemmiOrLeftToIt) {
  const struct {
    const char* name;
    std::string text;
    bool taken;
  } cases[] = {
      {"pairs and a loop", "data_x\n_a.b 1\n_a.c 'x y'\nloop_\n_s.p\n_s.q\n1 2\n3 4\n", true},
      {"quotes kept, a quote inside", "data_x\n_a.b 'it's'\n_a.c \"say \"hi\"\"\n", true},
      {"a comment right after the quote", "data_x\n_a.b 'x'#note\n_a.c y\n", true},
      {"'#' inside an unquoted value", "data_x\n_a.b a#b\n", true},
      {"a semicolon not at a line start", "data_x\n_a.b ;abc\n", true},
      {"a text field, CRLF lines", "data_x\r\n_a.b\r\n;line one\r\nline two\r\n;\r\n_a.c 2\r\n", true},
      {"a text field in a loop", "data_x\nloop_\n_s.p\n_s.q\n1\n;text\n;\n2 3\n", true},
      {"no newline at the end", "data_x\n_a.b 1", true},
      {"a block without a name", "data_\n_a.b 1\n", true},
      {"keywords in any case", "DATA_x\nLoop_\n_s.p\n1\nData_y\n_a.b 2\n", true},
      {"a loop ended by the next block", "data_x\nloop_\n_s.p\n1\n2\ndata_y\n_a.b 3\n", true},
      {"comments and blank lines", "# head\n\ndata_x # why\n# more\n_a.b 1 # one\nloop_ # rows\n_s.p\n1 # first\n", true},
      {"values with brackets", "data_x\n_a.b [1]\n_a.c {2}\n", true},
      {"a value starting with $", "data_x\n_a.b $x\n", false},
      {"a save frame", "data_x\nsave_f\n_a.b 1\nsave_\n", false},
      {"global_", "global_\n_a.b 1\n", false},
      {"stop_", "data_x\nloop_\n_s.p\n1\nstop_\n", false},
      {"a tag without a value", "data_x\n_a.b\n_a.c 1\n", false},
      {"an empty loop", "data_x\nloop_\n_s.p\ndata_y\n", false},
      {"values not filling the rows", "data_x\nloop_\n_s.p\n_s.q\n1 2 3\n", false},
      {"an unterminated quote", "data_x\n_a.b 'x\n", false},
      {"an unterminated text field", "data_x\n_a.b\n;text\n", false},
      {"a bare underscore", "data_x\n_ 1\n", false},
      {"a byte beyond ASCII after a value", "data_x\n_a.b 1\xc3\xa9\n", false},
      {"text before the first block", "_a.b 1\ndata_x\n", false},
      {"nothing but comments", "# nothing\n", false},
      {"a value without a tag", "data_x\n1\n", false},
      {"a keyword glued to a value", "data_x\nloop_x\n", false},
  };
  for (const auto& c : cases) {
    const gemmi_reading expected = read_with_gemmi(c.text, "test.cif");
    gemmi::cif::Document document;
    bool taken = false;
    try {
      taken = read_cif_document(c.text, "test.cif", document);
    } catch (const std::exception& e) {
      ADD_FAILURE() << c.name << ": " << e.what();
      continue;
    }
    EXPECT_EQ(taken, c.taken) << c.name;
    if (taken) {
      EXPECT_EQ(expected.error, "") << c.name;
      EXPECT_TRUE(same_document(document, expected.document)) << c.name;
    } else {
      EXPECT_TRUE(document.blocks.empty()) << c.name;
    }
  }
  // gemmi's checks after the parse, with gemmi's messages.
  for (const std::string text : {"data_x\n_a.b 1\n_A.B 2\n", "data_x\n_a.b 1\ndata_X\n_a.b 1\n"}) {
    const gemmi_reading expected = read_with_gemmi(text, "test.cif");
    ASSERT_NE(expected.error, "") << text;
    gemmi::cif::Document document;
    try {
      read_cif_document(text, "test.cif", document);
      ADD_FAILURE() << text;
    } catch (const std::exception& e) {
      EXPECT_EQ(std::string(e.what()), expected.error);
    }
  }
}

// Loops that share one long line, as a generated file may write them: each still gets gemmi's document, and the
// room made for their values stays in proportion to the text (a guess from the line's length alone would ask for
// terabytes here).
TEST(CifDocument, ManyLoopsOnOneLine) {
  std::string text = "data_x\n";
  for (int i = 0; i < 20000; ++i) text += "loop_ _a" + std::to_string(i) + " 1 2 3 ";
  text += "\n";
  gemmi::cif::Document document;
  ASSERT_TRUE(read_cif_document(text, "test.cif", document));
  EXPECT_TRUE(same_document(document, read_with_gemmi(text, "test.cif").document));
  std::size_t room = 0;
  for (const gemmi::cif::Item& item : document.blocks.at(0).items) room += item.loop.values.capacity();
  EXPECT_LE(room, text.size());  // reserved (half a value a byte at most) and grown
}

std::string gunzipped(const std::string& path) {
  gzFile in = gzopen(path.c_str(), "rb");
  EXPECT_NE(in, nullptr) << path;
  std::string text;
  char buffer[1 << 16];
  int got = 0;
  while (in != nullptr && (got = gzread(in, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(got));
  if (in != nullptr) gzclose(in);
  return text;
}

// Real archive files: all taken, all the same as gemmi's documents.
TEST(CifDocument, ArchiveFilesTaken) {
  for (const char* file : {"examples/structures/7CFN.cif.gz", "examples/structures/1LCD.cif.gz",
                           "examples/structures/1A8O.cif.gz", "tests/scanner/data/4ZHL.cif.gz",
                           "tests/picker/data/numbers.cif"}) {
    const std::string text = gunzipped(std::string(SOURCE_DIR) + "/" + file);
    ASSERT_GT(text.size(), 100u) << file;
    gemmi::cif::Document document;
    EXPECT_TRUE(read_cif_document(text, file, document)) << file;
    const gemmi::cif::Document expected = gemmi::cif::read_memory(text.data(), text.size(), file);
    EXPECT_TRUE(same_document(document, expected)) << file;
  }
}

}  // namespace
