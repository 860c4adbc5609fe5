// Shared pieces of the benchmarks: wall and CPU clocks, the peak resident
// set, an import view that shows nothing, and standard-layout payment lists
// of a given size written through the engine.
#pragma once

#include <sys/resource.h>

#include <chrono>
#include <string>

#include "dbase/query.h"
#include "platform/codepage.h"
#include "register/combined_table.h"
#include "register/import_view.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

inline double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

inline long MaxRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

class NullImportView : public ImportView {
 public:
  void SetButton2Caption(const std::string&) override {}
  void SetProgressMin(int) override {}
  void SetProgressMax(int) override {}
  void SetProgressPosition(int value) override { position_ = value; }
  int ProgressPosition() const override { return position_; }
  void Repaint() override {}

 private:
  int position_ = 0;
};

// A standard-layout list as the offices send it (OT_KOD of 10, NCHETA of
// 40), rows with varied names, codes (some of them remapped) and amounts.
inline void MakeStandardList(const std::string& dir, const std::string& name, long rows) {
  Query q;
  RunStatement(q, dir,
               "create table '" + name +
                   "' (LCHET NUMERIC(6,0),FAMILY CHAR(20),NAME CHAR(20),FATHER CHAR(20),"
                   "OT_KOD CHAR(10),NCHETA CHAR(40),SUMMA NUMERIC(11,2))");
  const std::string head =
      "insert into '" + name + "' (LCHET,FAMILY,NAME,FATHER,OT_KOD,NCHETA,SUMMA) values (";
  const std::string family = Cp1251("ФАМИЛИЯ"), first = Cp1251("ИМЯ"),
                    father = Cp1251("ОТЧЕСТВО");
  const char* codes[] = {"7493/0086", "7493/0011", "7493/7493", "7493/0200", "7493/0042"};
  for (long i = 0; i < rows; ++i) {
    RunStatement(q, dir,
                 head + "1,'" + family + std::to_string(i % 1000) + "','" + first + "','" + father +
                     "','" + codes[i % 5] + "','4081781000000" + std::to_string(1000000 + i) +
                     "','" + std::to_string(i % 100000) + "." + std::to_string(10 + i % 90) + "')");
  }
}

}  // namespace bench
