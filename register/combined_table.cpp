#include "register/combined_table.h"

#include <array>

#include "platform/codepage.h"
#include "register/text.h"

namespace {

struct Remap {
  const char* before;
  const char* after;
};

// Applied in this order. No "after" code is also a "before" code, so each row
// changes at most once.
constexpr std::array<Remap, 12> kRemapTable = {{
    {"7493/0086", "7493/0165"},
    {"7493/0164", "7493/0243"},
    {"7493/0281", "7493/0293"},
    {"7493/0107", "7493/0222"},
    {"7493/0200", "7493/0206"},
    {"7493/0168", "7493/0047"},
    {"7493/0087", "7493/0047"},
    {"7493/0089", "7493/0035"},
    {"7493/0155", "7493/0136"},
    {"7493/0009", "7493/0190"},
    {"7493/7493", "7493/0199"},
    {"7493/0000", "7493/0199"},
}};

const char* TypeName(TFieldType type) {
  switch (type) {
    case ftBoolean:
      return "logical";
    case ftDate:
      return "date";
    case ftMemo:
      return "memo";
    case ftBlob:
      return "binary";
    case ftGraphic:
      return "general";
    case ftCurrency:
      return "currency";
    case ftDateTime:
      return "date-time";
    default:
      return "unsupported";
  }
}

bool Copyable(TFieldType type) { return type == ftString || type == ftFloat || type == ftInteger; }

// A text value between apostrophes, each apostrophe inside doubled so that
// the engine reads the value back unchanged (O'Neil stays O'Neil).
void AppendQuoted(std::string& out, const std::string& value) {
  out += '\'';
  for (char c : value) {
    if (c == '\'') out += '\'';
    out += c;
  }
  out += '\'';
}

void AppendValue(std::string& out, Field& field, TFieldType type, bool first) {
  if (!first) out += ',';
  switch (type) {
    case ftString:
      AppendQuoted(out, field.AsString());
      break;
    case ftFloat: {
      std::string number = CommaToDot(field.AsString());
      // The first field goes unquoted, later ones quoted; an empty value is
      // always written '' so that a blank amount keeps the statement whole.
      if (first && !number.empty())
        out += number;
      else
        AppendQuoted(out, number);
      break;
    }
    case ftInteger:
      out += std::to_string(field.AsInteger());
      break;
    default:
      break;
  }
}

}  // namespace

std::string LchetUpdateStatement(const std::string& list, bool benefitLayout) {
  return "update '" + list + (benefitLayout ? "' set lchet='181000'" : "' set lchet=181000");
}

std::string CreateCombinedStatement(bool benefitLayout) {
  return benefitLayout
             ? "create table 'mrg7493.dbf' (LCHET CHAR(6),FAMILY CHAR(20),NAME CHAR(20),FATHER "
               "CHAR(20),OT_KOD CHAR(9),NCHETA CHAR(25),SUMMA NUMERIC(11,2),B3 CHAR(2))"
             : "create table 'mrg7493.dbf' (LCHET NUMERIC(6,0),FAMILY CHAR(20),NAME "
               "CHAR(20),FATHER "
               "CHAR(20),OT_KOD CHAR(9),NCHETA CHAR(30),SUMMA NUMERIC(11,2))";
}

void RunStatement(Query& query, const std::string& directory, const std::string& statement) {
  query.DatabaseName = directory;
  query.SQL.Clear();
  query.SQL.Add(statement);
  query.ExecSQL();
}

std::string InsertHead(const std::string& combined, const std::vector<Field*>& fields) {
  std::string head = "insert into '" + combined + "' (";
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) head += ',';
    head += fields[i]->FieldName();
  }
  return head + ") values (";
}

void AppendRowValues(std::string& statement, const std::vector<Field*>& fields,
                     const std::vector<TFieldType>& types) {
  for (size_t i = 0; i < fields.size(); ++i) AppendValue(statement, *fields[i], types[i], i == 0);
  statement += ')';
}

void ImportTable(std::string combined, std::string list, std::string directory, Query& query1,
                 Query& query2, ImportView& view) {
  view.SetButton2Caption(Cp1251("Обрабатываем: ") + list);
  view.Repaint();

  query1.DatabaseName = directory;
  query2.DatabaseName = directory;
  query1.SQL.Clear();
  query2.SQL.Clear();
  query1.SQL.Add("select * from '" + list + "'");
  query1.Open();

  const int fieldCount = query1.FieldCount();
  std::vector<TFieldType> types(fieldCount);
  std::vector<Field*> fields(fieldCount);
  for (int i = 0; i < fieldCount; ++i) {
    types[i] = query1.FieldDefs(i).DataType;
    fields[i] = &query1.Fields(i);
    if (!Copyable(types[i]))
      throw DbError("Payment list " + list + ": column " + fields[i]->FieldName() + " is of " +
                    TypeName(types[i]) + " type, which cannot be copied into " + combined);
  }

  const std::string head = InsertHead(combined, fields);

  view.SetProgressMin(0);
  view.SetProgressMax(query1.RecordCount());
  view.SetProgressPosition(0);

  std::string statement;
  for (bool row = query1.FindFirst(); row; row = query1.FindNext()) {
    query2.SQL.Clear();
    statement = head;
    AppendRowValues(statement, fields, types);
    query2.SQL.Add(statement);
    query2.ExecSQL();
    view.SetProgressPosition(view.ProgressPosition() + 1);
    view.Repaint();
  }

  query1.Close();
  query2.Close();
  view.SetProgressPosition(0);
  view.SetButton2Caption(Cp1251("Обработать"));
  view.Repaint();
}

void RemapBranchCodes(std::string combined, std::string directory, Query& query1) {
  query1.DatabaseName = directory;
  for (const auto& remap : kRemapTable) {
    query1.SQL.Clear();
    query1.SQL.Add("update '" + combined + "' set OT_KOD='" + remap.after + "' where OT_KOD='" +
                   remap.before + "'");
    query1.ExecSQL();
  }
}
