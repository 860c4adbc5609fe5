// Reading lists written by an independent writer (python3-dbf) and odd but
// legal files made byte by byte (see testdata/make_fixtures.py).
#include <gtest/gtest.h>

#include "dbase/query.h"
#include "dbase/test_support.h"

namespace {

using dbtest::To1251;
using Rows = std::vector<std::vector<std::string>>;

struct ColumnDef {
  const char* name;
  TFieldType type;
  int size;
};

struct ReadCase {
  const char* file;
  std::vector<ColumnDef> columns;
  Rows rows;
};

const std::vector<ColumnDef> kStandardColumns = {{"LCHET", ftFloat, 0},    {"FAMILY", ftString, 20},
                                                 {"NAME", ftString, 20},   {"FATHER", ftString, 20},
                                                 {"OT_KOD", ftString, 10}, {"NCHETA", ftString, 40},
                                                 {"SUMMA", ftFloat, 0}};

const Rows kStandardRows = {
    {"1", "Иванов", "Иван", "Иванович", "7493/0086", "40817810000000000001", "1520,5"},
    {"2", "Пётр-Ёлкин", "Семён", "Ильич", "7493/00861", "1234567890123456789012345678901234567890",
     "1500"},
    {"3", "Smith №5", "", "", "7493/0164", "", "0,05"},
    {"4", "Щукина", "Эльза", "Юрьевна", "7493/7493", "42307810", "-3,5"},
    {"", "Без суммы", "", "", "7493/0000", "", ""},
};

const std::vector<ColumnDef> kOddColumns = {{"OT_KOD", ftString, 10},
                                            {"SUMMA", ftFloat, 0},
                                            {"LCHET", ftFloat, 0},
                                            {"DATA", ftDate, 0},
                                            {"FLAG", ftBoolean, 0}};
const Rows kOddRows = {{"7493/0086", "1520,5", "181000", "09.03.2024", "True"},
                       {"Ёлка", "0,5", "", "", ""},
                       {"7493/0001", "0,05", "-7", "", ""}};

const ReadCase kCases[] = {
    {"std_1251.dbf", kStandardColumns, kStandardRows},
    {"std_866.dbf", kStandardColumns, kStandardRows},
    {"benefit_65.dbf",
     {{"LCHET", ftString, 6},
      {"FAMILY", ftString, 20},
      {"NAME", ftString, 20},
      {"FATHER", ftString, 20},
      {"OT_KOD", ftString, 9},
      {"NCHETA", ftString, 25},
      {"SUMMA", ftFloat, 0},
      {"B3", ftString, 2}},
     {{"000123", "Иванов", "Иван", "Иванович", "7493/0086", "40817810", "181000", "01"},
      {"", "Ёжиков", "", "", "7493/0087", "", "", ""}}},
    {"reordered.dbf",
     {{"SUMMA", ftFloat, 0}, {"FAMILY", ftString, 20}, {"LCHET", ftFloat, 0}},
     {{"12", "Петров", "7"}, {"", "Пусто", ""}}},
    {"deleted.dbf",
     {{"OT_KOD", ftString, 9}, {"SUMMA", ftFloat, 0}},
     {{"7493/0001", "1"}, {"7493/0003", "3"}, {"7493/0004", "4"}}},
    {"vfp_866.dbf",
     {{"FAMILY", ftString, 20},
      {"SUMMA", ftFloat, 0},
      {"KOL", ftInteger, 0},
      {"DATA", ftDate, 0},
      {"FLAG", ftBoolean, 0}},
     {{"Иванов", "1520,5", "-42", "09.03.2024", "True"},
      {"Пусто", "", "0", "", "False"},
      {"Ёлкин", "0,5", "2147483646", "31.12.1999", ""}}},
    {"fox_30.dbf", kOddColumns, kOddRows},
    {"unmarked.dbf", kOddColumns, kOddRows},
};

class ReadTest : public dbtest::TempDirTest {};

TEST_F(ReadTest, ListsReadBackValueForValue) {
  for (const ReadCase& c : kCases) {
    SCOPED_TRACE(c.file);
    CopyFixture(c.file);
    Query q;
    q.DatabaseName = Dir();
    q.SQL.Clear();
    q.SQL.Add(std::string("select * from '") + c.file + "'");
    q.Open();
    ASSERT_EQ(q.FieldCount(), static_cast<int>(c.columns.size()));
    for (int i = 0; i < q.FieldCount(); ++i) {
      EXPECT_EQ(q.Fields(i).FieldName(), c.columns[i].name);
      EXPECT_EQ(q.FieldDefs(i).Name, c.columns[i].name);
      EXPECT_EQ(q.FieldDefs(i).DataType, c.columns[i].type) << c.columns[i].name;
      EXPECT_EQ(q.Fields(i).DataType(), c.columns[i].type) << c.columns[i].name;
      EXPECT_EQ(q.FieldDefs(i).Size, c.columns[i].size) << c.columns[i].name;
    }
    EXPECT_EQ(q.RecordCount(), static_cast<int>(c.rows.size()));
    EXPECT_EQ(Rows(c.file), c.rows);
  }
}

TEST_F(ReadTest, RowsWalkFromFindFirstToTheLastFindNext) {
  CopyFixture("deleted.dbf");
  Query q;
  q.DatabaseName = Dir() + "/";
  q.SQL.Add("select * from deleted.dbf");
  q.Open();
  EXPECT_TRUE(q.Active());
  EXPECT_EQ(q.FieldByName("ot_kod").AsString(), "7493/0001");  // open on the first row
  ASSERT_TRUE(q.FindFirst());
  ASSERT_TRUE(q.FindNext());
  ASSERT_TRUE(q.FindNext());
  EXPECT_EQ(q.FieldByName("SUMMA").AsInteger(), 4);
  EXPECT_FALSE(q.FindNext());
  EXPECT_EQ(q.FieldByName("SUMMA").AsInteger(), 4);  // stays on the last row
  ASSERT_TRUE(q.FindFirst());
  EXPECT_EQ(q.FieldByName("SUMMA").AsInteger(), 1);
  q.Close();
  EXPECT_FALSE(q.Active());
  EXPECT_THROW(q.FindFirst(), DbError);
}

TEST_F(ReadTest, ListNamesMatchWithoutRegardToCase) {
  CopyFixture("std_1251.dbf", "SPISOK.DBF");
  EXPECT_EQ(Rows("spisok.dbf").size(), 5u);
  EXPECT_EQ(Rows("Spisok.Dbf").size(), 5u);
}

TEST_F(ReadTest, AsIntegerGivesWholeValuesZeroForNullAndRefusesFractions) {
  CopyFixture("std_1251.dbf");
  Query q;
  q.DatabaseName = Dir();
  q.SQL.Add("select * from 'std_1251.dbf'");
  q.Open();
  EXPECT_EQ(q.FieldByName("LCHET").AsInteger(), 1);
  try {
    q.FieldByName("SUMMA").AsInteger();
    ADD_FAILURE() << "1520,5 taken as an integer";
  } catch (const DbError& e) {
    const std::string m = e.what();
    EXPECT_NE(m.find("SUMMA"), std::string::npos) << m;
    EXPECT_NE(m.find("1520.50"), std::string::npos) << m;
    EXPECT_NE(m.find("std_1251.dbf"), std::string::npos) << m;
  }
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(q.FindNext());
  EXPECT_EQ(q.FieldByName("LCHET").AsInteger(), 0);
  EXPECT_TRUE(q.FieldByName("LCHET").IsNull());
  EXPECT_FALSE(q.FieldByName("FAMILY").IsNull());
}

TEST_F(ReadTest, EmptyTableHasNoRows) {
  Exec("create table 'e.dbf' (A CHAR(3))");
  Query q;
  q.DatabaseName = Dir();
  q.SQL.Add("select * from e.dbf");
  q.Open();
  EXPECT_EQ(q.RecordCount(), 0);
  EXPECT_FALSE(q.FindFirst());
  EXPECT_FALSE(q.FindNext());
  EXPECT_EQ(q.Fields(0).AsString(), "");
}

TEST_F(ReadTest, UnknownFieldsAndStatementsThatAreNoSelectAreRefused) {
  CopyFixture("deleted.dbf");
  Query q;
  q.DatabaseName = Dir();
  q.SQL.Add("select * from deleted.dbf");
  q.Open();
  EXPECT_THROW(q.FieldByName("B3"), DbError);
  EXPECT_THROW(q.Fields(2), DbError);
  EXPECT_THROW(q.Fields(-1), DbError);
  q.SQL.Clear();
  q.SQL.Add("update 'deleted.dbf' set SUMMA=1");
  EXPECT_THROW(q.Open(), DbError);
  q.SQL.Clear();
  q.SQL.Add("select * from deleted.dbf");
  EXPECT_THROW(q.ExecSQL(), DbError);
}

}  // namespace
