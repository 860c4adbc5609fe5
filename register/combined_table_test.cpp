#include "register/combined_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/codepage.h"
#include "platform/temp_dir.h"
#include "register/test_tables.h"

namespace {

namespace fs = std::filesystem;

// A field with a fixed value, as a list's row would give it.
class FixedField : public Field {
 public:
  FixedField(std::string name, TFieldType type, std::string text, int32_t integer = 0)
      : name_(std::move(name)), type_(type), text_(std::move(text)), integer_(integer) {}
  const std::string& FieldName() const override { return name_; }
  TFieldType DataType() const override { return type_; }
  bool IsNull() const override { return text_.empty(); }
  std::string AsString() const override { return text_; }
  int32_t AsInteger() const override { return integer_; }

 private:
  std::string name_;
  TFieldType type_;
  std::string text_;
  int32_t integer_;
};

std::string Statement(std::vector<FixedField> row) {
  std::vector<Field*> fields;
  std::vector<TFieldType> types;
  for (auto& f : row) {
    fields.push_back(&f);
    types.push_back(f.DataType());
  }
  std::string s = InsertHead(kCombinedTable, fields);
  AppendRowValues(s, fields, types);
  return Cp1251ToUtf8(s);
}

TEST(InsertStatement, StandardRowAsTheSystemWritesIt) {
  EXPECT_EQ(Statement({{"LCHET", ftFloat, "181000"},
                       {"FAMILY", ftString, Cp1251("ФАМИЛИЯ")},
                       {"NAME", ftString, Cp1251("ИМЯ")},
                       {"FATHER", ftString, Cp1251("ОТЧЕСТВО")},
                       {"OT_KOD", ftString, "7493/0086"},
                       {"NCHETA", ftString, "12345678901234567890"},
                       {"SUMMA", ftFloat, "1520,5"}}),
            "insert into 'mrg7493.dbf' (LCHET,FAMILY,NAME,FATHER,OT_KOD,NCHETA,SUMMA) values "
            "(181000,'ФАМИЛИЯ','ИМЯ','ОТЧЕСТВО','7493/0086','12345678901234567890','1520.5')");
}

TEST(InsertStatement, ValuesByTypeAndPlace) {
  struct Case {
    const char* what;
    std::vector<FixedField> row;
    const char* values;
  };
  const Case cases[] = {
      {"benefit LCHET is quoted text",
       {{"LCHET", ftString, "181000"}, {"B3", ftString, "01"}},
       "('181000','01')"},
      {"empty values",
       {{"A", ftString, ""}, {"S", ftFloat, ""}, {"I", ftInteger, "", 0}},
       "('','',0)"},
      {"empty float first is quoted empty", {{"S", ftFloat, ""}, {"A", ftString, "x"}}, "('','x')"},
      {"apostrophes doubled", {{"F", ftString, "O'NEIL'"}}, "('O''NEIL''')"},
      {"integers bare, negative too",
       {{"I", ftInteger, "-5", -5}, {"J", ftInteger, "7", 7}},
       "(-5,7)"},
      {"general format kept", {{"S", ftFloat, "1500"}, {"T", ftFloat, "0,5"}}, "(1500,'0.5')"},
  };
  for (const auto& c : cases) {
    const std::string s = Statement(c.row);
    EXPECT_EQ(s.substr(s.find(" values ") + 8), c.values) << c.what;
  }
}

class RecordingView : public ImportView {
 public:
  std::vector<std::string> captions;
  int min = -1, max = -1, position = -1, maxPosition = 0;
  void SetButton2Caption(const std::string& c) override { captions.push_back(Cp1251ToUtf8(c)); }
  void SetProgressMin(int v) override { min = v; }
  void SetProgressMax(int v) override { max = v; }
  void SetProgressPosition(int v) override {
    position = v;
    maxPosition = std::max(maxPosition, v);
  }
  int ProgressPosition() const override { return position; }
  void Repaint() override {}
};

class CombinedTableTest : public ::testing::Test {
 protected:
  void Exec(const std::string& statement) { RunStatement(query_, dir(), statement); }
  std::string dir() const { return dir_.Path().string(); }
  std::vector<std::string> Rows(const std::string& table) { return TableRows(dir(), table); }
  void Import(const std::string& list) {
    ImportTable(kCombinedTable, list, dir(), query1_, query2_, view_);
  }
  TempDir dir_;
  Query query_, query1_, query2_;
  RecordingView view_;
};

TEST_F(CombinedTableTest, CopiesListsWithTheirOwnColumnOrderAndSubset) {
  Exec(CreateCombinedStatement(false));
  // A list with its columns in another order, wider texts, a blank amount.
  Exec(
      "create table 'A.DBF' (SUMMA NUMERIC(11,2),NCHETA CHAR(40),LCHET NUMERIC(6,0),"
      "FAMILY CHAR(20),OT_KOD CHAR(10))");
  Exec(
      Cp1251("insert into 'A.DBF' (SUMMA,NCHETA,LCHET,FAMILY,OT_KOD) values "
             "(1520.50,'1234567890123456789012345678901234','5','O''НИЛ','7493/0086')"));
  Exec("insert into 'A.DBF' (SUMMA,NCHETA,LCHET,FAMILY,OT_KOD) values ('','1','5','','7493/0001')");
  Exec(LchetUpdateStatement("A.DBF", false));
  Import("A.DBF");
  // NCHETA cut to the combined table's 30; the blank amount, first in the
  // list, arrives as NULL.
  EXPECT_EQ(
      Rows(kCombinedTable),
      (std::vector<std::string>{"181000|O'НИЛ|||7493/0086|123456789012345678901234567890|1520,5|",
                                "181000||||7493/0001|1||"}));
  EXPECT_EQ(view_.captions, (std::vector<std::string>{"Обрабатываем: A.DBF", "Обработать"}));
  EXPECT_EQ(view_.max, 2);
  EXPECT_EQ(view_.maxPosition, 2);
  EXPECT_EQ(view_.position, 0);
}

TEST_F(CombinedTableTest, AnEmptyListInsertsNothing) {
  Exec(CreateCombinedStatement(true));
  Exec("create table 'E.DBF' (LCHET CHAR(6),B3 CHAR(2))");
  Import("E.DBF");
  EXPECT_TRUE(Rows(kCombinedTable).empty());
  EXPECT_EQ(view_.max, 0);
  EXPECT_EQ(view_.captions.back(), "Обработать");
}

TEST_F(CombinedTableTest, RefusesAListWithAColumnItCannotCopyBeforeAnyRow) {
  Exec(CreateCombinedStatement(false));
  // python3-dbf writes a date column: an independent writer's list.
  const std::string path = (dir_.Path() / "D.DBF").string();
  const std::string script =
      "import dbf\nt = dbf.Table(r'" + path +
      "', 'lchet N(6,0); paid D', dbf_type='db3', codepage='cp1251')\n"
      "t.open(dbf.READ_WRITE)\nt.append((1, dbf.Date(2026, 12, 1)))\nt.close()\n";
  const std::string cmd = "/usr/bin/python3 -c \"$KV_SCRIPT\"";
  setenv("KV_SCRIPT", script.c_str(), 1);
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  try {
    Import("D.DBF");
    ADD_FAILURE() << "a date column was copied";
  } catch (const DbError& e) {
    const std::string m = e.what();
    EXPECT_NE(m.find("D.DBF"), std::string::npos) << m;
    EXPECT_NE(m.find("PAID"), std::string::npos) << m;
    EXPECT_NE(m.find("date"), std::string::npos) << m;
  }
  EXPECT_TRUE(Rows(kCombinedTable).empty());
}

TEST_F(CombinedTableTest, RemapReplacesEveryOldCode) {
  Exec(CreateCombinedStatement(false));
  const char* before[] = {"7493/0086", "7493/0164", "7493/0281", "7493/0107", "7493/0200",
                          "7493/0168", "7493/0087", "7493/0089", "7493/0155", "7493/0009",
                          "7493/7493", "7493/0000", "7493/0165", "7493/0500"};
  for (const char* code : before)
    Exec(std::string("insert into 'mrg7493.dbf' (OT_KOD) values ('") + code + "')");
  RemapBranchCodes(kCombinedTable, dir(), query_);
  std::string after;
  for (const auto& row : Rows(kCombinedTable)) after += row.substr(row.find("||||") + 4, 9) + ",";
  EXPECT_EQ(after,
            "7493/0165,7493/0243,7493/0293,7493/0222,7493/0206,7493/0047,7493/0047,7493/0035,"
            "7493/0136,7493/0190,7493/0199,7493/0199,7493/0165,7493/0500,");
}

TEST(CombinedTableStatements, ExactTexts) {
  EXPECT_EQ(LchetUpdateStatement("SPISOK.DBF", true), "update 'SPISOK.DBF' set lchet='181000'");
  EXPECT_EQ(LchetUpdateStatement("SPISOK.DBF", false), "update 'SPISOK.DBF' set lchet=181000");
  EXPECT_EQ(CreateCombinedStatement(true),
            "create table 'mrg7493.dbf' (LCHET CHAR(6),FAMILY CHAR(20),NAME CHAR(20),FATHER "
            "CHAR(20),OT_KOD CHAR(9),NCHETA CHAR(25),SUMMA NUMERIC(11,2),B3 CHAR(2))");
  EXPECT_EQ(CreateCombinedStatement(false),
            "create table 'mrg7493.dbf' (LCHET NUMERIC(6,0),FAMILY CHAR(20),NAME CHAR(20),FATHER "
            "CHAR(20),OT_KOD CHAR(9),NCHETA CHAR(30),SUMMA NUMERIC(11,2))");
}

}  // namespace
