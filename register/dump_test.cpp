#include "register/dump.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "dbase/query.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/file_system_fake.h"
#include "register/register_writer.h"

#include "platform/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string Fixture(const std::string& name) {
  const char* root = std::getenv("KVOTER_SOURCE_DIR");
  return std::string(root ? root : ".") + "/register/testdata/" + name;
}

class DumpTableTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  void Put(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  std::string Get(const std::string& name) const { return ReadFileBytes(Path(name)); }
  void CopyFixture(const std::string& fixture, const std::string& name) const {
    fs::copy_file(Fixture(fixture), Path(name));
  }
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.insert(e.path().filename());
    return names;
  }
  void Exec(const std::string& statement) const {
    Query q;
    q.DatabaseName = dir_;
    q.SQL.Clear();
    q.SQL.Add(statement);
    q.ExecSQL();
  }
  std::string DumpOf(const std::string& table, const std::string& word, bool amountFlag) const {
    DumpTable(table, dir_, Path("out.txt"), word, amountFlag);
    return Get("out.txt");
  }

  TempDir tmp_;
  std::string dir_ = tmp_.Path().string();
};

// The combined table of each layout, dumped and registered, byte for byte.
TEST_F(DumpTableTest, GoldenDumpAndRegisterOfBothLayouts) {
  const std::string layouts[] = {"standard", "benefit"};
  for (const std::string& layout : layouts) {
    CopyFixture("mrg_" + layout + ".dbf", "mrg7493.dbf");
    Put("7493.txt", "an earlier dump, longer than nothing\r\n");
    DumpTable("mrg7493.dbf", dir_, Path("7493.txt"), "dos", true);
    EXPECT_EQ(Get("7493.txt"), ReadFileBytes(Fixture("dump_" + layout + ".txt"))) << layout;

    const RegisterSummary summary = WriteRegister(dir_, layout == "benefit");
    EXPECT_EQ(summary.RecordCount, 6);
    EXPECT_EQ(summary.TotalText, "183766.55");
    EXPECT_EQ(Get("74931.txt"), ReadFileBytes(Fixture("register_" + layout + ".txt"))) << layout;
    EXPECT_EQ(Get("74931.kkk"), ReadFileBytes(Fixture("control_" + layout + ".kkk"))) << layout;
    fs::remove(Path("mrg7493.dbf"));
  }
}

TEST_F(DumpTableTest, OnlyTheExactWordDosConvertsTo866) {
  CopyFixture("mrg_standard.dbf", "mrg7493.dbf");
  const std::string golden866 = ReadFileBytes(Fixture("dump_standard.txt"));
  for (const char* word : {"DOS", "win", "", "dos "}) {
    const std::string dump = DumpOf("mrg7493.dbf", word, true);
    EXPECT_EQ(dump, Cp866ToCp1251(golden866)) << word;
    EXPECT_EQ(dump.substr(21, 6), Cp1251("ИВАНОВ")) << word;  // А stays 0xC0
  }
  EXPECT_EQ(DumpOf("mrg7493.dbf", "dos", true).substr(21, 6), "\x88\x82\x80\x8D\x8E\x82");
}

TEST_F(DumpTableTest, RendersDatesLogicalsIntegersAndEmptyValues) {
  CopyFixture("types.dbf", "types.dbf");
  EXPECT_EQ(DumpOf("types.dbf", "dos", true),
            Utf8ToCp866("Иванов    |01.02.2024|True |1520.50             |\r\n"
                        "Петров    |31.12.1999|False|12.00               |\r\n"
                        "          |          |     |.00                 |\r\n"));
  EXPECT_EQ(DumpOf("types.dbf", "win", false).substr(0, 49),
            Cp1251("Иванов    |01.02.2024|True |1520.5              |"));

  CopyFixture("integer.dbf", "integer.dbf");
  EXPECT_EQ(DumpOf("integer.dbf", "dos", true), "AB   |42|\r\nCD   |-7|\r\n");
}

TEST_F(DumpTableTest, ConvertsLinesLongerThan299CharactersWhole) {
  CopyFixture("wide.dbf", "wide.dbf");
  const std::string dump = DumpOf("wide.dbf", "dos", true);
  EXPECT_EQ(dump, std::string(200, '\x9F') + "|" + std::string(200, '\xF1') + "|\r\n");
}

TEST_F(DumpTableTest, AnEmptyTableGivesAnEmptyFileReplacingAnEarlierOne) {
  Exec(
      "create table 'mrg7493.dbf' (LCHET NUMERIC(6,0),FAMILY CHAR(20),NAME CHAR(20),"
      "FATHER CHAR(20),OT_KOD CHAR(9),NCHETA CHAR(30),SUMMA NUMERIC(11,2))");
  Put("out.txt", "earlier");
  EXPECT_EQ(DumpOf("mrg7493.dbf", "dos", true), "");
}

TEST_F(DumpTableTest, RowsInsertedThroughTheEngineAreDumpedInOrder) {
  Exec(
      "create table 'mrg7493.dbf' (LCHET CHAR(6),FAMILY CHAR(20),NAME CHAR(20),"
      "FATHER CHAR(20),OT_KOD CHAR(9),NCHETA CHAR(25),SUMMA NUMERIC(11,2),B3 CHAR(2))");
  Exec(Cp1251("insert into 'mrg7493.dbf' (LCHET,FAMILY,SUMMA) values ('181000','ЯКОВЛЕВ','0.5')"));
  Exec("insert into 'mrg7493.dbf' (LCHET,OT_KOD,SUMMA) values ('181000','7493/0086','1500')");
  const std::string dump = DumpOf("mrg7493.dbf", "dos", true);
  ASSERT_EQ(dump.size(), 2u * 132);
  EXPECT_EQ(dump.substr(0, 28), "181000|" + Utf8ToCp866("ЯКОВЛЕВ") + std::string(13, ' ') + "|");
  EXPECT_EQ(dump.substr(106, 21), "0.50                |");
  EXPECT_EQ(dump.substr(132 + 70, 10), "7493/0086|");
  EXPECT_EQ(dump.substr(132 + 106, 21), "1500                |");
}

TEST_F(DumpTableTest, AValueHoldingALineBreakIsRefusedAndNothingIsWritten) {
  CopyFixture("linebreak.dbf", "linebreak.dbf");
  Put("out.txt", "earlier");
  try {
    DumpTable("linebreak.dbf", dir_, Path("out.txt"), "dos", true);
    ADD_FAILURE();
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Table linebreak.dbf, row 2, field NAME: ", 0), 0u)
        << e.what();
  }
  EXPECT_EQ(Get("out.txt"), "earlier");
}

TEST_F(DumpTableTest, ATableThatCannotBeReadLeavesTheEarlierFile) {
  Put("out.txt", "earlier");
  Put("broken.dbf", "not a dBASE table");
  for (const char* table : {"missing.dbf", "broken.dbf"}) {
    EXPECT_THROW(DumpTable(table, dir_, Path("out.txt"), "dos", true), DbError) << table;
    EXPECT_EQ(Get("out.txt"), "earlier");
  }
  EXPECT_EQ(Names(), (std::set<std::string>{"out.txt", "broken.dbf"}));
}

TEST_F(DumpTableTest, AnOutputThatCannotBeWrittenIsNamedAndLeavesNothingBehind) {
  CopyFixture("mrg_standard.dbf", "mrg7493.dbf");
  Put("plain", "a regular file");
  for (const std::string& path : {Path("missing/7493.txt"), Path("plain/7493.txt")}) {
    try {
      DumpTable("mrg7493.dbf", dir_, path, "dos", true);
      ADD_FAILURE() << path;
    } catch (const InOutError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Cannot create file " + path + ": ", 0), 0u)
          << e.what();
    }
  }
  // A failure after part of the dump is written keeps the earlier dump.
  Put("7493.txt", "earlier");
  FailingFileSystem failing;
  failing.fail_at = FailingFileSystem::FailAt::Write;
  failing.fail_after_bytes = 200;
  EXPECT_THROW(DumpTable("mrg7493.dbf", dir_, Path("7493.txt"), "dos", true, failing), InOutError);
  EXPECT_EQ(failing.faults, 1);
  EXPECT_EQ(Get("7493.txt"), "earlier");
  EXPECT_EQ(Names(), (std::set<std::string>{"mrg7493.dbf", "plain", "7493.txt"}));
}

}  // namespace
