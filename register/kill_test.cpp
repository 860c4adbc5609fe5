// A processing run killed (SIGKILL) at random moments of its dump and
// register steps: each of 7493.txt, 74931.txt and 74931.kkk is afterwards
// absent, the earlier run's bytes or the complete new bytes, never a part;
// the temporaries a killed run leaves do not pile up and the next complete
// run leaves none. The run is a child (run_driver) on a list of many rows
// made by the engine once for the test program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "dbase/engine.h"
#include "dbase/query.h"
#include "platform/codepage.h"
#include "platform/temp_dir.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

#if defined(__SANITIZE_ADDRESS__)
constexpr int kRows = 20000;  // the sanitizers slow the run tenfold
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr int kRows = 20000;
#else
constexpr int kRows = 200000;
#endif
#else
constexpr int kRows = 200000;
#endif
constexpr int kKills = 20;
const char* const kOutputs[] = {"7493.txt", "74931.txt", "74931.kkk"};

// The payment list, written through the engine's own statements.
void MakeList(const std::string& dir) {
  Query q;
  q.DatabaseName = dir;
  q.SQL.Add(
      "create table 'LIST.DBF' (LCHET NUMERIC(6,0),FAMILY CHAR(20),NAME CHAR(20),FATHER "
      "CHAR(20),OT_KOD CHAR(10),NCHETA CHAR(40),SUMMA NUMERIC(11,2))");
  q.ExecSQL();
  const std::string names =
      "'" + Cp1251("Иванова") + "','" + Cp1251("Мария") + "','" + Cp1251("Петровна") + "'";
  for (int i = 0; i < kRows; ++i) {
    q.SQL.Clear();
    q.SQL.Add("insert into 'LIST.DBF' (LCHET,FAMILY,NAME,FATHER,OT_KOD,NCHETA,SUMMA) values (0," +
              names + ",'7493/0" + std::to_string(100 + i % 200) + "','408178100000" +
              std::to_string(10000000 + i) + "','" + std::to_string(i % 50000) + "." +
              std::to_string(10 + i % 90) + "')");
    q.ExecSQL();
  }
  CloseCachedTables();
}

// The driver started with stdout on a pipe; its letters are read with a
// bound on every wait.
class Driver {
 public:
  explicit Driver(const std::string& dir) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const std::string program = KVOTER_RUN_DRIVER;
    std::vector<std::string> args = {program, dir, "LIST.DBF"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    read_ = out[0];
    if (rc != 0) throw std::runtime_error("cannot start " + program);
  }
  ~Driver() {
    if (pid_ > 0) Kill();
    close(read_);
  }

  // Waits for the letter; false when the child ends or the bound passes.
  bool WaitFor(char letter, int boundMs = 300000) {
    const auto until = Clock::now() + std::chrono::milliseconds(boundMs);
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
      if (left <= 0) return false;
      pollfd p{read_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
      char c = 0;
      if (read(read_, &c, 1) != 1) return false;
      if (c == letter) return true;
    }
  }
  void Kill() {
    kill(pid_, SIGKILL);
    Reap();
  }
  int Reap() {
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int read_ = -1;
};

std::vector<std::string> Temporaries(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().filename().string().find(".tmp-") != std::string::npos)
      names.push_back(e.path().filename().string());
  return names;
}

class KillTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    MakeList(dir_->Path().string());
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static fs::path Dir() { return dir_->Path(); }

  // The earlier run's files: those of another list.
  void PutEarlierFiles() {
    const fs::path data = fs::path(getenv("KVOTER_SOURCE_DIR")) / "register" / "testdata";
    earlier_["7493.txt"] = ReadBytes(data / "dump_standard.txt");
    earlier_["74931.txt"] = ReadBytes(data / "register_standard.txt");
    earlier_["74931.kkk"] = ReadBytes(data / "control_standard.kkk");
    for (const auto& [name, bytes] : earlier_) WriteBytes(Dir() / name, bytes);
  }

  static TempDir* dir_;
  std::map<std::string, std::string> earlier_;
};

TempDir* KillTest::dir_ = nullptr;

TEST_F(KillTest, KilledDuringTheDumpOrTheRegisterLeavesWholeFiles) {
  // Two complete runs: the new bytes and how long the two steps take at
  // most (the machine may be busy).
  PutEarlierFiles();
  std::map<std::string, std::string> fresh;
  Clock::duration steps{};
  for (int i = 0; i < 2; ++i) {
    Driver run(Dir().string());
    ASSERT_TRUE(run.WaitFor('D')) << "the run did not reach the dump";
    const auto start = Clock::now();
    ASSERT_TRUE(run.WaitFor('E')) << "the run did not finish the register";
    steps = std::max(steps, Clock::now() - start);
    ASSERT_EQ(run.Reap(), 0);
  }
  for (const char* name : kOutputs) {
    fresh[name] = ReadBytes(Dir() / name);
    ASSERT_NE(fresh[name], earlier_[name]) << name;
  }
  ASSERT_EQ(std::count(fresh["74931.txt"].begin(), fresh["74931.txt"].end(), '\n'), kRows);

  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> within(0.0, 1.0);
  std::map<std::string, int> seen;  // "<file> <state>" -> how often
  for (int k = 0; k < kKills; ++k) {
    PutEarlierFiles();
    // One moment in each twentieth of the two steps.
    const auto delay =
        std::chrono::duration_cast<Clock::duration>(steps * ((k + within(random)) / kKills));
    {
      Driver run(Dir().string());
      ASSERT_TRUE(run.WaitFor('D')) << "kill " << k;
      std::this_thread::sleep_for(delay);
      run.Kill();
    }
    std::map<std::string, std::string> state;
    for (const char* name : kOutputs) {
      const fs::path p = Dir() / name;
      if (!fs::exists(p)) {
        state[name] = "absent";
      } else {
        const std::string bytes = ReadBytes(p);
        state[name] = bytes == fresh[name] ? "new" : bytes == earlier_[name] ? "earlier" : "PART";
      }
      ++seen[std::string(name) + " " + state[name]];
      EXPECT_NE(state[name], "PART") << "kill " << k << ": " << name << " holds part of a file";
    }
    // The register is made from the new dump, the control file after it.
    if (state["74931.txt"] == "new") EXPECT_EQ(state["7493.txt"], "new") << "kill " << k;
    if (state["74931.kkk"] == "new") EXPECT_EQ(state["74931.txt"], "new") << "kill " << k;
    // At most one temporary of each file: a stale one goes when its file
    // is next written.
    const std::vector<std::string> left = Temporaries(Dir());
    for (const char* name : kOutputs)
      EXPECT_LE(std::count_if(left.begin(), left.end(),
                              [&](const std::string& t) { return t.find(name) == 1; }),
                1)
          << "kill " << k << ": " << ::testing::PrintToString(left);
  }
  for (const auto& [what, times] : seen) std::cout << "  " << what << ": " << times << "\n";

  // The next complete run writes the new files and leaves no temporary.
  PutEarlierFiles();
  {
    Driver run(Dir().string());
    ASSERT_TRUE(run.WaitFor('E'));
    ASSERT_EQ(run.Reap(), 0);
  }
  for (const char* name : kOutputs) EXPECT_EQ(ReadBytes(Dir() / name), fresh[name]) << name;
  EXPECT_EQ(Temporaries(Dir()), std::vector<std::string>{});
}

}  // namespace
