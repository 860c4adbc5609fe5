// CREATE TABLE, INSERT and UPDATE: the bytes they write, what reads them
// back (this engine, python3-dbfread, ogrinfo), and that a refused statement
// changes no byte.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <thread>

#include "dbase/query.h"
#include "dbase/test_support.h"

namespace {

using dbtest::ReadFile;
using dbtest::To1251;

const char kCreateStandard[] =
    "create table 'mrg7493.dbf' (LCHET NUMERIC(6,0),FAMILY CHAR(20),NAME CHAR(20),FATHER CHAR(20),"
    "OT_KOD CHAR(9),NCHETA CHAR(30),SUMMA NUMERIC(11,2))";
const char kInsertHead[] =
    "insert into 'mrg7493.dbf' (LCHET,FAMILY,NAME,FATHER,OT_KOD,NCHETA,SUMMA) values (";

constexpr size_t kStdHeader = 32 + 7 * 32 + 1;
constexpr size_t kStdRecord = 1 + 6 + 20 + 20 + 20 + 9 + 30 + 11;

uint32_t Le(const std::string& b, size_t at, size_t n) {
  uint32_t v = 0;
  for (size_t i = n; i > 0; --i) v = v << 8 | static_cast<uint8_t>(b[at + i - 1]);
  return v;
}

class WriteTest : public dbtest::TempDirTest {
 protected:
  std::string Record(const std::string& file, size_t index, size_t header, size_t length) {
    return ReadFile(PathOf(file)).substr(header + index * length, length);
  }
  // The message of the DbError the statement raises ("" when none).
  std::string Refusal(const std::string& utf8) {
    try {
      Exec(utf8);
    } catch (const DbError& e) {
      return e.what();
    }
    return "";
  }
};

TEST_F(WriteTest, CreateTableWritesAnEmptyDbase3TableMarked1251) {
  Exec(
      "create table 'mrg7493.dbf' (lchet NUMERIC(6,0),Family CHAR(20),NAME CHAR(20),FATHER "
      "CHAR(20),"
      "OT_KOD CHAR(9),NCHETA CHAR(30),SUMMA NUMERIC(11,2))");
  const std::string b = ReadFile(PathOf("mrg7493.dbf"));
  ASSERT_EQ(b.size(), kStdHeader + 1);
  EXPECT_EQ(static_cast<uint8_t>(b[0]), 0x03);
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  EXPECT_EQ(static_cast<uint8_t>(b[1]), t.tm_year);
  EXPECT_EQ(static_cast<uint8_t>(b[2]), t.tm_mon + 1);
  EXPECT_EQ(static_cast<uint8_t>(b[3]), t.tm_mday);
  EXPECT_EQ(Le(b, 4, 4), 0u);
  EXPECT_EQ(Le(b, 8, 2), kStdHeader);
  EXPECT_EQ(Le(b, 10, 2), kStdRecord);
  EXPECT_EQ(static_cast<uint8_t>(b[29]), 0xC9);
  const struct {
    const char* name;
    char type;
    int length, decimals;
  } fields[] = {{"LCHET", 'N', 6, 0},   {"FAMILY", 'C', 20, 0}, {"NAME", 'C', 20, 0},
                {"FATHER", 'C', 20, 0}, {"OT_KOD", 'C', 9, 0},  {"NCHETA", 'C', 30, 0},
                {"SUMMA", 'N', 11, 2}};
  for (size_t i = 0; i < 7; ++i) {
    const std::string d = b.substr(32 + 32 * i, 32);
    EXPECT_EQ(std::string(d.c_str()), fields[i].name);
    EXPECT_EQ(d[11], fields[i].type);
    EXPECT_EQ(static_cast<uint8_t>(d[16]), fields[i].length);
    EXPECT_EQ(static_cast<uint8_t>(d[17]), fields[i].decimals);
  }
  EXPECT_EQ(b[kStdHeader - 1], '\x0D');
  EXPECT_EQ(b[kStdHeader], '\x1A');
}

TEST_F(WriteTest, CreateTableReplacesAnEarlierTable) {
  Exec(kCreateStandard);
  Exec(std::string(kInsertHead) + "181000,'А','Б','В','7493/0086','1','1')");
  Exec(std::string(kInsertHead) + "181000,'А','Б','В','7493/0086','1','2')");
  Exec("create table 'MRG7493.DBF' (A CHAR(2))");  // the same file, told in capitals
  EXPECT_FALSE(std::filesystem::exists(PathOf("MRG7493.DBF")));
  Exec("insert into 'mrg7493.dbf' (A) values ('x')");
  EXPECT_EQ(Rows("mrg7493.dbf"), (std::vector<std::vector<std::string>>{{"x"}}));
}

struct StoredCase {
  const char* column;
  const char* value;  // as written in the statement
  const char* stored;
  const char* shown;
};

// One INSERT per case into the standard combined table.
const StoredCase kStored[] = {
    {"SUMMA", "'1520.5'", "    1520.50", "1520,5"},
    {"SUMMA", "'1500'", "    1500.00", "1500"},
    {"SUMMA", "'0.05'", "       0.05", "0,05"},
    {"SUMMA", "0.005", "       0.01", "0,01"},
    {"SUMMA", "'0.015'", "       0.02", "0,02"},
    {"SUMMA", "-3.5", "      -3.50", "-3,5"},
    {"SUMMA", "''", "           ", ""},
    {"SUMMA", "' 12 '", "      12.00", "12"},
    {"SUMMA", "'99999999.99'", "99999999.99", "99999999,99"},
    {"LCHET", "181000", "181000", "181000"},
    {"LCHET", "'181000'", "181000", "181000"},
    {"LCHET", "7.5", "     8", "8"},
    {"FAMILY", "'Иванов'", "\xC8\xE2\xE0\xED\xEE\xE2              ", "Иванов"},
    {"FAMILY", "''", "                    ", ""},
    {"FAMILY", "'O''Brien'", "O'Brien             ", "O'Brien"},
    {"FAMILY", "'123456789012345678901234'", "12345678901234567890", "12345678901234567890"},
    {"OT_KOD", "'7493/00861'", "7493/0086", "7493/0086"},
    {"OT_KOD", "7493", "7493     ", "7493"},
};

TEST_F(WriteTest, ValuesAreStoredRightAlignedRoundedOrCutAndReadBack) {
  Exec(kCreateStandard);
  const char* order[] = {"LCHET", "FAMILY", "NAME", "FATHER", "OT_KOD", "NCHETA", "SUMMA"};
  const size_t offsets[] = {1, 7, 27, 47, 67, 76, 106};
  for (size_t i = 0; i < std::size(kStored); ++i) {
    const StoredCase& c = kStored[i];
    SCOPED_TRACE(std::string(c.column) + " = " + c.value);
    Exec(std::string("insert into 'mrg7493.dbf' (") + c.column + ") values (" + c.value + ")");
    size_t k = 0;
    while (std::string(order[k]) != c.column) ++k;
    const std::string rec = Record("mrg7493.dbf", i, kStdHeader, kStdRecord);
    const std::string stored(c.stored);
    EXPECT_EQ(rec.substr(offsets[k], stored.size()), stored);
    EXPECT_EQ(rec[0], ' ');
    EXPECT_EQ(Rows("mrg7493.dbf")[i][k], c.shown);
    // Columns not named stay empty: blanks, NULL on reading.
    for (size_t other = 0; other < 7; ++other)
      if (other != k) {
        EXPECT_EQ(Rows("mrg7493.dbf")[i][other], "") << order[other];
      }
  }
}

TEST_F(WriteTest, HeaderCountAndEndMarkerStayRightAfterEveryInsert) {
  Exec(kCreateStandard);
  for (int i = 1; i <= 3; ++i) {
    Exec(std::string(kInsertHead) + "181000,'Ф','И','О','7493/0086','1','" + std::to_string(i) +
         "')");
    const std::string b = ReadFile(PathOf("mrg7493.dbf"));  // while the table is still held open
    EXPECT_EQ(Le(b, 4, 4), static_cast<uint32_t>(i));
    EXPECT_EQ(b.at(kStdHeader + i * kStdRecord), '\x1A');
  }
  CloseCachedTables();
  EXPECT_EQ(std::filesystem::file_size(PathOf("mrg7493.dbf")), kStdHeader + 3 * kStdRecord + 1);
}

TEST_F(WriteTest, UpdateSetsEveryLiveRowAndLeavesDeletedOnes) {
  CopyFixture("deleted.dbf");
  const std::string before = ReadFile(PathOf("deleted.dbf"));
  Exec("update 'deleted.dbf' set SUMMA=7, OT_KOD='x'");
  const std::string after = ReadFile(PathOf("deleted.dbf"));
  ASSERT_EQ(after.size(), before.size());
  const size_t header = Le(before, 8, 2), length = Le(before, 10, 2);
  for (size_t r = 0; r < 5; ++r) {
    const std::string was = before.substr(header + r * length, length);
    const std::string now = after.substr(header + r * length, length);
    if (was[0] == '*') {
      EXPECT_EQ(now, was) << r;
    } else {
      EXPECT_EQ(now, " x" + std::string(8 + 7, ' ') + "7.00") << r;
    }
  }
  EXPECT_EQ(Rows("deleted.dbf"), (std::vector<std::vector<std::string>>(3, {"x", "7"})));
}

TEST_F(WriteTest, WhereComparesTextTrimmedAndNumbersByValue) {
  CopyFixture("std_1251.dbf", "SPISOK.DBF");
  Exec("update 'SPISOK.DBF' set NAME='A' where OT_KOD='7493/0086'");  // stored "7493/0086 " (width
                                                                      // 10)
  Exec("update 'spisok.dbf' set NAME='B' where OT_KOD=' 7493/0164  '");
  Exec("update 'SPISOK.DBF' set NAME='C' where SUMMA='1500'");  // stored "1500.00"
  Exec("update 'SPISOK.DBF' set NAME='D' where summa=-3.50");
  Exec("update 'SPISOK.DBF' set NAME='E' where LCHET=''");  // NULL
  Exec("update 'SPISOK.DBF' set NAME='never' where OT_KOD='7493/008'");
  std::vector<std::string> names;
  for (const auto& row : Rows("SPISOK.DBF")) names.push_back(row[2]);
  EXPECT_EQ(names, (std::vector<std::string>{"A", "C", "B", "D", "E"}));
}

TEST_F(WriteTest, TheLchetUpdatesOfBothLayouts) {
  CopyFixture("std_1251.dbf", "SPISOK.DBF");
  CopyFixture("benefit_65.dbf", "BENEFIT.DBF");
  Exec("update 'SPISOK.DBF' set lchet=181000");
  Exec("update 'BENEFIT.DBF' set lchet='181000'");
  for (const auto& row : Rows("SPISOK.DBF")) EXPECT_EQ(row[0], "181000");
  for (const auto& row : Rows("BENEFIT.DBF")) EXPECT_EQ(row[0], "181000");
}

TEST_F(WriteTest, TablesMarked866AreWrittenIn866) {
  CopyFixture("std_866.dbf", "S.DBF");
  Exec("insert into 'S.DBF' (FAMILY,SUMMA) values ('Ёжиков','1')");
  Exec("update 'S.DBF' set NAME='Ёж' where FAMILY='Ёжиков'");
  const std::string b = ReadFile(PathOf("S.DBF"));
  const size_t header = Le(b, 8, 2), length = Le(b, 10, 2);
  const std::string rec = b.substr(header + 5 * length, length);
  EXPECT_EQ(rec.substr(7, 6), "\xF0\xA6\xA8\xAA\xAE\xA2");  // Ёжиков in 866
  EXPECT_EQ(rec.substr(27, 2), "\xF0\xA6");
  EXPECT_EQ(Rows("S.DBF").back()[1], "Ёжиков");
  EXPECT_EQ(Rows("S.DBF").back()[2], "Ёж");
}

// Each statement is refused; the message names what and where.
struct RefusedCase {
  const char* statement;
  std::vector<const char*> mentions;
};

const RefusedCase kRefusedStatements[] = {
    {"insert into 'mrg7493.dbf' (LCHET) values (1234567)",
     {"mrg7493.dbf", "LCHET", "1234567", "NUMERIC(6,0)"}},
    {"insert into 'mrg7493.dbf' (SUMMA) values ('1000000000')",
     {"mrg7493.dbf", "SUMMA", "1000000000"}},
    {"insert into 'mrg7493.dbf' (SUMMA) values ('12,5')", {"SUMMA", "12,5", "not a number"}},
    {"insert into 'mrg7493.dbf' (FAMILY,SUMMA) values ('ok','abc')", {"SUMMA", "abc"}},
    {"insert into 'mrg7493.dbf' (B3) values ('01')", {"mrg7493.dbf", "B3"}},
    {"insert into 'mrg7493.dbf' (FAMILY,family) values ('a','b')", {"family", "twice"}},
    {"insert into 'mrg7493.dbf' (FAMILY,NAME) values ('a')",
     {"mrg7493.dbf", "2 columns", "1 values"}},
    {"insert into 'mrg7493.dbf' (FAMILY) values ('a'", {"position 47", "expected \")\""}},
    {"insert into 'nothere.dbf' (FAMILY) values ('a')", {"nothere.dbf", "does not exist"}},
    {"update 'mrg7493.dbf' set SUMMA='x'", {"SUMMA", "'x'"}},
    {"update 'mrg7493.dbf' set FAMILY='a', LCHET=9999999", {"LCHET", "9999999"}},
    {"update 'mrg7493.dbf' set FAMILY='a' where B3='1'", {"mrg7493.dbf", "B3"}},
    {"update 'mrg7493.dbf' set FAMILY='a' where SUMMA='x'", {"SUMMA", "'x'", "WHERE"}},
    {"create table 'mrg7493.dbf' (ABCDEFGHIJK CHAR(2))", {"ABCDEFGHIJK", "1 to 10"}},
    {"create table 'mrg7493.dbf' (A CHAR(2), a CHAR(3))", {"twice"}},
    {"create table 'mrg7493.dbf' (A CHAR(0))", {"CHAR width"}},
    {"create table 'mrg7493.dbf' (A NUMERIC(3,2))", {"NUMERIC scale"}},
    {"create table 'mrg7493.dbf' (A NUMERIC(21,0))", {"NUMERIC precision"}},
};

TEST_F(WriteTest, RefusedStatementsChangeNoByte) {
  Exec(kCreateStandard);
  Exec(std::string(kInsertHead) + "181000,'Ф','И','О','7493/0086','1','1520.5')");
  const std::string before = ReadFile(PathOf("mrg7493.dbf"));
  for (const RefusedCase& c : kRefusedStatements) {
    const std::string message = Refusal(c.statement);
    ASSERT_FALSE(message.empty()) << "accepted: " << c.statement;
    for (const char* m : c.mentions) EXPECT_NE(message.find(m), std::string::npos) << message;
    EXPECT_EQ(ReadFile(PathOf("mrg7493.dbf")), before) << c.statement;
  }
  EXPECT_FALSE(std::filesystem::exists(PathOf("nothere.dbf")));
}

TEST_F(WriteTest, ATableChangedBehindTheEnginesBackIsReopened) {
  Exec(kCreateStandard);
  Exec(std::string(kInsertHead) + "1,'a','','','','','1')");
  // Another program appends a row of its own in place (same file, new count).
  CopyFixture("std_1251.dbf", "other.dbf");
  {
    std::string b = ReadFile(PathOf("mrg7493.dbf"));
    b.resize(kStdHeader + kStdRecord);
    b += " " + std::string(kStdRecord - 1, ' ') + "\x1A";
    b[4] = 2;
    dbtest::WriteFile(PathOf("mrg7493.dbf"), b);
  }
  Exec(std::string(kInsertHead) + "3,'c','','','','','3')");
  auto rows = Rows("mrg7493.dbf");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[2][0], "3");
  // The file replaced by another one altogether.
  std::filesystem::rename(PathOf("other.dbf"), PathOf("mrg7493.dbf"));
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  Exec("insert into 'mrg7493.dbf' (FAMILY) values ('new')");
  rows = Rows("mrg7493.dbf");
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[5][1], "new");
}

TEST_F(WriteTest, BenefitLayoutTableTakesItsRow) {
  Exec(
      "create table 'mrg7493.dbf' (LCHET CHAR(6),FAMILY CHAR(20),NAME CHAR(20),FATHER "
      "CHAR(20),OT_KOD CHAR(9),"
      "NCHETA CHAR(25),SUMMA NUMERIC(11,2),B3 CHAR(2))");
  Exec(
      "insert into 'mrg7493.dbf' (LCHET,FAMILY,NAME,FATHER,OT_KOD,NCHETA,SUMMA,B3) values "
      "('181000','Ёлкин','Пётр','Ильич','7493/0086','1234567890123456789012345','1520.5','01')");
  EXPECT_EQ(Rows("mrg7493.dbf"),
            (std::vector<std::vector<std::string>>{{"181000", "Ёлкин", "Пётр", "Ильич", "7493/0086",
                                                    "1234567890123456789012345", "1520,5", "01"}}));
}

TEST_F(WriteTest, AppendsToAVisualFoxProTableFillOtherTypesEmpty) {
  CopyFixture("vfp_866.dbf", "V.DBF");
  Exec("insert into 'V.DBF' (SUMMA,FAMILY) values ('2.25','Новый')");
  EXPECT_EQ(Rows("V.DBF").back(), (std::vector<std::string>{"Новый", "2,25", "0", "", ""}));
  EXPECT_NE(Refusal("insert into 'V.DBF' (DATA) values ('20240101')").find("date"),
            std::string::npos);
  EXPECT_NE(Refusal("update 'V.DBF' set KOL=1").find("integer"), std::string::npos);
  EXPECT_EQ(Rows("V.DBF").size(), 4u);
}

TEST_F(WriteTest, HiddenSystemFieldsAreFilledButNeitherShownNorNamed) {
  CopyFixture("fox_30.dbf", "F.DBF");
  Exec("insert into 'F.DBF' (OT_KOD) values ('new')");
  const std::string b = ReadFile(PathOf("F.DBF"));
  EXPECT_EQ(b[static_cast<size_t>(Le(b, 8, 2)) + 4 * 39 + 38], '\0');  // _NullFlags of the new row
  EXPECT_EQ(Rows("F.DBF").back(), (std::vector<std::string>{"new", "", "", "", ""}));
  EXPECT_NE(Refusal("insert into 'F.DBF' (_NullFlags) values ('1')").find("no column _NullFlags"),
            std::string::npos);
}

TEST_F(WriteTest, TwoSpellingsOfTheDirectoryWriteOneTable) {
  Exec(kCreateStandard);
  Query a, b;
  a.DatabaseName = Dir();
  b.DatabaseName = Dir() + "/./";
  for (int i = 0; i < 4; ++i) {
    Query& q = i % 2 ? b : a;
    q.SQL.Clear();
    q.SQL.Add("insert into 'mrg7493.dbf' (LCHET) values (" + std::to_string(i) + ")");
    q.ExecSQL();
  }
  std::vector<std::string> got;
  for (const auto& row : Rows("mrg7493.dbf")) got.push_back(row[0]);
  EXPECT_EQ(got, (std::vector<std::string>{"0", "1", "2", "3"}));
}

// The combined table as the processing run builds it, read by other readers.
class ReadersTest : public WriteTest {
 protected:
  void SetUp() override {
    WriteTest::SetUp();
    Exec(kCreateStandard);
    Exec(std::string(kInsertHead) +
         "181000,'ФАМИЛИЯ','ИМЯ','ОТЧЕСТВО','7493/0086','12345678901234567890','1520.5')");
    Exec(std::string(kInsertHead) + "181000,'Ёлкин','Пётр','','7493/0164','40817','0.05')");
    Exec("insert into 'mrg7493.dbf' (FAMILY,SUMMA) values ('Пустой','')");
    Exec("update 'mrg7493.dbf' set OT_KOD='7493/0165' where OT_KOD='7493/0086'");
  }
};

TEST_F(ReadersTest, Dbfread) {
  if (!std::filesystem::exists("/usr/bin/python3")) GTEST_SKIP() << "no /usr/bin/python3";
  const auto r = dbtest::RunCommand(
      "/usr/bin/python3 -c \"import sys, dbfread\n"
      "for rec in dbfread.DBF(sys.argv[1]):\n"
      "    print('|'.join('' if v is None else str(v) for v in rec.values()))\" " +
      PathOf("mrg7493.dbf").string());
  if (r.output.find("No module named") != std::string::npos) GTEST_SKIP() << r.output;
  ASSERT_TRUE(r.ok) << r.output;
  EXPECT_EQ(r.output,
            "181000|ФАМИЛИЯ|ИМЯ|ОТЧЕСТВО|7493/0165|12345678901234567890|1520.5\n"
            "181000|Ёлкин|Пётр||7493/0164|40817|0.05\n"
            "|Пустой|||||\n");
}

TEST_F(ReadersTest, DbfreadReadsRowsAppendedToAForeign866List) {
  if (!std::filesystem::exists("/usr/bin/python3")) GTEST_SKIP() << "no /usr/bin/python3";
  CopyFixture("std_866.dbf", "SPISOK.DBF");
  Exec("update 'SPISOK.DBF' set lchet=181000");
  Exec("insert into 'SPISOK.DBF' (FAMILY,SUMMA,OT_KOD) values ('Ёжиков','0.5','7493/0001')");
  const auto r = dbtest::RunCommand(
      "/usr/bin/python3 -c \"import sys, dbfread\n"
      "for rec in dbfread.DBF(sys.argv[1]):\n"
      "    print(rec['LCHET'], rec['FAMILY'], rec['OT_KOD'], rec['SUMMA'])\" " +
      PathOf("SPISOK.DBF").string());
  if (r.output.find("No module named") != std::string::npos) GTEST_SKIP() << r.output;
  ASSERT_TRUE(r.ok) << r.output;
  EXPECT_EQ(r.output,
            "181000 Иванов 7493/0086 1520.5\n"
            "181000 Пётр-Ёлкин 7493/00861 1500.0\n"
            "181000 Smith №5 7493/0164 0.05\n"
            "181000 Щукина 7493/7493 -3.5\n"
            "181000 Без суммы 7493/0000 None\n"
            "None Ёжиков 7493/0001 0.5\n");
}

TEST_F(ReadersTest, Ogrinfo) {
  if (!std::filesystem::exists("/usr/bin/ogrinfo")) GTEST_SKIP() << "no ogrinfo";
  CloseCachedTables();
  const auto r = dbtest::RunCommand("/usr/bin/ogrinfo -al -ro " + PathOf("mrg7493.dbf").string());
  ASSERT_TRUE(r.ok) << r.output;
  const char* expected[] = {"Feature Count: 3",
                            "FAMILY (String) = ФАМИЛИЯ",
                            "OT_KOD (String) = 7493/0165",
                            "NCHETA (String) = 12345678901234567890",
                            "SUMMA (Real) = 1520.5",
                            "LCHET (Integer) = 181000",
                            "FAMILY (String) = Ёлкин",
                            "NAME (String) = Пётр",
                            "SUMMA (Real) = 0.05",
                            "FAMILY (String) = Пустой",
                            "SUMMA (Real) = (null)"};
  for (const char* line : expected)
    EXPECT_NE(r.output.find(line), std::string::npos) << line << "\n" << r.output;
}

}  // namespace
