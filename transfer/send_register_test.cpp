#include "transfer/send_register.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <thread>

#include "ftp/fault_ftp_server.h"
#include "ftp/ftp_error.h"
#include "ftp/ftp_test_server.h"
#include "platform/temp_dir.h"
#include "platform/codepage.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

namespace fs = std::filesystem;

struct Shown {
  std::string text;
  std::string caption;
  DialogButtons buttons;
  DialogIcon icon;
};

// Answers the message boxes from a script (Yes/Ok once it runs out) and
// keeps what was shown.
class ScriptedDialogs : public OperatorDialogs {
 public:
  std::deque<DialogAnswer> answers;
  std::vector<Shown> shown;

  DialogAnswer MessageBox(const std::string& text, const std::string& caption,
                          DialogButtons buttons, DialogIcon icon) override {
    shown.push_back({text, caption, buttons, icon});
    if (!answers.empty()) {
      DialogAnswer a = answers.front();
      answers.pop_front();
      return a;
    }
    return buttons == DialogButtons::YesNo ? DialogAnswer::Yes : DialogAnswer::Ok;
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const Shown& s : shown) texts.push_back(s.text);
    return texts;
  }
};

const std::string kCannotLogIn = Cp1251("Не могу зайти на FTP сервер");
const std::string kCannotLogOut = Cp1251("Не выйти с FTP сервера");

std::string ResultText(const std::string& registerName) {
  return Cp1251("Скопирован файл в АС ТЛК:\n") + registerName +
         Cp1251(
             "\nЗАПИШИ НАЗВАНИЕ ФАЙЛА\nИ НЕ ЗАБУДЬ ОБРАБОТАТЬ В АС ТЛК!!!\nУдалить исходный файл?");
}

TEST(MakeRemoteNames, TakesMinutesAndSecondsOnly) {
  struct Case {
    const char* time;
    const char* registerName;
    const char* controlName;
  };
  const Case cases[] = {
      {"14:05:37", "74930537.s05", "74930537.k05"},
      {"9:05:37", "74930537.s05", "74930537.k05"},
      {"09:05:37", "74930537.s05", "74930537.k05"},
      {"15:05:37", "74930537.s05", "74930537.k05"},  // the names repeat every hour
      {"0:00:00", "74930000.s00", "74930000.k00"},
      {"05:37", "74930537.s05", "74930537.k05"},  // four characters are enough
      {"5:37", "7493.s", "7493.k"},               // three are not
      {"", "7493.s", "7493.k"},
  };
  for (const Case& c : cases) {
    RemoteNames names = MakeRemoteNames(c.time);
    EXPECT_EQ(names.registerName, c.registerName) << c.time;
    EXPECT_EQ(names.controlName, c.controlName) << c.time;
  }
}

// Runs each test in a directory of its own holding the run's files, as the
// upload names them relative to the current directory.
class SendRegisterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    fs::current_path(work_.Path());
    registerBytes_ = AwkwardBytes(3 * 1024 * 1024 + 17);
    controlBytes_ = AwkwardBytes(58);
    work_.Write("74931.txt", registerBytes_);
    work_.Write("74931.kkk", controlBytes_);
    work_.Write("7493.txt", "dump\r\n");
  }
  void TearDown() override { fs::current_path(previous_); }

  void Send(uint16_t port, const std::string& password = "kvoter",
            const std::string& time = "14:05:37") {
    SendRegister(ftp_, dialogs_, FakeClock(time), "127.0.0.1", "kvoter", password, "74931.txt",
                 "//tmp//kvoter", std::to_string(port));
  }
  std::string SendError(uint16_t port) {
    try {
      Send(port);
    } catch (const Error& e) {
      return e.what();
    }
    return "";
  }
  bool DumpKept() const { return fs::exists(work_.Path() / "7493.txt"); }
  static int StorCount(const FaultFtpServer& server) {
    int n = 0;
    for (const std::string& c : server.Commands()) n += c.rfind("STOR ", 0) == 0;
    return n;
  }

  TempDir work_;
  fs::path previous_;
  std::string registerBytes_;
  std::string controlBytes_;
  FtpClient ftp_;
  ScriptedDialogs dialogs_;
};

TEST_F(SendRegisterTest, StoresBothFilesOnARealServerAndDeletesTheDumpOnYes) {
  TempDir root;
  fs::create_directories(root.Path() / "tmp" / "kvoter");
  PyFtpServer server(root.Path().string());
  Send(server.Port());

  EXPECT_TRUE(root.Read("tmp/kvoter/74930537.s05") == registerBytes_);
  EXPECT_TRUE(root.Read("tmp/kvoter/74930537.k05") == controlBytes_);
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, ResultText("74930537.s05"));
  EXPECT_EQ(dialogs_.shown[0].caption, Cp1251("Результат"));
  EXPECT_EQ(dialogs_.shown[0].buttons, DialogButtons::YesNo);
  EXPECT_EQ(dialogs_.shown[0].icon, DialogIcon::None);
  EXPECT_FALSE(DumpKept());
  EXPECT_FALSE(ftp_.Connected());
  EXPECT_EQ(ftp_.Vendor, 2411);
  EXPECT_EQ(ftp_.ReportLevel, 1);
  EXPECT_EQ(ftp_.TimeOut, 5000);
}

TEST_F(SendRegisterTest, KeepsTheDumpOnNoAndIgnoresAMissingDumpOnYes) {
  TempDir root;
  fs::create_directories(root.Path() / "tmp" / "kvoter");
  PyFtpServer server(root.Path().string());
  dialogs_.answers = {DialogAnswer::No};
  Send(server.Port(), "kvoter", "9:41:02");
  EXPECT_TRUE(DumpKept());
  EXPECT_TRUE(root.Read("tmp/kvoter/74934102.s41") == registerBytes_);

  fs::remove(work_.Path() / "7493.txt");
  Send(server.Port(), "kvoter", "10:41:03");
  EXPECT_EQ(dialogs_.Texts(),
            (std::vector{ResultText("74934102.s41"), ResultText("74934103.s41")}));
}

TEST_F(SendRegisterTest, RefusedLoginOnARealServerShowsTheLoginMessageThenNotConnected) {
  TempDir root;
  fs::create_directories(root.Path() / "tmp" / "kvoter");
  PyFtpServer server(root.Path().string());
  try {
    Send(server.Port(), "wrong");
    ADD_FAILURE() << "no error";
  } catch (const FtpError& e) {
    EXPECT_STREQ(e.what(), "Not Connected");
  }
  EXPECT_EQ(dialogs_.Texts(), std::vector{kCannotLogIn});
  EXPECT_EQ(dialogs_.shown[0].caption, "");
  EXPECT_EQ(dialogs_.shown[0].buttons, DialogButtons::Ok);
  EXPECT_EQ(dialogs_.shown[0].icon, DialogIcon::None);
  EXPECT_TRUE(fs::is_empty(root.Path() / "tmp" / "kvoter"));
  EXPECT_TRUE(DumpKept());
}

TEST_F(SendRegisterTest, ServerDownShowsTheLoginMessageAndSendsNothing) {
  uint16_t port = 0;
  {
    FaultFtpServer gone({});
    port = gone.Port();
  }
  EXPECT_EQ(SendError(port), "Not Connected");
  EXPECT_EQ(dialogs_.Texts(), std::vector{kCannotLogIn});
  EXPECT_TRUE(DumpKept());
}

TEST_F(SendRegisterTest, BadPortTextFailsBeforeAnyNetworkActivity) {
  FaultFtpServer server({});
  ftp_.UserID = "earlier";
  EXPECT_THROW(SendRegister(ftp_, dialogs_, FakeClock("14:05:37"), "127.0.0.1", "kvoter", "kvoter",
                            "74931.txt", "//tmp//kvoter", "21x"),
               ConvertError);
  EXPECT_EQ(ftp_.Host, "127.0.0.1");  // written before the port
  EXPECT_EQ(ftp_.UserID, "earlier");  // written after it
  EXPECT_EQ(server.Connections(), 0);
  EXPECT_TRUE(dialogs_.shown.empty());
}

struct FailureRow {
  const char* name;
  std::function<void(FaultScript&)> script;
  const char* error;  // part of the message that leaves SendRegister
  int stors;          // STOR commands the server saw
};

TEST_F(SendRegisterTest, FailuresBetweenLoginAndLogoutLeaveWithTheErrorAndShowNothing) {
  const FailureRow rows[] = {
      {"login refused", [](FaultScript& s) { s.replies["PASS"] = {"530 Login incorrect."}; },
       "Not Connected", 0},
      {"CWD refused", [](FaultScript& s) { s.replies["CWD"] = {"550 No such directory."}; },
       "550 No such directory.", 0},
      {"TYPE refused", [](FaultScript& s) { s.replies["TYPE"] = {"504 Type not supported."}; },
       "504 Type not supported.", 0},
      {"register STOR refused",
       [](FaultScript& s) { s.replies["STOR"] = {"553 Could not create file."}; },
       "553 Could not create file.", 1},
      {"control file STOR refused",
       [](FaultScript& s) {
         s.replies["STOR"] = {"150 Ok", "553 Could not create file."};
       },
       "553 Could not create file.", 2},
      {"data connection dropped midway",
       [](FaultScript& s) {
         s.data = DataFault::DropAfterBytes;
         s.dropAfterBytes = 65536;
         s.completion = "426 Connection closed; transfer aborted.";
       },
       "426 Connection closed; transfer aborted.", 1},
      {"failure completion", [](FaultScript& s) { s.completion = "452 Insufficient storage."; },
       "452 Insufficient storage.", 1},
  };
  for (const FailureRow& row : rows) {
    dialogs_.shown.clear();
    FtpClient fresh;
    std::swap(ftp_, fresh);
    FaultScript script;
    row.script(script);
    FaultFtpServer server(script);
    EXPECT_THAT(SendError(server.Port()), HasSubstr(row.error)) << row.name;
    EXPECT_EQ(StorCount(server), row.stors) << row.name;
    EXPECT_THAT(dialogs_.Texts(), Not(Contains(ResultText("74930537.s05")))) << row.name;
    EXPECT_TRUE(DumpKept()) << row.name;
    if (row.stors == 2) {
      EXPECT_TRUE(server.Files()["74930537.s05"] == registerBytes_) << "the register stays stored";
    }
  }
}

TEST_F(SendRegisterTest, ReadsTheRegisterByItsArgumentAndTheControlFileByItsFixedName) {
  FaultFtpServer server({});
  work_.Write("other.txt", "another register\r\n");
  SendRegister(ftp_, dialogs_, FakeClock("14:05:37"), "127.0.0.1", "kvoter", "kvoter", "other.txt",
               "//tmp//kvoter", std::to_string(server.Port()));
  EXPECT_EQ(server.Files()["74930537.s05"], "another register\r\n");
  EXPECT_TRUE(server.Files()["74930537.k05"] == controlBytes_);
}

TEST_F(SendRegisterTest, NextCallGoesOnOverTheConnectionLeftOpen) {
  FaultScript script;
  script.replies["CWD"] = {"550 No such directory.", "250 Directory changed"};
  FaultFtpServer server(script);
  EXPECT_EQ(SendError(server.Port()), "550 No such directory.");
  EXPECT_TRUE(ftp_.Connected());
  Send(server.Port());

  EXPECT_EQ(server.Connections(), 1);
  std::vector<std::string> seen = server.Commands();
  ASSERT_EQ(seen.size(), 10u);
  EXPECT_THAT(std::vector(seen.begin(), seen.begin() + 5),
              ElementsAre("USER kvoter", "PASS kvoter", "CWD //tmp//kvoter", "CWD //tmp//kvoter",
                          "TYPE L 8"));
  EXPECT_EQ(seen[6], "STOR 74930537.s05");
  EXPECT_EQ(seen[8], "STOR 74930537.k05");
  EXPECT_EQ(seen[9], "QUIT");
  EXPECT_EQ(dialogs_.Texts(), std::vector{ResultText("74930537.s05")});
  EXPECT_FALSE(DumpKept());
}

TEST_F(SendRegisterTest, NextCallLogsInAgainWhenTheServerClosedTheConnectionLeftOpen) {
  FaultScript script;
  script.replies["CWD"] = {"421 Idle timeout, closing control connection." + kClose,
                           "250 Directory changed"};
  FaultFtpServer server(script);
  EXPECT_EQ(SendError(server.Port()), "421 Idle timeout, closing control connection.");
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // let the close arrive
  Send(server.Port());
  EXPECT_EQ(server.Connections(), 2);
  EXPECT_EQ(dialogs_.Texts(), std::vector{ResultText("74930537.s05")});
  EXPECT_TRUE(server.Files()["74930537.k05"] == controlBytes_);
}

TEST_F(SendRegisterTest, FailedLogoutShowsItsMessageAndTheRunGoesOn) {
  const std::pair<const char*, std::string> rows[] = {
      {"QUIT refused", "500 Unknown command."},
      {"connection dropped at QUIT", kClose},
      {"no answer to QUIT", kSilent},  // waits the client's full 5000 ms
  };
  for (const auto& [name, reply] : rows) {
    dialogs_.shown.clear();
    FaultScript script;
    script.replies["QUIT"] = {reply};
    FaultFtpServer server(script);
    EXPECT_NO_THROW(Send(server.Port())) << name;
    EXPECT_EQ(dialogs_.Texts(), std::vector{kCannotLogOut}) << name;
    EXPECT_EQ(dialogs_.shown.at(0).caption, "") << name;
    EXPECT_FALSE(ftp_.Connected()) << name;
    EXPECT_TRUE(DumpKept()) << name;
    EXPECT_TRUE(server.Files()["74930537.k05"] == controlBytes_) << name;
  }
}

}  // namespace
