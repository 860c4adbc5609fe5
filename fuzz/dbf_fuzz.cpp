// libFuzzer entry for dBASE tables: the input is the table file. It is
// opened and every row and field read as text and as an integer, the live
// rows counted, the table dumped as the processing run dumps it, and an
// UPDATE and an INSERT of its first column tried. Any outcome but rows or
// an Error is a fault; a refused write must leave the file's bytes alone.
#include <cstddef>
#include <cstdint>
#include <string>

#include "dbase/engine.h"
#include "dbase/query.h"
#include "fuzz/fuzz_support.h"
#include "register/dump.h"

namespace {

std::string ReadBack(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The first column's name, or "" when the table cannot be opened.
std::string Walk(const std::string& dir) {
  Query q;
  q.DatabaseName = dir;
  q.SQL.Add("select * from 't.dbf'");
  try {
    q.Open();
  } catch (const Error&) {
    return "";
  }
  const int count = q.RecordCount();
  int rows = 0;
  for (bool more = q.FindFirst(); more; more = q.FindNext()) {
    ++rows;
    for (int i = 0; i < q.FieldCount(); ++i) {
      Field& f = q.Fields(i);
      (void)q.FieldDefs(i);
      (void)f.IsNull();
      try {
        (void)f.AsString();
      } catch (const Error&) {
      }
      try {
        (void)f.AsInteger();
      } catch (const Error&) {
      }
    }
  }
  if (rows != count) __builtin_trap();
  return q.FieldCount() > 0 ? q.Fields(0).FieldName() : "";
}

void TryWrite(const std::string& dir, const std::string& path, const std::string& sql) {
  const std::string before = ReadBack(path);
  Query q;
  q.DatabaseName = dir;
  q.SQL.Add(sql);
  try {
    q.ExecSQL();
  } catch (const Error&) {
    CloseCachedTables();
    if (ReadBack(path) != before) __builtin_trap();
  }
  CloseCachedTables();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& dir = fuzz::TempDir();
  const std::string path = dir + "/t.dbf";
  fuzz::WriteWhole(path, std::string_view(reinterpret_cast<const char*>(data), size));
  const std::string first = Walk(dir);
  try {
    DumpTable("t.dbf", dir, dir + "/7493.txt", "dos", true);
  } catch (const Error&) {
  }
  if (!first.empty()) {
    TryWrite(dir, path, "update 't.dbf' set " + first + "='1'");
    TryWrite(dir, path, "insert into 't.dbf' (" + first + ") values ('2')");
    (void)Walk(dir);
  }
  fuzz::ClearTempDir();
  return 0;
}
