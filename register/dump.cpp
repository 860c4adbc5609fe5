#include "register/dump.h"

#include "platform/codepage.h"
#include "platform/error.h"
#include "register/dump_format.h"

namespace {

// A line break inside a value would split its row into two dump lines,
// which the register would read as two payments.
void RefuseLineBreak(const std::string& text, const std::string& table, int row,
                     const std::string& field) {
  if (text.find_first_of("\r\n") == std::string::npos) return;
  throw Error("Table " + table + ", row " + std::to_string(row) + ", field " + field +
              ": a value holding a line break cannot be dumped: '" + text + "'");
}

}  // namespace

void DumpTable(std::string tableFileName, std::string directory, std::string outputPath,
               std::string codePageWord, bool amountFlag, FileSystem& fs) {
  Query query;
  query.DatabaseName = directory;
  query.SQL.Clear();
  query.SQL.Add("select * from " + tableFileName);
  query.Open();

  const int fieldCount = query.FieldCount();
  const bool toOem = codePageWord == "dos";
  std::string dump;
  std::string line;
  int row = 0;
  for (bool found = query.FindFirst(); found; found = query.FindNext()) {
    ++row;
    line.clear();
    for (int i = 0; i < fieldCount; ++i) {
      const FieldDef& def = query.FieldDefs(i);
      const std::string value = query.Fields(i).AsString();
      RefuseLineBreak(value, tableFileName, row, def.Name);
      AppendDumpField(line, value, def.DataType, def.Size, amountFlag);
      line += '|';
    }
    if (toOem) Cp1251ToCp866InPlace(line);
    dump += line;
    dump += "\r\n";
  }
  query.Close();
  WriteFileAtomically(outputPath, dump, fs);
}
