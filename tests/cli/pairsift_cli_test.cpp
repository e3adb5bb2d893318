#include "run.hpp"

namespace {

TEST(PairsiftCli, WrongArgumentCountPrintsUsage) {
  const std::string dir = scratch_dir();
  for (const std::string args : {"", "in.pairtab", "in.pairtab out.pairtab extra"}) {
    const run_result r = run(dir, PAIRSIFT_BIN, args);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_EQ(r.out, "./pairsift input.pairtab output.pairtab\n");
    EXPECT_EQ(r.err, "");
  }
  EXPECT_FALSE(exists(dir + "/out.pairtab"));
}

// The two programs as a pipeline, compared as whole files.
TEST(PairsiftCli, PipelineAfterPairsweep) {
  const std::string dir = scratch_dir();
  write_file(dir + "/a.xyz", "1:ALA:CA\t4.5\t0\t0\n1:ALA:CB\t0.5\t0\t0\n");
  write_file(dir + "/b.xyz", "20:GLY:N\t3.9\t0\t0\n3:SER:OG\t4.2\t0\t0\n20:GLY:CA\t0\t0\t0\n");
  ASSERT_EQ(run(dir, PAIRSWEEP_BIN, "a.xyz b.xyz 4 contacts.pairtab").status, 0);
  const run_result r = run(dir, PAIRSIFT_BIN, "contacts.pairtab sorted.pairtab");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out + r.err, "");
  EXPECT_EQ(read_file(dir + "/sorted.pairtab"),
            "1:ALA:CB\t20:GLY:CA\t0.5\n1:ALA:CA\t20:GLY:N\t0.6\n1:ALA:CB\t20:GLY:N\t3.4\n"
            "1:ALA:CA\t3:SER:OG\t0.3\n1:ALA:CB\t3:SER:OG\t3.7\n");
  // Sifting twice changes nothing, and a pipe reads like a file.
  const run_result again = run(dir, PAIRSIFT_BIN, "<(cat sorted.pairtab) twice.pairtab");
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(read_file(dir + "/twice.pairtab"), read_file(dir + "/sorted.pairtab"));
}

TEST(PairsiftCli, BundledExamplePipeline) {
  const std::string dir = scratch_dir();
  const std::string examples = EXAMPLES_DIR;
  ASSERT_EQ(run(dir, PAIRSWEEP_BIN, examples + "/1hpv_chainA.xyz " + examples + "/1hpv_ligand.xyz 4 c.pairtab").status, 0);
  ASSERT_EQ(run(dir, PAIRSIFT_BIN, "c.pairtab sorted.pairtab").status, 0);
  EXPECT_EQ(read_file(dir + "/sorted.pairtab"), read_file(examples + "/chainA_ligand_4_sorted.pairtab"));
}

TEST(PairsiftCli, Failures) {
  const std::string dir = scratch_dir();
  write_file(dir + "/good.pairtab", "1:A:X\t2:B:Y\t3\n");
  write_file(dir + "/bad.pairtab", "1:A:X\t2:B:Y\t3\n1:A:X\t2:B\t3\n");
  ::mkdir((dir + "/folder").c_str(), 0755);
  expect_failures(dir, PAIRSIFT_BIN, {
      {"missing.pairtab kept.pairtab", "pairsift: cannot read missing.pairtab: No such file or directory\n"},
      {"folder kept.pairtab", "pairsift: cannot read folder: Is a directory\n"},
      {"bad.pairtab kept.pairtab", "pairsift: bad.pairtab:2: label '2:B' is not of the form residue:type:atom\n"},
      {"good.pairtab missing/out.pairtab", "pairsift: cannot create missing/out.pairtab: No such file or directory\n"},
      {"good.pairtab /dev/full", "pairsift: cannot write /dev/full: No space left on device\n"},
  });
}

}  // namespace
