// Whole runs through the real window: lists written by an independent
// writer, the real engine, dump and register, a real FTP server on
// loopback and the real archiver, with the operator's dialogs scripted.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/form1.h"
#include "app/scripted_dialogs.h"
#include "ftp/ftp_test_server.h"
#include "platform/codepage.h"
#include "platform/temp_dir.h"
#include "platform/text_file.h"

namespace {

namespace fs = std::filesystem;

class WholeRunTest : public testing::Test {
 protected:
  WholeRunTest() {
    samples_ = fs::path(getenv("KVOTER_SOURCE_DIR")) / "samples";
    fs::create_directories(serverRoot_.Path() / "tmp" / "kvoter");
    lists_ = dir_.Path() / "lists";
    fs::create_directories(lists_);
    for (const char* f : {"PENS1.DBF", "PENS2.DBF"}) fs::copy_file(samples_ / f, lists_ / f);
    for (const char* f : {"POSOB1.DBF", "POSOB2.DBF"})
      fs::copy_file(samples_ / "benefit" / f, lists_ / f);
  }
  ~WholeRunTest() override {
    form_.reset();
    fs::current_path(start_);
  }

  // The window opens on `chosen`'s folder; uploads go to the test's server.
  void Open(const fs::path& chosen) {
    auto dialogs = std::make_unique<ScriptedDialogs>();
    dialogs->answers = {chosen.string()};
    dialogs_ = dialogs.get();
    FormSettings settings{{"127.0.0.1", std::to_string(ftpd_.Port())},
                          {dir_.Path().string(), (dir_.Path() / "pen").string()}};
    form_ = std::make_unique<TForm1>(std::move(dialogs), settings);
    form_->show();
  }
  void Tick(const std::vector<std::string>& names) {
    for (int i = 0; i < form_->CheckListBox1->Count(); ++i)
      for (const auto& n : names)
        if (form_->CheckListBox1->Items(i) == n) form_->CheckListBox1->SetChecked(i, true);
  }
  std::vector<std::string> Listed() const {
    std::vector<std::string> names;
    for (int i = 0; i < form_->CheckListBox1->Count(); ++i)
      names.push_back(form_->CheckListBox1->Items(i));
    return names;
  }
  std::vector<std::string> Sent() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(serverRoot_.Path() / "tmp" / "kvoter"))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  const fs::path& Inbox() const { return inbox_; }

  fs::path start_ = fs::current_path();
  fs::path samples_;
  TempDir dir_;
  TempDir serverRoot_;
  fs::path lists_;
  fs::path inbox_ = serverRoot_.Path() / "tmp" / "kvoter";
  PyFtpServer ftpd_{serverRoot_.Path().string()};
  ScriptedDialogs* dialogs_ = nullptr;
  std::unique_ptr<TForm1> form_;
};

TEST_F(WholeRunTest, TwoStandardListsSentByteForByteOnYes) {
  Open(lists_ / "PENS1.DBF");
  Tick({"PENS1.DBF", "PENS2.DBF"});
  dialogs_->replies = {DialogAnswer::Yes, DialogAnswer::No};
  QTest::mouseClick(form_->Button2, Qt::LeftButton);

  ASSERT_EQ(dialogs_->shown.size(), 2u);
  EXPECT_EQ(Cp1251ToUtf8(dialogs_->shown[0].caption), "Список");
  EXPECT_NE(
      Cp1251ToUtf8(dialogs_->shown[0].text).find("Количество записей - 5\nОбщая сумма - 5517.30"),
      std::string::npos);
  EXPECT_EQ(Cp1251ToUtf8(dialogs_->shown[1].caption), "Результат");
  const std::vector<std::string> sent = Sent();
  ASSERT_EQ(sent.size(), 2u);
  for (const auto& name : sent) {
    const fs::path local =
        lists_ / (name.find(".s") != std::string::npos ? "74931.txt" : "74931.kkk");
    EXPECT_EQ(ReadBytes(Inbox() / name), ReadBytes(local)) << name;
  }
  // Refilled: the new files of the run are listed, nothing ticked; No kept the dump.
  EXPECT_EQ(Listed(),
            (std::vector<std::string>{"7493.txt", "74931.kkk", "74931.txt", "mrg7493.dbf",
                                      "PENS1.DBF", "PENS2.DBF", "POSOB1.DBF", "POSOB2.DBF"}));
  EXPECT_TRUE(form_->CheckListBox1->CheckedItems().empty());
  EXPECT_EQ(form_->Button2->text().toStdString(), "Обработать");
  EXPECT_FALSE(form_->Busy());
}

TEST_F(WholeRunTest, TwoBenefitListsAnswerNoSendsNothing) {
  Open(lists_ / "POSOB2.DBF");
  form_->CheckBox1->setChecked(true);
  Tick({"POSOB1.DBF", "POSOB2.DBF"});
  dialogs_->replies = {DialogAnswer::No};
  QTest::mouseClick(form_->Button2, Qt::LeftButton);
  ASSERT_EQ(dialogs_->shown.size(), 1u);
  EXPECT_TRUE(Sent().empty());
  const std::string reg = ReadBytes(lists_ / "74931.txt");
  EXPECT_EQ(reg.size(), 5u * 210);
  // The sub-branch codes of the benefit layout's dump positions, remapped.
  EXPECT_EQ(reg.substr(15, 4), "0165");
  EXPECT_EQ(Listed().size(), 8u);
}

TEST_F(WholeRunTest, AnArchiveIsUnpackedAndProcessed) {
  fs::copy_file(samples_ / "POSOB.ARJ", lists_ / "POSOB.ARJ");
  Open(lists_ / "POSOB.ARJ");
  Tick({"POSOB.ARJ"});
  QTest::mouseClick(form_->Button4, Qt::LeftButton);
  EXPECT_EQ(Listed(), (std::vector<std::string>{"POSOB1.DBF", "POSOB2.DBF"}));
  EXPECT_EQ(form_->FileListBox1.Directory(), (dir_.Path() / "pen").string());

  form_->CheckBox1->setChecked(true);
  QTest::mouseClick(form_->Button3, Qt::LeftButton);
  dialogs_->replies = {DialogAnswer::Yes, DialogAnswer::Yes};
  QTest::mouseClick(form_->Button2, Qt::LeftButton);
  ASSERT_EQ(dialogs_->shown.size(), 2u) << Cp1251ToUtf8(dialogs_->shown[0].text);
  EXPECT_EQ(Sent().size(), 2u);
  EXPECT_TRUE(fs::exists(dir_.Path() / "pen" / "74931.txt"));
  EXPECT_FALSE(fs::exists(dir_.Path() / "pen" / "7493.txt"));  // deleted on Yes
}

TEST_F(WholeRunTest, ATickedTextFileStopsTheRunAndKeepsTheTicks) {
  std::ofstream(lists_ / "NOTES.TXT") << "not a table";
  Open(lists_ / "PENS1.DBF");
  Tick({"NOTES.TXT", "PENS1.DBF"});  // list order: PENS1.DBF after NOTES.TXT
  const auto before = ReadBytes(lists_ / "PENS1.DBF");
  QTest::mouseClick(form_->Button2, Qt::LeftButton);
  ASSERT_EQ(dialogs_->shown.size(), 1u);
  EXPECT_EQ(dialogs_->shown[0].icon, DialogIcon::Error);
  EXPECT_NE(dialogs_->shown[0].text.find("NOTES.TXT"), std::string::npos);
  EXPECT_EQ(ReadBytes(lists_ / "PENS1.DBF"), before);  // after the failing one: untouched
  EXPECT_EQ(form_->CheckListBox1->CheckedItems(),
            (std::vector<std::string>{"NOTES.TXT", "PENS1.DBF"}));
  EXPECT_FALSE(fs::exists(lists_ / "mrg7493.dbf"));
  EXPECT_FALSE(form_->Busy());
}

TEST_F(WholeRunTest, CommandsDuringARunAreIgnored) {
  Open(lists_ / "PENS1.DBF");
  Tick({"PENS1.DBF"});
  dialogs_->replies = {DialogAnswer::Yes, DialogAnswer::No};
  // While the run waits on the operator or the network, the operator
  // clicks every button and presses Alt+X: none of it starts anything.
  int attempts = 0;
  dialogs_->onMessage = [&] {
    if (attempts++ > 0) return;
    for (QPushButton* b : {form_->Button1, form_->Button2, form_->Button3, form_->Button4})
      QTest::mouseClick(b, Qt::LeftButton);
    QTest::keyPress(form_->CheckListBox1, Qt::Key_Alt, Qt::AltModifier);
    QTest::keyPress(form_->CheckListBox1, Qt::Key_X, Qt::AltModifier);
  };
  // And again while the upload waits on the network.
  int waits = 0;
  const auto dispatch = form_->ftp.OnWait;
  form_->ftp.OnWait = [&] {
    dispatch();
    if (waits++ == 0) QTest::mouseClick(form_->Button2, Qt::LeftButton);
  };
  QTest::mouseClick(form_->Button2, Qt::LeftButton);
  EXPECT_GT(waits, 0);
  EXPECT_EQ(dialogs_->shown.size(), 2u);  // one summary, one result: one run
  EXPECT_EQ(dialogs_->opens, 1);          // the start-up choice only
  EXPECT_EQ(Sent().size(), 2u);
}

}  // namespace
