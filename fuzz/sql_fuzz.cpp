// libFuzzer entry for statements: the input is a statement text. It is
// parsed (every view must lie in the text or the statement's own storage)
// and, when it names a file of the working directory only, run there
// against a fresh copy of a payment list "t.dbf"; the table is then read
// back. Any outcome but a result or an Error is a fault.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "dbase/engine.h"
#include "dbase/query.h"
#include "dbase/sql.h"
#include "fuzz/fuzz_support.h"

namespace {

const std::string& ListBytes() {
  static const std::string bytes = [] {
    std::ifstream in(std::string(KVOTER_ROOT) + "/dbase/testdata/std_1251.dbf", std::ios::binary);
    std::string b((std::istreambuf_iterator<char>(in)), {});
    if (b.empty()) std::abort();
    return b;
  }();
  return bytes;
}

void CheckView(std::string_view view, std::string_view text, const Statement& st) {
  if (view.empty()) return;
  if (view.data() >= text.data() && view.data() + view.size() <= text.data() + text.size()) return;
  for (const std::string& s : st.storage)
    if (view.data() >= s.data() && view.data() + view.size() <= s.data() + s.size()) return;
  __builtin_trap();
}

void CheckViews(const Statement& st, std::string_view text) {
  CheckView(st.table.text, text, st);
  for (const SqlName& c : st.columns) CheckView(c.text, text, st);
  for (const SqlValue& v : st.values) CheckView(v.text, text, st);
  for (const SqlAssignment& a : st.sets) {
    CheckView(a.column.text, text, st);
    CheckView(a.value.text, text, st);
  }
  if (st.where) {
    CheckView(st.where->column.text, text, st);
    CheckView(st.where->value.text, text, st);
  }
  for (const SqlColumnDef& d : st.definitions) CheckView(d.name.text, text, st);
  if (st.kind == SqlKind::Insert && st.columns.empty()) __builtin_trap();
}

// Only plain names: a statement must not reach outside the directory.
bool PlainName(std::string_view name) {
  if (name.empty() || name.size() > 64 || name[0] == '.') return false;
  for (char c : name)
    if (c == '/' || c == '\\' || c == '\0') return false;
  return true;
}

void ReadAll(const std::string& dir, std::string_view table) {
  Query q;
  q.DatabaseName = dir;
  q.SQL.Add("select * from '" + std::string(table) + "'");
  try {
    q.Open();
    for (bool more = q.FindFirst(); more; more = q.FindNext())
      for (int i = 0; i < q.FieldCount(); ++i) (void)q.Fields(i).AsString();
  } catch (const Error&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  Statement st;
  try {
    st = ParseStatement(text);
  } catch (const Error&) {
    return 0;
  }
  CheckViews(st, text);
  if (!PlainName(st.table.text)) return 0;
  const std::string& dir = fuzz::TempDir();
  fuzz::WriteWhole(dir + "/t.dbf", ListBytes());
  Query q;
  q.DatabaseName = dir;
  q.SQL.Add(text);
  try {
    if (st.kind == SqlKind::Select) {
      q.Open();
      for (bool more = q.FindFirst(); more; more = q.FindNext())
        for (int i = 0; i < q.FieldCount(); ++i) (void)q.Fields(i).AsString();
    } else {
      q.ExecSQL();
    }
  } catch (const Error&) {
  }
  q.Close();
  CloseCachedTables();
  ReadAll(dir, st.table.text);
  fuzz::ClearTempDir();
  return 0;
}
