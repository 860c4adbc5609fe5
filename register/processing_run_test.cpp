#include "register/processing_run.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ftp/ftp_client.h"
#include "ftp/ftp_test_server.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/temp_dir.h"
#include "platform/text_file.h"
#include "register/test_tables.h"

namespace {

namespace fs = std::filesystem;

struct Shown {
  std::string text;
  std::string caption;
  DialogButtons buttons;
};

// The window as the run sees it, held in memory: ticks, the layout box,
// scripted answers and what was shown.
class FakeRunWindow : public RunWindow {
 public:
  std::vector<std::string> ticked;
  bool benefit = false;
  std::string directory;
  std::deque<DialogAnswer> answers;
  std::vector<Shown> shown;
  int refills = 0;
  int position = 0;
  std::vector<std::string> captions;
  Query query1, query2;
  FtpClient ftp;
  FakeClock clock{"14:05:37"};

  DialogAnswer MessageBox(const std::string& text, const std::string& caption,
                          DialogButtons buttons, DialogIcon) override {
    shown.push_back({text, caption, buttons});
    if (answers.empty()) return DialogAnswer::Ok;
    const DialogAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  void SetButton2Caption(const std::string& c) override { captions.push_back(c); }
  void SetProgressMin(int) override {}
  void SetProgressMax(int) override {}
  void SetProgressPosition(int value) override { position = value; }
  int ProgressPosition() const override { return position; }
  void Repaint() override {}
  std::vector<std::string> TickedNames() override { return ticked; }
  bool LayoutFlag() override { return benefit; }
  std::string Directory() override { return directory; }
  void RefillCheckList() override { ++refills; }
  Query& Query1() override { return query1; }
  Query& Query2() override { return query2; }
  FtpClient& Ftp() override { return ftp; }
  const Clock& LocalClock() override { return clock; }
};

class ProcessingRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = fs::current_path();
    const fs::path samples = fs::path(getenv("KVOTER_SOURCE_DIR")) / "samples";
    for (const char* f : {"PENS1.DBF", "PENS2.DBF"}) fs::copy_file(samples / f, dir_.Path() / f);
    for (const char* f : {"POSOB1.DBF", "POSOB2.DBF"})
      fs::copy_file(samples / "benefit" / f, dir_.Path() / f);
    // The run names files by bare names too: its directory is current.
    fs::current_path(dir_.Path());
    window_.directory = dir_.Path().string();
    server_.address = "127.0.0.1";
  }
  void TearDown() override { fs::current_path(saved_); }

  std::vector<std::string> Rows(const std::string& table) {
    return TableRows(dir_.Path().string(), table);
  }
  std::string Column(const std::string& table, const std::string& column) {
    return TableColumn(dir_.Path().string(), table, column);
  }

  TempDir dir_;
  fs::path saved_;
  FakeRunWindow window_;
  ServerSettings server_;
};

TEST_F(ProcessingRunTest, NothingTickedOnlySaysSo) {
  ProcessingRun(window_, server_);
  ASSERT_EQ(window_.shown.size(), 1u);
  EXPECT_EQ(window_.shown[0].text, Cp1251("Ни один файл не выбран"));
  EXPECT_EQ(window_.shown[0].caption, "");
  EXPECT_EQ(window_.refills, 0);
  EXPECT_FALSE(fs::exists(dir_.Path() / "mrg7493.dbf"));
  EXPECT_EQ(Column("PENS1.DBF", "LCHET"), "0,0,0,");
}

TEST_F(ProcessingRunTest, TwoStandardListsMergedRemappedAndRegisteredAnswerNo) {
  window_.ticked = {"PENS1.DBF", "PENS2.DBF"};
  window_.answers = {DialogAnswer::No};
  ProcessingRun(window_, server_);

  EXPECT_EQ(Column("PENS1.DBF", "LCHET"), "181000,181000,181000,");
  EXPECT_EQ(Column("PENS2.DBF", "LCHET"), "181000,181000,");
  // Check-list order, then the twelve codes remapped.
  EXPECT_EQ(Column("mrg7493.dbf", "OT_KOD"), "7493/0165,7493/0243,7493/0199,7493/0206,7493/0011,");
  EXPECT_EQ(Rows("mrg7493.dbf")[4], "181000|O'НИЛ|ЕЛЕНА||7493/0011|40817810000000000005|2750,75|");
  ASSERT_EQ(window_.shown.size(), 1u);
  EXPECT_EQ(window_.shown[0].text, Cp1251("Данные по списку:\nКоличество записей - 5\nОбщая "
                                          "сумма - 5517.30\nПередать Список в АС ТЛК?"));
  EXPECT_EQ(window_.shown[0].caption, Cp1251("Список"));
  EXPECT_EQ(window_.shown[0].buttons, DialogButtons::YesNo);
  const std::string reg = ReadBytes(dir_.Path() / "74931.txt");
  EXPECT_EQ(reg.size(), 5u * 210);
  EXPECT_EQ(ReadBytes(dir_.Path() / "74931.kkk").size(), 58u);
  EXPECT_TRUE(fs::exists(dir_.Path() / "7493.txt"));
  EXPECT_EQ(window_.refills, 1);
  EXPECT_EQ(window_.captions.back(), Cp1251("Обработать"));
}

TEST_F(ProcessingRunTest, OneListIsNotRemapped) {
  window_.ticked = {"PENS1.DBF"};
  window_.answers = {DialogAnswer::No};
  ProcessingRun(window_, server_);
  EXPECT_EQ(Column("mrg7493.dbf", "OT_KOD"), "7493/0086,7493/0164,7493/7493,");
  EXPECT_NE(window_.shown[0].text.find(Cp1251("записей - 3\n")), std::string::npos);
}

TEST_F(ProcessingRunTest, TwoBenefitListsSentToARealServerAnswerYes) {
  TempDir serverRoot;
  fs::create_directories(serverRoot.Path() / "tmp" / "kvoter");
  PyFtpServer ftpd(serverRoot.Path().string());
  server_.port = std::to_string(ftpd.Port());
  window_.benefit = true;
  window_.ticked = {"POSOB1.DBF", "POSOB2.DBF"};
  window_.answers = {DialogAnswer::Yes, DialogAnswer::Yes};
  ProcessingRun(window_, server_);

  EXPECT_EQ(Column("mrg7493.dbf", "B3"), "01,01,02,02,02,");
  const fs::path inbox = serverRoot.Path() / "tmp" / "kvoter";
  const std::string reg = ReadBytes(dir_.Path() / "74931.txt");
  EXPECT_EQ(reg.size(), 5u * 210);
  EXPECT_EQ(ReadBytes(inbox / "74930537.s05"), reg);
  EXPECT_EQ(ReadBytes(inbox / "74930537.k05"), ReadBytes(dir_.Path() / "74931.kkk"));
  ASSERT_EQ(window_.shown.size(), 2u);
  EXPECT_NE(window_.shown[1].text.find("74930537.s05"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_.Path() / "7493.txt"));  // deleted on Yes
  EXPECT_EQ(window_.refills, 1);
}

TEST_F(ProcessingRunTest, ATickedTextFileStopsTheRunAtItsUpdate) {
  std::ofstream(dir_.Path() / "README.TXT") << "not a table\r\n";
  window_.ticked = {"PENS1.DBF", "README.TXT", "PENS2.DBF"};
  try {
    ProcessingRun(window_, server_);
    ADD_FAILURE() << "the run went on";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("README.TXT"), std::string::npos) << e.what();
  }
  EXPECT_EQ(Column("PENS1.DBF", "LCHET"), "181000,181000,181000,");
  EXPECT_EQ(Column("PENS2.DBF", "LCHET"), "0,0,");
  EXPECT_FALSE(fs::exists(dir_.Path() / "mrg7493.dbf"));
  EXPECT_TRUE(window_.shown.empty());
  EXPECT_EQ(window_.refills, 0);
}

}  // namespace
