#include "register/dump.h"

#include <vector>

#include "platform/codepage.h"
#include "platform/error.h"
#include "register/dump_format.h"

namespace {

// A line break inside a value would split its row into two dump lines,
// which the register would read as two payments.
void RefuseLineBreak(const std::string& text, const std::string& table, int row,
                     const std::string& field) {
  for (const char c : text) {
    if (c != '\r' && c != '\n') continue;
    throw Error("Table " + table + ", row " + std::to_string(row) + ", field " + field +
                ": a value holding a line break cannot be dumped: '" + text + "'");
  }
}

}  // namespace

void DumpTable(std::string tableFileName, std::string directory, std::string outputPath,
               std::string codePageWord, bool amountFlag, FileSystem& fs) {
  Query query;
  query.DatabaseName = directory;
  query.SQL.Clear();
  query.SQL.Add("select * from " + tableFileName);
  query.Open();

  struct Column {
    Field* field;
    const FieldDef* def;
  };
  std::vector<Column> columns;
  for (int i = 0; i < query.FieldCount(); ++i)
    columns.push_back({&query.Fields(i), &query.FieldDefs(i)});
  const bool toOem = codePageWord == "dos";

  // The lines go to a temporary file that replaces the output file only
  // after the last row; an error before that leaves the earlier file.
  AtomicFileWriter out(outputPath, fs);
  std::string block;
  block.reserve(AtomicFileWriter::kBlockSize + 4096);
  int row = 0;
  for (bool found = query.FindFirst(); found; found = query.FindNext()) {
    ++row;
    const size_t lineStart = block.size();
    for (const Column& c : columns) {
      const std::string value = c.field->AsString();
      RefuseLineBreak(value, tableFileName, row, c.def->Name);
      AppendDumpField(block, value, c.def->DataType, c.def->Size, amountFlag);
      block += '|';
    }
    if (toOem) Cp1251ToCp866InPlace(block.data() + lineStart, block.size() - lineStart);
    block += "\r\n";
    if (block.size() >= AtomicFileWriter::kBlockSize) {
      out.Append(block);
      block.clear();
    }
  }
  query.Close();
  out.Append(block);
  out.Commit();
}
