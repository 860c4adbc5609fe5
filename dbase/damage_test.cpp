// Damaged and foreign files: a clear DbError naming the file, never a crash,
// a hang or a read out of bounds (run under the sanitizers too).
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "dbase/query.h"
#include "dbase/test_support.h"

namespace {

using dbtest::ReadFile;
using dbtest::WriteFile;

class DamageTest : public dbtest::TempDirTest {
 protected:
  // Opens the table and reads every value; the DbError message, or "".
  std::string OpenAndWalk(const std::string& name) {
    try {
      Query q;
      q.DatabaseName = Dir();
      q.SQL.Add("select * from '" + name + "'");
      q.Open();
      (void)q.RecordCount();
      for (bool more = q.FindFirst(); more; more = q.FindNext()) {
        for (int i = 0; i < q.FieldCount(); ++i) {
          try {
            (void)q.Fields(i).AsString();
            (void)q.Fields(i).AsInteger();
          } catch (const DbError&) {
          }
        }
      }
    } catch (const DbError& e) {
      return e.what();
    }
    return "";
  }

  // Tries an INSERT and an UPDATE; a refused one must leave the bytes alone.
  void WriteAndCheckRefusalsChangeNothing(const std::string& name) {
    for (const std::string& sql : {"insert into '" + name + "' (FAMILY,SUMMA) values ('a','1')",
                                   "update '" + name + "' set FAMILY='b' where SUMMA=1"}) {
      const std::string before = ReadFile(PathOf(name));
      try {
        Exec(sql);
      } catch (const DbError&) {
        EXPECT_EQ(ReadFile(PathOf(name)), before) << sql;
      }
    }
    CloseCachedTables();
  }
};

struct ByteCase {
  const char* what;
  size_t offset;
  uint8_t value;
  const char* mentions;
};

// One byte of std_1251.dbf changed (header 257 bytes, records of 128).
const ByteCase kByteCases[] = {
    {"unknown version", 0, 0x00, "unknown version byte 0x00"},
    {"record count far beyond the file", 7, 0x40, "claims"},
    {"record count one too many", 4, 6, "claims 6 records"},
    {"header length beyond the file", 9, 0xFF, "exceeds the file size"},
    {"header length too small", 9, 0x00, "too small"},
    {"record length one more", 10, 129, "record length 129 does not match"},
    {"record length one less", 10, 127, "record length 127 does not match"},
    {"field length changed", 32 + 32 * 1 + 16, 21, "does not match"},
    {"field type unknown", 32 + 32 * 2 + 11, 'Z', "unknown type"},
    {"fewer fields: terminator moved up", 32 + 32 * 6, 0x0D, "does not match"},
    {"terminator missing", 32 + 32 * 7, 0x20, "no 0x0D terminator"},
    {"first field without a name", 32, 0x00, "has no name"},
    {"no fields: terminator in the first descriptor", 32, 0x0D, "declares no fields"},
};

TEST_F(DamageTest, OneChangedHeaderByteIsAClearError) {
  const std::string good = ReadFile(dbtest::Fixture("std_1251.dbf"));
  ASSERT_EQ(good.size(), 257u + 5 * 128 + 1);
  for (const ByteCase& c : kByteCases) {
    SCOPED_TRACE(c.what);
    std::string bad = good;
    bad[c.offset] = static_cast<char>(c.value);
    WriteFile(PathOf("bad.dbf"), bad);
    const std::string message = OpenAndWalk("bad.dbf");
    EXPECT_NE(message.find(c.mentions), std::string::npos) << message;
    EXPECT_NE(message.find("bad.dbf"), std::string::npos) << message;
    WriteAndCheckRefusalsChangeNothing("bad.dbf");
  }
}

TEST_F(DamageTest, TruncatedFilesAreErrorsUpToTheEndMarker) {
  for (const char* fixture : {"std_1251.dbf", "fox_30.dbf"}) {
    const std::string good = ReadFile(dbtest::Fixture(fixture));
    for (size_t size = 0; size < good.size(); ++size) {
      WriteFile(PathOf("cut.dbf"), good.substr(0, size));
      const std::string message = OpenAndWalk("cut.dbf");
      if (size + 1 == good.size()) {
        EXPECT_EQ(message, "") << fixture << ": only the end marker is missing";
      } else {
        EXPECT_NE(message.find("cut.dbf"), std::string::npos)
            << fixture << " cut to " << size << ": " << message;
      }
    }
  }
}

TEST_F(DamageTest, FilesThatAreNoTablesAreNamedInTheError) {
  CopyFixture("not_a_table.dbf");
  WriteFile(PathOf("empty.dbf"), "");
  std::filesystem::create_directory(PathOf("folder.dbf"));
  const struct {
    const char* file;
    const char* mentions;
  } cases[] = {{"not_a_table.dbf", "not a dBASE table"},
               {"empty.dbf", "shorter than a table header"},
               {"folder.dbf", "folder.dbf"},
               {"missing.dbf", "does not exist"}};
  for (const auto& c : cases) {
    const std::string message = OpenAndWalk(c.file);
    EXPECT_NE(message.find(c.mentions), std::string::npos) << c.file << ": " << message;
    EXPECT_NE(message.find(c.file), std::string::npos) << message;
  }
  const std::string before = ReadFile(PathOf("not_a_table.dbf"));
  EXPECT_THROW(Exec("update 'not_a_table.dbf' set A=1"), DbError);
  EXPECT_THROW(Exec("insert into 'empty.dbf' (A) values (1)"), DbError);
  EXPECT_EQ(ReadFile(PathOf("not_a_table.dbf")), before);
  EXPECT_EQ(ReadFile(PathOf("empty.dbf")), "");
}

TEST_F(DamageTest, BadStoredValuesRaiseNamingRecordFieldAndValue) {
  std::string b = ReadFile(dbtest::Fixture("std_1251.dbf"));
  const size_t summa = 257 + 128 + 117;  // second record's SUMMA
  b.replace(summa, 11, "   15x0.00 ");
  WriteFile(PathOf("v.dbf"), b);
  Query q;
  q.DatabaseName = Dir();
  q.SQL.Add("select * from v.dbf");
  q.Open();
  ASSERT_TRUE(q.FindNext());
  try {
    q.FieldByName("SUMMA").AsString();
    ADD_FAILURE() << "bad number shown";
  } catch (const DbError& e) {
    const std::string m = e.what();
    for (const char* part : {"v.dbf", "record 2", "SUMMA", "15x0.00"})
      EXPECT_NE(m.find(part), std::string::npos) << m;
  }
  EXPECT_EQ(q.FieldByName("OT_KOD").AsString(), "7493/00861");
}

TEST_F(DamageTest, ANameFillingAllItsBytesIsAClearError) {
  std::string bad = ReadFile(dbtest::Fixture("std_1251.dbf"));
  bad.replace(32 + 32, 11, "FAMILYNAMES");  // the second field's name, no zero after it
  WriteFile(PathOf("bad.dbf"), bad);
  const std::string message = OpenAndWalk("bad.dbf");
  EXPECT_NE(message.find("field 2 has a name of 11 bytes without its terminating zero"),
            std::string::npos)
      << message;
  WriteAndCheckRefusalsChangeNothing("bad.dbf");
}

// A file of 1 GB (sparse: no block of it written) whose header claims
// 10^9 records is refused at once, before anything is read or allocated
// for its records; the writes refuse it too and leave it alone.
TEST_F(DamageTest, AHugeSparseFileClaimingAMilliardRecordsIsRefusedAtOnce) {
  std::string head = ReadFile(dbtest::Fixture("std_1251.dbf")).substr(0, 257);
  const uint32_t claimed = 1000000000;
  for (int i = 0; i < 4; ++i) head[4 + i] = static_cast<char>((claimed >> (8 * i)) & 0xFF);
  WriteFile(PathOf("huge.dbf"), head);
  constexpr off_t kSize = off_t{1} << 30;
  ASSERT_EQ(::truncate(PathOf("huge.dbf").c_str(), kSize), 0);

  const std::string message = OpenAndWalk("huge.dbf");
  EXPECT_NE(message.find("claims 1000000000 records"), std::string::npos) << message;
  for (const char* sql :
       {"insert into 'huge.dbf' (FAMILY) values ('a')", "update 'huge.dbf' set FAMILY='b'"}) {
    EXPECT_THROW(Exec(sql), DbError) << sql;
    CloseCachedTables();
    EXPECT_EQ(std::filesystem::file_size(PathOf("huge.dbf")), static_cast<uintmax_t>(kSize));
  }
  std::ifstream in(PathOf("huge.dbf"), std::ios::binary);
  std::string again(257, '\0');
  in.read(again.data(), 257);
  EXPECT_EQ(again, head);
}

// Every header byte set to 0x00, 0xFF and flipped: an error or a table, but
// never a crash or a read outside the file.
TEST_F(DamageTest, EveryHeaderByteDamagedSurvives) {
  for (const char* fixture : {"std_1251.dbf", "fox_30.dbf"}) {
    const std::string good = ReadFile(dbtest::Fixture(fixture));
    const size_t header = static_cast<uint8_t>(good[8]) | static_cast<uint8_t>(good[9]) << 8;
    for (size_t at = 0; at < header + 2; ++at) {
      for (int variant = 0; variant < 3; ++variant) {
        std::string bad = good;
        bad[at] = variant == 0 ? '\0' : variant == 1 ? '\xFF' : static_cast<char>(good[at] ^ 0x01);
        WriteFile(PathOf("h.dbf"), bad);
        (void)OpenAndWalk("h.dbf");
        WriteAndCheckRefusalsChangeNothing("h.dbf");
      }
    }
  }
}

}  // namespace
