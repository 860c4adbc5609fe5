// The whole processing chain without the window: two standard lists of
// half the rows each, through the LCHET updates, the creation of the
// combined table, the two imports, the remap, the dump and the register.
// Prints the time of each step, the total, the peak resident set and the
// dump's size. Each size runs in a process of its own, so that the peak
// belongs to that size alone.
// Usage: run_bench [rows...]   (default 100000 1000000)
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "dbase/engine.h"
#include "register/dump.h"
#include "register/register_writer.h"

namespace {

using bench::Clock;
using bench::Seconds;

void Run(long rows) {
  const auto dir = std::filesystem::temp_directory_path() / ("run_bench_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string d = dir.string();
  const std::vector<std::string> lists = {"PENS1.DBF", "PENS2.DBF"};
  for (const auto& list : lists) bench::MakeStandardList(d, list, rows / 2);
  CloseCachedTables();
  const long rssBefore = bench::MaxRssKb();

  Query query1, query2;
  bench::NullImportView view;
  struct Step {
    const char* name;
    double seconds;
  };
  std::vector<Step> steps;
  const auto total = Clock::now();
  auto time = [&steps](const char* name, auto&& body) {
    const auto start = Clock::now();
    body();
    steps.push_back({name, Seconds(start)});
  };
  time("LCHET updates", [&] {
    for (const auto& list : lists) RunStatement(query1, d, LchetUpdateStatement(list, false));
  });
  time("creation", [&] { RunStatement(query1, d, CreateCombinedStatement(false)); });
  time("imports", [&] {
    for (const auto& list : lists) ImportTable(kCombinedTable, list, d, query1, query2, view);
  });
  time("remap", [&] { RemapBranchCodes(kCombinedTable, d, query1); });
  time("dump", [&] { DumpTable(kCombinedTable, d, JoinPath(d, "7493.txt"), "dos", true); });
  RegisterSummary summary;
  time("register", [&] { summary = WriteRegister(d, false); });
  const double all = Seconds(total);

  const auto dumpSize = std::filesystem::file_size(dir / "7493.txt");
  std::printf("%8ld rows:", rows);
  for (const auto& s : steps) std::printf(" %s %.3f s,", s.name, s.seconds);
  std::printf(" total %.3f s\n", all);
  std::printf("%8ld rows: %d records, total %s; dump %.1f MiB; peak RSS %.1f MiB (%.2f x dump; "
              "%.1f MiB while making the lists)\n",
              rows, summary.RecordCount, summary.TotalText.c_str(), dumpSize / 1048576.0,
              bench::MaxRssKb() / 1024.0, bench::MaxRssKb() * 1024.0 / dumpSize,
              rssBefore / 1024.0);
  CloseCachedTables();
  std::filesystem::remove_all(dir);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<long> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atol(argv[i]));
  if (sizes.empty()) sizes = {100000, 1000000};
  for (long rows : sizes) {
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
      Run(rows);
      std::fflush(stdout);
      _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return 1;
  }
  return 0;
}
