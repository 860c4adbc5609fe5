#include "register/register_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/file_system_fake.h"
#include "register/field_pad.h"
#include "register/text.h"

namespace {

namespace fs = std::filesystem;

std::string SourceFile(const std::string& relative) {
  const char* root = std::getenv("KVOTER_SOURCE_DIR");
  return std::string(root ? root : ".") + "/" + relative;
}

// The columns of a dump line, by layout: widths of LCHET, FAMILY, NAME,
// FATHER, OT_KOD, NCHETA, SUMMA (and B3), each followed by "|".
struct DumpRow {
  std::string family, name, father, otKod, account, amount;
};

std::string DumpLine(const DumpRow& r, bool benefit) {
  std::vector<std::pair<std::string, int>> cols = {
      {"181000", benefit ? 6 : 20},   {r.family, 20}, {r.name, 20}, {r.father, 20}, {r.otKod, 9},
      {r.account, benefit ? 25 : 30}, {r.amount, 20}};
  if (benefit) cols.push_back({"01", 2});
  std::string line;
  for (const auto& [text, width] : cols) line += PadField(text, width, false) + "|";
  return line;
}

const DumpRow kRow = {"PETROV", "IVAN", "SERGEEVICH", "7493/0086", "40817810000000000001",
                      "1520.50"};

class RegisterWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "register_writer_test.XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Put(const std::string& name, const std::string& bytes) const {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes;
  }
  std::string Get(const std::string& name) const { return ReadFileBytes(dir_ + "/" + name); }
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.insert(e.path().filename());
    return names;
  }
  // A dump of `lines` lines of one layout, and the earlier run's outputs.
  void PutDumpAndEarlierOutputs(const std::vector<std::string>& lines) const {
    std::string dump;
    for (const auto& l : lines) dump += l + "\r\n";
    Put("7493.txt", dump);
    Put("74931.txt", "earlier register\r\n");
    Put("74931.kkk", "earlier control\r\n");
  }
  void ExpectEarlierOutputs() const {
    EXPECT_EQ(Get("74931.txt"), "earlier register\r\n");
    EXPECT_EQ(Get("74931.kkk"), "earlier control\r\n");
    EXPECT_EQ(Names(), (std::set<std::string>{"7493.txt", "74931.txt", "74931.kkk"}));
  }

  std::string dir_;
};

TEST_F(RegisterWriterTest, GoldenRegisterAndControlFileOfBothLayouts) {
  const std::string layouts[] = {"standard", "benefit"};
  for (const std::string& layout : layouts) {
    Put("7493.txt", ReadFileBytes(SourceFile("register/testdata/dump_" + layout + ".txt")));
    const RegisterSummary summary = WriteRegister(dir_, layout == "benefit");
    EXPECT_EQ(summary.RecordCount, 6) << layout;
    EXPECT_EQ(summary.TotalText, "183766.55") << layout;
    EXPECT_EQ(Get("74931.txt"),
              ReadFileBytes(SourceFile("register/testdata/register_" + layout + ".txt")))
        << layout;
    EXPECT_EQ(Get("74931.kkk"),
              ReadFileBytes(SourceFile("register/testdata/control_" + layout + ".kkk")))
        << layout;
  }
}

TEST(RegisterRecord, CutsTheItemsOfEachLayoutIntoTheirColumns) {
  for (const bool benefit : {false, true}) {
    DumpRow longAccount = kRow;
    longAccount.account = "4081781000000000000123456";  // 25: only 20 are read
    DumpRow shortAccount = kRow;
    shortAccount.account = "123";
    DumpRow whole = kRow;
    whole.amount = "1234";
    const struct {
      std::string line;
      int64_t sequence;
      std::string expected;
      const char* what;
    } cases[] = {
        {DumpLine(kRow, benefit), 1,
         "1         749300086" + std::string(19, ' ') + PadField("PETROV", 30, false) +
             PadField("IVAN", 30, false) + PadField("SERGEEVICH", 30, false) +
             "     40817810000000000001" + "                1520.50" + "810" + std::string(29, ' '),
         "first record"},
        {DumpLine(kRow, benefit), 10, "10        74930", "tenth record"},
        {DumpLine(kRow, benefit), 2147483647, "2147483647749300086", "largest count"},
    };
    for (const auto& c : cases) {
      const std::string record = RegisterRecord(c.line, c.sequence, benefit);
      ASSERT_EQ(record.size(), 208u) << c.what;
      EXPECT_EQ(record.substr(0, c.expected.size()), c.expected) << c.what;
    }
    // columns 129-153 and 154-176
    EXPECT_EQ(RegisterRecord(DumpLine(longAccount, benefit), 2, benefit).substr(128, 25),
              "     40817810000000000001");
    EXPECT_EQ(RegisterRecord(DumpLine(shortAccount, benefit), 2, benefit).substr(128, 25),
              std::string(22, ' ') + "123");
    EXPECT_EQ(RegisterRecord(DumpLine(whole, benefit), 2, benefit).substr(153, 23),
              std::string(16, ' ') + "1234.00");
  }
}

TEST(RegisterRecord, ALineEndingInsideTheSubBranchCodeGivesAShorterRecord) {
  const struct {
    bool benefit;
    size_t lineLength;
    size_t recordLength;
  } cases[] = {
      {false, 93, 208}, {false, 91, 206}, {false, 89, 204}, {false, 10, 204},
      {true, 79, 208},  {true, 77, 206},  {true, 0, 204},
  };
  for (const auto& c : cases) {
    const std::string line = DumpLine(kRow, c.benefit).substr(0, c.lineLength);
    const std::string record = RegisterRecord(line, 1, c.benefit);
    EXPECT_EQ(record.size(), c.recordLength) << c.benefit << " " << c.lineLength;
    EXPECT_EQ(record.substr(record.size() - 32), "810" + std::string(29, ' '));
  }
}

TEST(ControlRecord, CarriesTheCaptionIn866AndCutsCountAndTotal) {
  const std::string caption = Utf8ToCp866("Зачисления dbf файлов         9999");
  ASSERT_EQ(caption.size(), 34u);
  EXPECT_EQ(caption.substr(0, 3), "\x87\xA0\xE7");  // "Зач" in 866
  const struct {
    int64_t count;
    std::string total;
    std::string tail;
  } cases[] = {
      {0, ".00", "      0            .00"},
      {1, ".75", "      1            .75"},
      {1234567, "123456789012.34", "1234567123456789012.34"},
      {12345678, "1234567890123.45",
       "1234567"
       "1234567890123.4"},  // cut to 7 and 15
  };
  for (const auto& c : cases) {
    const std::string record = ControlRecord(c.count, c.total);
    ASSERT_EQ(record.size(), 56u) << c.count;
    EXPECT_EQ(record.substr(0, 34), caption);
    EXPECT_EQ(record.substr(34), c.tail) << c.count;
  }
}

TEST(TotalText, SplitsTwoDigitsBeforeTheEnd) {
  const std::pair<int64_t, const char*> cases[] = {
      {0, ".00"},
      {5, ".05"},
      {75, ".75"},
      {100, "1.00"},
      {123456, "1234.56"},
      {-5, "-.05"},
      {-123456, "-1234.56"},
      {-100, "-1.00"},
      {int64_t{2147483647} * 3, "64424509.41"},
      {INT64_MIN, "-92233720368547758.08"},
  };
  for (const auto& [hundredths, text] : cases) EXPECT_EQ(TotalText(hundredths), text) << hundredths;
}

TEST(AppendPadded, GivesWhatPadFieldGives) {
  const std::tuple<std::string, int, bool> cases[] = {
      {"abc", 5, true},  {"abc", 5, false}, {"abcdef", 4, true}, {"abcdef", 4, false},
      {"abc", 3, false}, {"", 3, true},     {"", 3, false},      {"x", 1, true},
  };
  for (const auto& [text, width, right] : cases) {
    std::string out = "|";
    AppendPadded(out, text, width, right);
    EXPECT_EQ(out, "|" + PadField(text, width, right)) << text << width << right;
  }
}

TEST_F(RegisterWriterTest, AnEmptyDumpGivesAnEmptyRegister) {
  PutDumpAndEarlierOutputs({});
  const RegisterSummary summary = WriteRegister(dir_ + "/", false);  // trailing "/" too
  EXPECT_EQ(summary.RecordCount, 0);
  EXPECT_EQ(summary.TotalText, ".00");
  EXPECT_EQ(Get("74931.txt"), "");
  EXPECT_EQ(Get("74931.kkk"),
            Utf8ToCp866("Зачисления dbf файлов         9999") + "      0            .00\r\n");
}

TEST_F(RegisterWriterTest, ReadsEveryLineBreakAndALastLineWithoutOne) {
  Put("7493.txt",
      DumpLine(kRow, false) + "\n" + DumpLine(kRow, false) + "\r" + DumpLine(kRow, false));
  const RegisterSummary summary = WriteRegister(dir_, false);
  EXPECT_EQ(summary.RecordCount, 3);
  EXPECT_EQ(summary.TotalText, "4561.50");
  EXPECT_EQ(Get("74931.txt").size(), 3u * 210);
}

TEST_F(RegisterWriterTest, AnAmountThatIsNoCountOfHundredthsTouchesNoOutput) {
  for (const char* amount : {"21474836.48", "12.5", "1,50", "abc"}) {
    DumpRow bad = kRow;
    bad.amount = amount;
    PutDumpAndEarlierOutputs({DumpLine(kRow, true), DumpLine(bad, true)});
    try {
      WriteRegister(dir_, true);
      ADD_FAILURE() << amount << " accepted";
    } catch (const ConvertError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(dir_ + "/7493.txt, line 2: '", 0), 0u) << e.what();
    }
    ExpectEarlierOutputs();
  }
  // The largest amount still counts.
  DumpRow largest = kRow;
  largest.amount = "21474836.47";
  PutDumpAndEarlierOutputs({DumpLine(largest, true), DumpLine(largest, true)});
  EXPECT_EQ(WriteRegister(dir_, true).TotalText, "42949672.94");
}

TEST_F(RegisterWriterTest, AMissingDumpTouchesNoOutput) {
  PutDumpAndEarlierOutputs({});
  fs::remove(dir_ + "/7493.txt");
  try {
    WriteRegister(dir_, false);
    ADD_FAILURE();
  } catch (const InOutError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot open file " + dir_ + "/7493.txt", 0), 0u);
  }
  EXPECT_EQ(Get("74931.txt"), "earlier register\r\n");
  EXPECT_EQ(Get("74931.kkk"), "earlier control\r\n");
}

TEST_F(RegisterWriterTest, AFailingRegisterLeavesBothEarlierFilesAndNoTemporary) {
  using At = FailingFileSystem::FailAt;
  const struct {
    At at;
    size_t after;
  } cases[] = {{At::Create, 0}, {At::Write, 0}, {At::Write, 300}, {At::Close, 0}, {At::Rename, 0}};
  for (const auto& c : cases) {
    PutDumpAndEarlierOutputs({DumpLine(kRow, false), DumpLine(kRow, false)});
    FailingFileSystem failing;
    failing.fail_at = c.at;
    failing.fail_after_bytes = c.after;
    failing.target_suffix = "74931.txt";
    try {
      WriteRegister(dir_, false, failing);
      ADD_FAILURE();
    } catch (const InOutError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Cannot create file " + dir_ + "/74931.txt: ", 0), 0u)
          << e.what();
    }
    EXPECT_EQ(failing.faults, 1);
    ExpectEarlierOutputs();
  }
}

TEST_F(RegisterWriterTest, ADumpThatFailsWhileReadTouchesNoOutput) {
  PutDumpAndEarlierOutputs(std::vector<std::string>(100, DumpLine(kRow, false)));
  FailingFileSystem failing;
  failing.fail_at = FailingFileSystem::FailAt::Read;
  failing.fail_after_bytes = 1000;
  failing.target_suffix = "7493.txt";
  try {
    WriteRegister(dir_, false, failing);
    ADD_FAILURE();
  } catch (const InOutError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot read file " + dir_ + "/7493.txt: ", 0), 0u)
        << e.what();
  }
  EXPECT_EQ(failing.faults, 1);
  ExpectEarlierOutputs();
}

TEST_F(RegisterWriterTest, AFailingControlFileLeavesTheNewRegisterAndTheEarlierControlFile) {
  PutDumpAndEarlierOutputs({DumpLine(kRow, false)});
  FailingFileSystem failing;
  failing.fail_at = FailingFileSystem::FailAt::Write;
  failing.fail_after_bytes = 10;
  failing.target_suffix = "74931.kkk";
  try {
    WriteRegister(dir_, false, failing);
    ADD_FAILURE();
  } catch (const InOutError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot create file " + dir_ + "/74931.kkk: ", 0), 0u);
  }
  EXPECT_EQ(Get("74931.txt"), RegisterRecord(DumpLine(kRow, false), 1, false) + "\r\n");
  EXPECT_EQ(Get("74931.kkk"), "earlier control\r\n");
  EXPECT_EQ(Names(), (std::set<std::string>{"7493.txt", "74931.txt", "74931.kkk"}));
}

TEST_F(RegisterWriterTest, ADirectoryThatCannotBeWrittenIsNamed) {
  Put("plain", "a regular file");
  // The dump's own directory does not exist or is a file: reading fails
  // first and names the dump.
  for (const std::string& directory : {dir_ + "/missing", dir_ + "/plain"}) {
    try {
      WriteRegister(directory, false);
      ADD_FAILURE() << directory;
    } catch (const InOutError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Cannot open file " + directory + "/7493.txt", 0), 0u);
    }
  }
  EXPECT_EQ(Names(), std::set<std::string>{"plain"});
}

}  // namespace
