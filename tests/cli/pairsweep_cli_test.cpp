#include "run.hpp"

namespace {

const std::string usage = "./pairsweep input_1.xyz input_2.xyz cut_off output.pairtab\n";

TEST(PairsweepCli, WrongArgumentCountPrintsUsage) {
  const std::string dir = scratch_dir();
  for (const std::string args : {"", "a.xyz b.xyz 4", "a.xyz b.xyz 4 out.pairtab extra"}) {
    const run_result r = run(dir, PAIRSWEEP_BIN, args);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_EQ(r.out, usage);
    EXPECT_EQ(r.err, "");
  }
  EXPECT_FALSE(exists(dir + "/out.pairtab"));
}

TEST(PairsweepCli, WorkedExampleWithBlankLinesTabRunsAndCrlf) {
  const std::string dir = scratch_dir();
  write_file(dir + "/a.xyz", "a0\t4.5\t0\t0\r\n\r\n\na1\t\t0.5\t0\t0\t\t\r\n");
  write_file(dir + "/b.xyz", "b0\t3.9\t0\t0\nb1\t4.2\t0\t0\n   \nb2\t0\t0\t0");
  write_file(dir + "/out.pairtab", "old contents\n");
  const run_result r = run(dir, PAIRSWEEP_BIN, "a.xyz b.xyz 4abc out.pairtab");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out + r.err, "");
  EXPECT_EQ(read_file(dir + "/out.pairtab"), "a1\tb0\t3.4\na1\tb2\t0.5\na1\tb1\t3.7\na0\tb0\t0.6\na0\tb1\t0.3\n");
}

TEST(PairsweepCli, PipesGiveWhatFilesGive) {
  const std::string dir = scratch_dir();
  write_file(dir + "/a.xyz", "p\t0\t0\t0\nq\t1\t1\t1\n");
  const run_result r = run(dir, PAIRSWEEP_BIN, "<(cat a.xyz) /dev/stdin 2 out.pairtab <a.xyz");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_file(dir + "/out.pairtab"), "p\tp\t0\np\tq\t1.73205\nq\tp\t1.73205\nq\tq\t0\n");
}

TEST(PairsweepCli, InfiniteCutoffPairsEverything) {
  const std::string dir = scratch_dir();
  write_file(dir + "/a.xyz", "p\t0\t0\t0\n");
  write_file(dir + "/b.xyz", "q\t1e18\t0\t0\nr\t-5\t0\t0\n");
  EXPECT_EQ(run(dir, PAIRSWEEP_BIN, "a.xyz b.xyz 1e39 out.pairtab").status, 0);
  EXPECT_EQ(read_file(dir + "/out.pairtab"), "p\tq\t1e+18\np\tr\t5\n");
}

// Every failure: one line on stderr, exit status 2, and an existing output file left as it was.
TEST(PairsweepCli, Failures) {
  const std::string dir = scratch_dir();
  write_file(dir + "/good.xyz", "p\t0\t0\t0\n");
  write_file(dir + "/short.xyz", "p\t0\t0\t0\n\nq\t1\t2\n");
  write_file(dir + "/nan.xyz", "p\t0\tnan\t0\n");
  write_file(dir + "/far.xyz", "p\t0\t0\t100000\nq\t100000\t0\t0\nr\t0\t100000\t0\n");
  ::mkdir((dir + "/folder").c_str(), 0755);
  expect_failures(dir, PAIRSWEEP_BIN, {
      {"good.xyz good.xyz 0 kept.pairtab", "pairsweep: the cut-off must be a positive number, not 0\n"},
      {"good.xyz good.xyz -1 kept.pairtab", "pairsweep: the cut-off must be a positive number, not -1\n"},
      {"good.xyz good.xyz abc kept.pairtab", "pairsweep: the cut-off must be a positive number, not 0\n"},
      {"good.xyz good.xyz nan kept.pairtab", "pairsweep: the cut-off must be a positive number, not nan\n"},
      {"missing.xyz good.xyz 4 kept.pairtab", "pairsweep: cannot read missing.xyz: No such file or directory\n"},
      {"good.xyz folder 4 kept.pairtab", "pairsweep: cannot read folder: Is a directory\n"},
      {"good.xyz short.xyz 4 kept.pairtab", "pairsweep: short.xyz:3: expected a label and three coordinates, found 3 fields\n"},
      {"nan.xyz good.xyz 4 kept.pairtab", "pairsweep: nan.xyz:1: y coordinate 'nan' is not a finite number\n"},
      {"good.xyz good.xyz 4 missing/out.pairtab", "pairsweep: cannot create missing/out.pairtab: No such file or directory\n"},
      {"good.xyz good.xyz 4 folder", "pairsweep: cannot create folder: Is a directory\n"},
      {"good.xyz good.xyz 4 /dev/full", "pairsweep: cannot write /dev/full: No space left on device\n"},
  });
  const run_result far = run(dir, PAIRSWEEP_BIN, "far.xyz far.xyz 100 new.pairtab");
  EXPECT_EQ(far.status, 2);
  EXPECT_EQ(far.err.rfind("pairsweep: the points span 1001 x 1001 x 1001 cells at cut-off 100, a grid of ", 0), 0u) << far.err;
  EXPECT_FALSE(exists(dir + "/new.pairtab"));
}

// The bundled example, as the README runs it: the inhibitor against chain A.
TEST(PairsweepCli, BundledExample) {
  const std::string dir = scratch_dir();
  const run_result r = run(dir, PAIRSWEEP_BIN, std::string(EXAMPLES_DIR) + "/1hpv_ligand.xyz " + EXAMPLES_DIR +
                                                   "/1hpv_chainA.xyz 4 out.pairtab");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_file(dir + "/out.pairtab"), read_file(std::string(EXAMPLES_DIR) + "/ligand_chainA_4.pairtab"));
}

}  // namespace
