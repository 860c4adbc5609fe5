#include "platform/file_list.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "platform/error.h"

namespace fs = std::filesystem;

namespace {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "file_list_XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }
  void File(const std::string& name) const { std::ofstream(path_ / name) << "x"; }

 private:
  fs::path path_;
};

class FileListTest : public testing::Test {
 protected:
  void TearDown() override { fs::current_path(start_); }
  fs::path start_ = fs::current_path();
  TempDir dir_;
};

using Names = std::vector<std::string>;

TEST_F(FileListTest, ListsPlainVisibleFilesSortedWithoutRegardToCase) {
  for (const char* name : {"b.DBF", "B.dbf", "A.dbf", "c.txt", "_x.dbf", ".hidden", "noext"})
    dir_.File(name);
  fs::create_directory(dir_.path() / "Sub");
  fs::create_directory(dir_.path() / ".git");
  fs::create_symlink(dir_.path() / "A.dbf", dir_.path() / "link.dbf");
  fs::create_symlink(dir_.path() / "gone", dir_.path() / "dangling.dbf");
  fs::create_directory_symlink(dir_.path() / "Sub", dir_.path() / "dirlink");
  fs::create_directory(dir_.path() / "Sub" / "inner");
  std::ofstream(dir_.path() / "Sub" / "deep.dbf") << "x";

  FileList list;
  list.SetDirectory(dir_.path().string());
  EXPECT_EQ(list.Items(),
            (Names{"_x.dbf", "A.dbf", "B.dbf", "b.DBF", "c.txt", "link.dbf", "noext"}));
  EXPECT_EQ(list.Directory(), dir_.path().string());
}

TEST_F(FileListTest, TheCurrentDirectoryFollowsTheList) {
  TempDir other;
  other.File("o.dbf");
  FileList list;
  list.SetDirectory(dir_.path().string() + "/");
  EXPECT_EQ(fs::current_path(), dir_.path());
  list.SetDirectory(other.path().string());
  EXPECT_EQ(fs::current_path(), other.path());
  EXPECT_EQ(list.Items(), (Names{"o.dbf"}));
  fs::current_path(start_);
  list.Update();
  EXPECT_EQ(fs::current_path(), other.path());
  fs::current_path(start_);
  list.SetDirectory(other.path().string() + "\\");  // already shown, still entered
  EXPECT_EQ(fs::current_path(), other.path());
}

TEST_F(FileListTest, TheDirectoryAlreadyShownIsNotReadAgainUntilUpdate) {
  dir_.File("first.dbf");
  FileList list;
  list.SetDirectory(dir_.path().string());
  dir_.File("second.dbf");
  for (const std::string suffix : {"", "/", "\\", "//"}) {
    list.SetDirectory(dir_.path().string() + suffix);
    EXPECT_EQ(list.Items(), (Names{"first.dbf"})) << "suffix '" << suffix << "'";
  }
  list.Update();
  EXPECT_EQ(list.Items(), (Names{"first.dbf", "second.dbf"}));
  list.Clear();
  EXPECT_TRUE(list.Items().empty());
  EXPECT_EQ(list.Directory(), dir_.path().string());
}

TEST_F(FileListTest, ADirectoryThatCannotBeEnteredRaisesNamingItAndChangesNothing) {
  dir_.File("kept.dbf");
  dir_.File("plain.txt");
  FileList list;
  list.SetDirectory(dir_.path().string());
  const std::map<std::string, std::string> cases = {
      {"missing", (dir_.path() / "missing").string()},
      {"a file", (dir_.path() / "plain.txt").string()},
      {"empty name", ""},
  };
  for (const auto& [what, bad] : cases) {
    try {
      list.SetDirectory(bad);
      ADD_FAILURE() << what << ": no error";
    } catch (const InOutError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Cannot open directory " + bad + ": ", 0), 0u)
          << what << ": " << e.what();
    }
    EXPECT_EQ(list.Directory(), dir_.path().string()) << what;
    EXPECT_EQ(list.Items(), (Names{"kept.dbf", "plain.txt"})) << what;
    EXPECT_EQ(fs::current_path(), dir_.path()) << what;
  }
}

TEST_F(FileListTest, UpdateOfADirectoryThatHasGoneRaises) {
  TempDir gone;
  gone.File("a.dbf");
  FileList list;
  list.SetDirectory(gone.path().string());
  fs::current_path(start_);
  fs::remove_all(gone.path());
  EXPECT_THROW(list.Update(), InOutError);
}

// A reader that only records the calls: the comparison of directory names
// without regard to case cannot be shown on a case-sensitive file system.
class RecordingReader : public DirectoryReader {
 public:
  std::string Enter(const std::string& dir) override {
    entered.push_back(dir);
    return dir;
  }
  std::vector<std::string> PlainFiles(const std::string&) override {
    ++reads;
    return {"b", "A"};
  }
  std::vector<std::string> entered;
  int reads = 0;
};

TEST(FileListCompare, ADirectoryDifferingOnlyInCaseIsTheOneShown) {
  RecordingReader reader;
  FileList list(reader);
  list.SetDirectory("C:\\Data\\Pay");
  list.SetDirectory("c:\\DATA\\pay\\");
  EXPECT_EQ(reader.reads, 1);
  EXPECT_EQ(reader.entered, (Names{"C:\\Data\\Pay", "c:\\DATA\\pay"}));
  EXPECT_EQ(list.Items(), (Names{"A", "b"}));
  list.SetDirectory("c:\\data\\pay2");
  EXPECT_EQ(reader.reads, 2);
}

TEST(FileListCompare, NameOrderAndDirectoryEquality) {
  struct Case {
    const char* a;
    const char* b;
    bool less;
  };
  const Case order[] = {
      {"a", "B", true},  {"B", "a", false},      {"B", "b", true},
      {"b", "B", false}, {"_", "a", true},       {"ab", "AB", false},
      {"a", "ab", true}, {"\x8f", "\xe0", true}, {"Z.dbf", "a.dbf", false},
  };
  for (const Case& c : order) EXPECT_EQ(FileNameLess(c.a, c.b), c.less) << c.a << " < " << c.b;
  EXPECT_TRUE(SameDirectory("/Tmp/Pen", "/tmp/pen/"));
  EXPECT_TRUE(SameDirectory("C:\\", "c:\\"));
  EXPECT_TRUE(SameDirectory("/", "/"));
  EXPECT_FALSE(SameDirectory("/tmp/pen", "/tmp/pe"));
  EXPECT_FALSE(SameDirectory("/tmp/\xc0", "/tmp/\xe0"));  // no folding beyond ASCII
}

}  // namespace
