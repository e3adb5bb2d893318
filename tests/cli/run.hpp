// Runs a built program as a user would, and reads back what it left behind.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

struct run_result {
  int status;
  std::string out, err;
};

// A fresh folder of its own for every test.
inline std::string scratch_dir() {
  const std::string dir = ::testing::TempDir() + "cli_" + std::to_string(::getpid()) + "_" +
                          ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str());
  return dir;
}

inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline bool exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

// Runs "program arguments" through the shell in dir, with a time limit so that a hang fails instead of
// stalling the suite.
inline run_result run(const std::string& dir, const std::string& program, const std::string& arguments) {
  // bash, not sh, so that a test can hand over a pipe with <(...).
  write_file(dir + "/command.sh", "cd '" + dir + "' && timeout 10 '" + program + "' " + arguments +
                                      " >stdout.txt 2>stderr.txt\n");
  const int raw = std::system(("bash '" + dir + "/command.sh'").c_str());
  run_result result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file(dir + "/stdout.txt"), read_file(dir + "/stderr.txt")};
  return result;
}

struct failure_case {
  std::string args, message;
};

// Each case must fail as every error does: one line on stderr, nothing on stdout, exit status 2, and an
// existing output file, kept.pairtab, left as it was.
inline void expect_failures(const std::string& dir, const std::string& program, const std::vector<failure_case>& cases) {
  for (const auto& c : cases) {
    write_file(dir + "/kept.pairtab", "old\n");
    const run_result r = run(dir, program, c.args);
    EXPECT_EQ(r.status, 2) << c.args;
    EXPECT_EQ(r.err, c.message);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(read_file(dir + "/kept.pairtab"), "old\n") << c.args;
  }
}
