#include "app/archive_extraction.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/error.h"

namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

// A check list held in memory: names and ticks, as the window keeps them.
class FakeWindow : public ExtractionWindow {
 public:
  std::vector<std::pair<std::string, bool>> items;
  std::string chosen;
  FileList list;
  int copies = 0;

  std::optional<std::string> FirstTickedName() override {
    for (const auto& [name, ticked] : items)
      if (ticked) return name;
    return std::nullopt;
  }
  std::string OpenDialogFileName() override { return chosen; }
  FileList& FileListBox1() override { return list; }
  void CopyFileListToCheckList() override {
    ++copies;
    items.clear();
    for (const auto& n : list.Items()) items.emplace_back(n, false);
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> n;
    for (const auto& i : items) n.push_back(i.first);
    return n;
  }
};

// Records what would have been started, for the cases that need no archiver.
class RecordingRunner : public ProcessRunner {
 public:
  std::vector<std::vector<std::string>> calls;
  ProcessResult Run(const std::vector<std::string>& argv, int) override {
    calls.push_back(argv);
    return {true, false, 0};
  }
};

class ExtractArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("kvoter_arj_" + std::to_string(getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "lists");
    work_ = {(root_ / "tmp").string(), (root_ / "tmp" / "pen").string()};
    saved_cwd_ = fs::current_path();
  }
  void TearDown() override {
    fs::current_path(saved_cwd_);
    fs::remove_all(root_);
  }
  // An archive made by Debian's arj from the given files of lists/.
  void MakeArchive(const std::string& archive, const std::vector<std::string>& members) {
    std::string cmd = "cd '" + (root_ / "lists").string() + "' && arj a -i -y -e '" + archive + "'";
    for (const auto& m : members) cmd += " '" + m + "'";
    cmd += " >/dev/null </dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    for (const auto& m : members) fs::remove(root_ / "lists" / m);
  }
  fs::path root_;
  WorkFolder work_;
  fs::path saved_cwd_;
};

TEST_F(ExtractArchiveTest, UnpacksTheFirstTickedArchiveWithTheRealArchiver) {
  WriteFile(root_ / "lists" / "A.DBF", "first list");
  WriteFile(root_ / "lists" / "B.DBF", "second list");
  MakeArchive("PAY ME;$(x).ARJ", {"A.DBF", "B.DBF"});  // blanks and shell characters
  WriteFile(root_ / "lists" / "OTHER.ARJ", "not touched");
  FakeWindow w;
  w.chosen = (root_ / "lists" / "OTHER.ARJ").string();
  w.items = {{"OTHER.ARJ", false}, {"PAY ME;$(x).ARJ", true}};
  PosixProcessRunner runner;
  ExtractArchive(w, work_, runner);
  EXPECT_EQ(w.Names(), (std::vector<std::string>{"A.DBF", "B.DBF"}));
  for (const auto& i : w.items) EXPECT_FALSE(i.second);
  EXPECT_EQ(fs::current_path(), fs::path(work_.folder));
  std::ifstream in(fs::path(work_.folder) / "B.DBF");
  std::string content;
  std::getline(in, content);
  EXPECT_EQ(content, "second list");
}

TEST_F(ExtractArchiveTest, EmptiesAnExistingWorkFolderEvenWithNothingTicked) {
  fs::create_directories(fs::path(work_.folder) / "sub");
  WriteFile(fs::path(work_.folder) / "OLD.DBF", "x");
  WriteFile(fs::path(work_.folder) / ".hidden", "x");
  FakeWindow w;
  w.items = {{"X.ARJ", false}};
  RecordingRunner runner;
  ExtractArchive(w, work_, runner);
  EXPECT_FALSE(fs::exists(fs::path(work_.folder) / "OLD.DBF"));
  EXPECT_TRUE(fs::exists(fs::path(work_.folder) / ".hidden"));  // not listed, not deleted
  EXPECT_TRUE(fs::exists(fs::path(work_.folder) / "sub"));
  EXPECT_TRUE(runner.calls.empty());
  EXPECT_EQ(w.copies, 0);  // the check list keeps its items and ticks
  EXPECT_EQ(w.Names(), std::vector<std::string>{"X.ARJ"});
}

TEST_F(ExtractArchiveTest, StartsTheArchiverWithOneArgumentPerPiece) {
  WriteFile(root_ / "lists" / "-rf.arj", "not an archive");
  FakeWindow w;
  w.chosen = (root_ / "lists" / "-rf.arj").string();
  w.items = {{"-rf.arj", true}};
  RecordingRunner runner;
  ExtractArchive(w, work_, runner);
  ASSERT_EQ(runner.calls.size(), 1u);
  EXPECT_EQ(runner.calls[0], (std::vector<std::string>{"arj", "e", "-+", "-i", "-y", "./-rf.arj",
                                                       work_.folder + "/"}));
  EXPECT_TRUE(w.items.empty());  // the folder holds nothing the archiver could add
}

TEST_F(ExtractArchiveTest, RefusesUnsafeOrUncreatableWorkFolders) {
  FakeWindow w;
  RecordingRunner runner;
  // A file where the working folder should be.
  fs::create_directories(work_.parent);
  WriteFile(work_.folder, "file");
  EXPECT_THROW(
      {
        try {
          ExtractArchive(w, work_, runner);
        } catch (const InOutError& e) {
          EXPECT_EQ(std::string(e.what()), "Cannot create " + work_.folder + " directory.");
          throw;
        }
      },
      InOutError);
  // A link planted where the working folder should be: never emptied through it.
  fs::remove(work_.folder);
  fs::create_directories(root_ / "victim");
  WriteFile(root_ / "victim" / "PRECIOUS.DBF", "keep");
  fs::create_directory_symlink(root_ / "victim", work_.folder);
  EXPECT_THROW(ExtractArchive(w, work_, runner), InOutError);
  EXPECT_TRUE(fs::exists(root_ / "victim" / "PRECIOUS.DBF"));
  // A parent that cannot be made.
  WorkFolder bad{(root_ / "missing" / "tmp").string(),
                 (root_ / "missing" / "tmp" / "pen").string()};
  try {
    ExtractArchive(w, bad, runner);
    ADD_FAILURE();
  } catch (const InOutError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create " + bad.parent + " directory.");
  }
  EXPECT_TRUE(runner.calls.empty());
}

TEST_F(ExtractArchiveTest, StopsAnArchiverThatNeverEnds) {
  // A stand-in archiver on PATH that hangs: the wait is bounded and the
  // folder is listed afterwards.
  fs::create_directories(root_ / "bin");
  WriteFile(root_ / "bin" / "arj", "#!/bin/sh\nsleep 30\n");
  fs::permissions(root_ / "bin" / "arj", fs::perms::owner_all);
  const std::string path = (root_ / "bin").string() + ":" + getenv("PATH");
  const std::string saved = getenv("PATH");
  setenv("PATH", path.c_str(), 1);
  FakeWindow w;
  w.chosen = (root_ / "lists" / "X.ARJ").string();
  w.items = {{"X.ARJ", true}};
  PosixProcessRunner runner;
  ExtractArchive(w, work_, runner, 300);
  setenv("PATH", saved.c_str(), 1);
  EXPECT_EQ(w.copies, 1);
  EXPECT_TRUE(w.items.empty());
}

}  // namespace
