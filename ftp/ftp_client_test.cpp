#include "ftp/ftp_client.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "ftp/fault_ftp_server.h"
#include "ftp/ftp_error.h"
#include "platform/temp_dir.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr int kTestTimeOutMs = 300;

FtpClient ClientFor(uint16_t port) {
  FtpClient ftp;
  ftp.Host = "127.0.0.1";
  ftp.Port = port;
  ftp.UserID = "kvoter";
  ftp.Password = "s3cret";
  ftp.TimeOut = kTestTimeOutMs;
  return ftp;
}

// The message of the error `action` raises, or "" when it raises none.
std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

// "PORT 127,0,0,1,p1,p2" with a port other than 0.
bool IsPortCommand(const std::string& line) {
  unsigned p1 = 0, p2 = 0;
  char end = 0;
  return std::sscanf(line.c_str(), "PORT 127,0,0,1,%u,%u%c", &p1, &p2, &end) == 2 && p1 < 256 &&
         p2 < 256 && p1 * 256 + p2 > 0;
}

struct OrderCase {
  const char* name;
  bool connectAtPort;
  const char* preliminary;
};

TEST(FtpClient, StoresTheFileUnchangedWheneverTheServerConnects) {
  const OrderCase cases[] = {
      {"connects after STOR, 150", false, "150 Opening BINARY mode data connection"},
      {"connects on PORT, 125", true, "125 Data connection already open"},
  };
  for (const OrderCase& c : cases) {
    TempDir dir;
    std::string bytes = AwkwardBytes(300 * 1024);
    std::string local = dir.Write("74931.txt", bytes);
    FaultScript script;
    script.connectAtPort = c.connectAtPort;
    script.replies["STOR"] = {c.preliminary};
    FaultFtpServer server(script);
    FtpClient ftp = ClientFor(server.Port());
    int waits = 0;
    ftp.OnWait = [&waits] { ++waits; };

    ftp.Connect();
    ftp.ChangeDir("//tmp//kvoter");
    ftp.Mode(3);
    ftp.Upload(local, "74930537.s05");
    ftp.Disconnect();

    std::vector<std::string> seen = server.Commands();
    ASSERT_EQ(seen.size(), 7u) << c.name;
    EXPECT_THAT(std::vector(seen.begin(), seen.begin() + 4),
                ElementsAre("USER kvoter", "PASS s3cret", "CWD //tmp//kvoter", "TYPE L 8"));
    EXPECT_TRUE(IsPortCommand(seen[4])) << seen[4];
    EXPECT_EQ(seen[5], "STOR 74930537.s05");
    EXPECT_EQ(seen[6], "QUIT");
    EXPECT_TRUE(server.Files()["74930537.s05"] == bytes) << c.name;
    EXPECT_FALSE(ftp.Connected());
    EXPECT_GT(waits, 0) << "the wait hook runs while the client waits";
  }
}

TEST(FtpClient, ModesSendTheirTypeCommands) {
  FaultFtpServer server({});
  FtpClient ftp = ClientFor(server.Port());
  ftp.Connect();
  ftp.Mode(1);
  ftp.Mode(2);
  ftp.Mode(3);
  EXPECT_THAT(ErrorOf([&] { ftp.Mode(7); }), HasSubstr("Unknown transfer mode 7"));
  EXPECT_THAT(server.Commands(),
              ElementsAre("USER kvoter", "PASS s3cret", "TYPE A", "TYPE I", "TYPE L 8"));
}

TEST(FtpClient, LogsInOnceAndWithoutPasswordWhenUserSuffices) {
  FaultScript script;
  script.greeting = "220-Welcome\r\n220-to the fault server\r\n220 Ready";
  script.replies["USER"] = {"230 User logged in, proceed"};
  FaultFtpServer server(script);
  FtpClient ftp = ClientFor(server.Port());
  ftp.Connect();
  ftp.Connect();  // already connected: nothing happens
  ftp.ChangeDir("//tmp//kvoter");
  EXPECT_EQ(server.Connections(), 1);
  EXPECT_THAT(server.Commands(), ElementsAre("USER kvoter", "CWD //tmp//kvoter"));
}

TEST(FtpClient, RaisesNotConnectedAtOnceBeforeConnecting) {
  FaultFtpServer server({});
  TempDir dir;
  std::string local = dir.Write("74931.txt", "x");
  FtpClient ftp = ClientFor(server.Port());
  const std::pair<const char*, std::function<void()>> operations[] = {
      {"ChangeDir", [&] { ftp.ChangeDir("//tmp//kvoter"); }},
      {"Mode", [&] { ftp.Mode(3); }},
      {"Upload", [&] { ftp.Upload(local, "74930537.s05"); }},
      {"Disconnect", [&] { ftp.Disconnect(); }},
  };
  for (const auto& [name, operation] : operations)
    EXPECT_EQ(ErrorOf(operation), "Not Connected") << name;
  EXPECT_EQ(server.Connections(), 0);
}

TEST(FtpClient, RefusedLoginQuitsAndLeavesTheClientNotConnected) {
  FaultScript script;
  script.replies["PASS"] = {"530 Login incorrect."};
  FaultFtpServer server(script);
  FtpClient ftp = ClientFor(server.Port());
  std::string error = ErrorOf([&] { ftp.Connect(); });
  EXPECT_THAT(error, HasSubstr("530 Login incorrect."));
  EXPECT_THAT(error, Not(HasSubstr("s3cret")));
  EXPECT_FALSE(ftp.Connected());
  EXPECT_THAT(server.Commands(), ElementsAre("USER kvoter", "PASS s3cret", "QUIT"));
  EXPECT_EQ(ErrorOf([&] { ftp.ChangeDir("//tmp//kvoter"); }), "Not Connected");
}

TEST(FtpClient, RefusedGreetingSendsNoLogin) {
  FaultScript script;
  script.greeting = "421 Too many users";
  FaultFtpServer server(script);
  FtpClient ftp = ClientFor(server.Port());
  EXPECT_THAT(ErrorOf([&] { ftp.Connect(); }), HasSubstr("421 Too many users"));
  EXPECT_FALSE(ftp.Connected());
  EXPECT_THAT(server.Commands(), Not(::testing::Contains("USER kvoter")));
}

TEST(FtpClient, RefusedCommandRaisesTheFirstReplyLineAndStaysConnected) {
  FaultScript script;
  script.replies["CWD"] = {"550-No such directory\r\n550 Check the path"};
  script.replies["TYPE"] = {"504 Command not implemented for that parameter"};
  FaultFtpServer server(script);
  FtpClient ftp = ClientFor(server.Port());
  ftp.Connect();
  EXPECT_EQ(ErrorOf([&] { ftp.ChangeDir("//tmp//kvoter"); }), "550-No such directory");
  EXPECT_EQ(ErrorOf([&] { ftp.Mode(3); }), "504 Command not implemented for that parameter");
  EXPECT_TRUE(ftp.Connected());
}

TEST(FtpClient, RefusesLineBreaksInArgumentsWithoutSendingThem) {
  FaultFtpServer server({});
  FtpClient ftp = ClientFor(server.Port());
  ftp.Connect();
  EXPECT_THAT(ErrorOf([&] { ftp.ChangeDir("tmp\r\nDELE 74931.txt"); }), HasSubstr("line break"));
  EXPECT_THAT(server.Commands(), ElementsAre("USER kvoter", "PASS s3cret"));
}

struct SilenceCase {
  const char* name;
  std::function<void(FaultScript&)> script;
  std::function<void(FtpClient&)> operation;
  const char* wait;
};

TEST(FtpClient, EndsEveryWaitAfterTimeOutNamingTheWait) {
  const SilenceCase cases[] = {
      {"no greeting", [](FaultScript& s) { s.greeting = kSilent; },
       [](FtpClient& f) { f.Connect(); }, "waiting for the greeting"},
      {"no reply to PASS", [](FaultScript& s) { s.replies["PASS"] = {kSilent}; },
       [](FtpClient& f) { f.Connect(); }, "waiting for the reply to PASS"},
      {"no reply to CWD", [](FaultScript& s) { s.replies["CWD"] = {kSilent}; },
       [](FtpClient& f) {
         f.Connect();
         f.ChangeDir("//tmp//kvoter");
       },
       "waiting for the reply to CWD"},
      {"no reply to QUIT", [](FaultScript& s) { s.replies["QUIT"] = {kSilent}; },
       [](FtpClient& f) {
         f.Connect();
         f.Disconnect();
       },
       "waiting for the reply to QUIT"},
      {"garbled reply", [](FaultScript& s) { s.replies["CWD"] = {"Directory changed, friend"}; },
       [](FtpClient& f) {
         f.Connect();
         f.ChangeDir("//tmp//kvoter");
       },
       "Malformed reply"},
  };
  for (const SilenceCase& c : cases) {
    FaultScript script;
    c.script(script);
    FaultFtpServer server(script);
    FtpClient ftp = ClientFor(server.Port());
    EXPECT_THAT(ErrorOf([&] { c.operation(ftp); }), HasSubstr(c.wait)) << c.name;
    EXPECT_FALSE(ftp.Connected()) << c.name << ": a late reply must not answer a later command";
  }
}

TEST(FtpClient, ReportsAServerThatIsNotThere) {
  uint16_t port = 0;
  {
    FaultFtpServer gone({});
    port = gone.Port();
  }
  FtpClient ftp = ClientFor(port);
  EXPECT_THAT(ErrorOf([&] { ftp.Connect(); }), HasSubstr("Cannot connect to 127.0.0.1:"));
  EXPECT_FALSE(ftp.Connected());
  ftp.Host = "ftp.example";
  EXPECT_THAT(ErrorOf([&] { ftp.Connect(); }), HasSubstr("not an IPv4 address"));
}

struct UploadFault {
  const char* name;
  std::function<void(FaultScript&)> script;
  size_t fileBytes;
  const char* error;
  bool staysConnected;
};

TEST(FtpClient, UploadSucceedsOnlyOnACompletionReply) {
  const UploadFault cases[] = {
      {"PORT refused", [](FaultScript& s) { s.replies["PORT"] = {"500 Illegal PORT command"}; },
       1000, "PORT refused: 500 Illegal PORT command", true},
      {"STOR refused", [](FaultScript& s) { s.replies["STOR"] = {"553 Could not create file."}; },
       1000, "STOR 74930537.s05 refused: 553 Could not create file.", true},
      {"data connection never opened", [](FaultScript& s) { s.data = DataFault::NeverConnect; },
       1000, "did not connect to the data port within 300 ms", false},
      {"data connection from a stranger",
       [](FaultScript& s) { s.data = DataFault::ForeignAddress; }, 1000,
       "did not connect to the data port", false},
      {"data connection dropped midway",
       [](FaultScript& s) {
         s.data = DataFault::DropAfterBytes;
         s.dropAfterBytes = 100000;
         s.completion = "426 Connection closed; transfer aborted.";
       },
       8 << 20, "426 Connection closed; transfer aborted.", true},
      {"server stops reading", [](FaultScript& s) { s.data = DataFault::StopReading; }, 12 << 20,
       "the server takes nothing more", false},
      {"failure completion", [](FaultScript& s) { s.completion = "451 Local error in processing"; },
       1000, "failed: 451 Local error in processing", true},
      {"completion that is no completion", [](FaultScript& s) { s.completion = "200 Fine"; }, 1000,
       "failed: 200 Fine", true},
      {"connection dropped before the completion", [](FaultScript& s) { s.completion = kClose; },
       1000, "closed the connection before the completion reply", false},
      {"no completion reply", [](FaultScript& s) { s.completion = kSilent; }, 1000,
       "Timed out after 300 ms waiting for the completion reply to STOR 74930537.s05", false},
  };
  for (const UploadFault& c : cases) {
    TempDir dir;
    std::string local = dir.Write("74931.txt", AwkwardBytes(c.fileBytes));
    FaultScript script;
    c.script(script);
    FaultFtpServer server(script);
    FtpClient ftp = ClientFor(server.Port());
    ftp.Connect();
    EXPECT_THAT(ErrorOf([&] { ftp.Upload(local, "74930537.s05"); }), HasSubstr(c.error)) << c.name;
    EXPECT_EQ(ftp.Connected(), c.staysConnected) << c.name;
  }
}

TEST(FtpClient, UnreadableLocalFileSendsNothing) {
  FaultFtpServer server({});
  TempDir dir;
  FtpClient ftp = ClientFor(server.Port());
  ftp.Connect();
  for (std::string local : {std::string("no-such-file.txt"), dir.Path().string()})
    EXPECT_THROW(ftp.Upload(local, "74930537.s05"), InOutError) << local;
  EXPECT_THAT(server.Commands(), ElementsAre("USER kvoter", "PASS s3cret"));
  EXPECT_TRUE(ftp.Connected());
}

TEST(FtpClient, RefusesAnotherOperationStartedFromTheWaitHook) {
  FaultScript script;
  script.replies["CWD"] = {kSilent};
  FaultFtpServer server(script);
  FtpClient ftp = ClientFor(server.Port());
  ftp.Connect();
  std::string nested;
  ftp.OnWait = [&] {
    if (nested.empty()) nested = ErrorOf([&] { ftp.Mode(3); });
  };
  EXPECT_THROW(ftp.ChangeDir("//tmp//kvoter"), FtpError);
  EXPECT_THAT(nested, HasSubstr("busy"));
  EXPECT_THAT(server.Commands(), Not(::testing::Contains("TYPE L 8")));
}

}  // namespace
