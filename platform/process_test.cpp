#include "platform/process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(PosixProcessRunner, ReportsExitCodeAndMissingProgram) {
  PosixProcessRunner runner;
  const ProcessResult ok = runner.Run({"true"}, 5000);
  EXPECT_TRUE(ok.started);
  EXPECT_EQ(ok.exitCode, 0);
  const ProcessResult fail = runner.Run({"false"}, 5000);
  EXPECT_TRUE(fail.started);
  EXPECT_EQ(fail.exitCode, 1);
  const ProcessResult missing = runner.Run({"no-such-program-kvoter"}, 5000);
  EXPECT_FALSE(missing.started);
  EXPECT_FALSE(runner.Run({}, 5000).started);
}

TEST(PosixProcessRunner, PassesEachArgumentWholeWithoutAShell) {
  const fs::path dir = fs::temp_directory_path() / ("kvoter_proc_" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path out = dir / "out";
  PosixProcessRunner runner;
  const std::string tricky = "a b; touch " + (dir / "injected").string() + " 'q\" $(x)";
  runner.Run({"/bin/sh", "-c", "printf '%s' \"$1\" > \"$2\"", "sh", tricky, out.string()}, 5000);
  EXPECT_EQ(ReadFile(out), tricky);
  EXPECT_FALSE(fs::exists(dir / "injected"));
  fs::remove_all(dir);
}

TEST(PosixProcessRunner, GivesTheChildNoInputAndBoundsTheWait) {
  PosixProcessRunner runner;
  // cat ends at once on the null device instead of waiting for a question's answer.
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(runner.Run({"cat"}, 5000).exitCode, 0);
  const ProcessResult slow = runner.Run({"sleep", "30"}, 200);
  const auto elapsed = std::chrono::steady_clock::now() - t0;
  EXPECT_TRUE(slow.timedOut);
  EXPECT_LT(elapsed, std::chrono::seconds(10));
}

}  // namespace
