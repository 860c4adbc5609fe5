// Timing of the engine on the processing run's own statements: the LCHET
// UPDATE of a standard-layout list, the creation of the combined table and
// one INSERT per row built as the copy builds it, then a SELECT walk reading
// every field AsString. Prints seconds, rows per second and the peak RSS.
// Usage: dbase_bench [rows...]   (default 100000 1000000)
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "dbase/engine.h"
#include "dbase/query.h"
#include "register/text.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

long MaxRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

void Exec(Query& q, const std::string& dir, const std::string& sql) {
  q.DatabaseName = dir;
  q.SQL.Clear();
  q.SQL.Add(sql);
  q.ExecSQL();
}

// "ФАМИЛИЯ", "ИМЯ", "ОТЧЕСТВО" in code page 1251.
const std::string kFamily = "\xD4\xC0\xCC\xC8\xCB\xC8\xDF";
const std::string kName = "\xC8\xCC\xDF";
const std::string kFather = "\xCE\xD2\xD7\xC5\xD1\xD2\xC2\xCE";

void MakeList(const std::string& dir, long rows) {
  Query q;
  Exec(
      q, dir,
      "create table 'SPISOK.DBF' (LCHET NUMERIC(6,0),FAMILY CHAR(20),NAME CHAR(20),FATHER CHAR(20),"
      "OT_KOD CHAR(10),NCHETA CHAR(40),SUMMA NUMERIC(11,2))");
  const std::string head =
      "insert into 'SPISOK.DBF' (LCHET,FAMILY,NAME,FATHER,OT_KOD,NCHETA,SUMMA) values (";
  for (long i = 0; i < rows; ++i) {
    Exec(q, dir,
         head + "1,'" + kFamily + std::to_string(i % 1000) + "','" + kName + "','" + kFather +
             "','7493/" + std::to_string(1000 + i % 9000).substr(0, 4) + "','4081781000000" +
             std::to_string(1000000 + i) + "','" + std::to_string(i % 100000) + "." +
             std::to_string(10 + i % 90) + "')");
  }
}

// The copy as the processing run does it: one INSERT per row of the list.
void Import(const std::string& dir) {
  Query list;
  Query target;
  list.DatabaseName = dir;
  target.DatabaseName = dir;
  list.SQL.Clear();
  list.SQL.Add("select * from 'SPISOK.DBF'");
  list.Open();
  std::string head = "insert into 'mrg7493.dbf' (" + list.Fields(0).FieldName();
  for (int i = 1; i < list.FieldCount(); ++i) head += "," + list.Fields(i).FieldName();
  head += ") values (";
  (void)list.RecordCount();
  for (bool more = list.FindFirst(); more; more = list.FindNext()) {
    std::string values;
    for (int i = 0; i < list.FieldCount(); ++i) {
      const TFieldType type = list.FieldDefs(i).DataType;
      const char* sep = i == 0 ? "" : ",";
      if (type == ftString) values += std::string(sep) + "'" + list.Fields(i).AsString() + "'";
      if (type == ftFloat)
        values += i == 0 ? CommaToDot(list.Fields(i).AsString())
                         : std::string(sep) + "'" + CommaToDot(list.Fields(i).AsString()) + "'";
      if (type == ftInteger)
        values += std::string(sep) + std::to_string(list.Fields(i).AsInteger());
    }
    target.SQL.Clear();
    target.SQL.Add(head + values + ")");
    target.ExecSQL();
  }
  list.Close();
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
  MakeList(d, rows);
  CloseCachedTables();

  Query q;
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

  start = Clock::now();
  const size_t walked = Walk(d);
  const double walk = Seconds(start);

  std::printf("%8ld rows: update %.3f s, import %.3f s (%.0f rows/s), update+import %.3f s\n", rows,
              update, import, rows / import, total);
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
