// Timing of the engine on the processing run's own statements: the LCHET
// UPDATE of a standard-layout list, the creation of the combined table and
// one INSERT per row built as the copy builds it, then a SELECT walk reading
// every field AsString. Prints seconds, rows per second and the peak RSS.
// Usage: dbase_bench [rows...]   (default 100000 1000000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "dbase/engine.h"
#include "dbase/query.h"
#include "platform/codepage.h"
#include "register/text.h"

namespace {

using bench::Clock;
using bench::CpuSeconds;
using bench::MaxRssKb;
using bench::Seconds;

void Exec(Query& q, const std::string& dir, const std::string& sql) { RunStatement(q, dir, sql); }

// The copy as the processing run does it: one INSERT per row of the list.
void Import(const std::string& dir) {
  Query list, target;
  bench::NullImportView view;
  ImportTable(kCombinedTable, "SPISOK.DBF", dir, list, target, view);
}

size_t Walk(const std::string& dir) {
  Query q;
  q.DatabaseName = dir;
  q.SQL.Add("select * from mrg7493.dbf");
  q.Open();
  size_t rows = 0, bytes = 0;
  for (bool more = q.FindFirst(); more; more = q.FindNext()) {
    for (int i = 0; i < q.FieldCount(); ++i) bytes += q.Fields(i).AsString().size();
    ++rows;
  }
  if (bytes == 0) std::printf("(no bytes read)\n");
  return rows;
}

void Run(long rows) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("dbase_bench_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string d = dir.string();
  bench::MakeStandardList(d, "SPISOK.DBF", rows);
  CloseCachedTables();

  Query q;
  const double cpuStart = CpuSeconds();
  auto start = Clock::now();
  Exec(q, d, "update 'SPISOK.DBF' set lchet=181000");
  const double update = Seconds(start);
  auto importStart = Clock::now();
  Exec(q, d,
       "create table 'mrg7493.dbf' (LCHET NUMERIC(6,0),FAMILY CHAR(20),NAME CHAR(20),FATHER "
       "CHAR(20),"
       "OT_KOD CHAR(9),NCHETA CHAR(30),SUMMA NUMERIC(11,2))");
  Import(d);
  const double import = Seconds(importStart);
  const double total = Seconds(start);
  const double cpu = CpuSeconds() - cpuStart;

  start = Clock::now();
  const size_t walked = Walk(d);
  const double walk = Seconds(start);

  std::printf(
      "%8ld rows: update %.3f s, import %.3f s (%.0f rows/s), update+import %.3f s (CPU %.3f s)\n",
      rows, update, import, rows / import, total, cpu);
  std::printf("%8ld rows: walk %zu rows in %.3f s (%.0f rows/s); max RSS %ld KiB\n", rows, walked,
              walk, walked / walk, MaxRssKb());
  CloseCachedTables();
  std::filesystem::remove_all(dir);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<long> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atol(argv[i]));
  if (sizes.empty()) sizes = {100000, 1000000};
  for (long rows : sizes) Run(rows);
  return 0;
}
