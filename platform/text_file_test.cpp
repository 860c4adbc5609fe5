#include "platform/text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/file_system_fake.h"

#include "platform/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class TextFileTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  void Put(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  std::string Get(const std::string& name) const { return ReadFileBytes(Path(name)); }
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.insert(e.path().filename());
    return names;
  }

  TempDir tmp_;
  std::string dir_ = tmp_.Path().string();
};

TEST_F(TextFileTest, WritesTheExactBytesAndReplacesAnEarlierFile) {
  const std::string bytes = std::string("line\r\n\0\x80\xFF", 9) + std::string(3 << 20, 'x');
  Put("out.txt", "earlier content");
  WriteFileAtomically(Path("out.txt"), bytes);
  EXPECT_EQ(Get("out.txt"), bytes);
  EXPECT_EQ(Names(), std::set<std::string>{"out.txt"});

  WriteFileAtomically(Path("empty.txt"), "");
  EXPECT_EQ(fs::file_size(Path("empty.txt")), 0u);

  const mode_t mask = umask(0);
  umask(mask);
  struct stat st {};
  ASSERT_EQ(stat(Path("empty.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

// A run killed between the creation of a temporary and its rename leaves
// the temporary; writing the same target again removes it, and only it.
TEST_F(TextFileTest, TemporariesOfAKilledRunAreRemovedWhenTheTargetIsWritten) {
  const std::set<std::string> kept = {
      ".out.txt.tmp-abc",       // not a name the writer makes
      ".out.txt.tmp-abcdefg",   // one letter too many
      ".other.txt.tmp-Ab12Cd",  // another target's
      "out.txt.tmp-Ab12Cd",     // no leading dot
      ".out.txt.tmp-dir123",    // a directory
  };
  for (const std::string& name : kept)
    if (name != ".out.txt.tmp-dir123") Put(name, "keep");
  fs::create_directory(Path(".out.txt.tmp-dir123"));
  Put(".out.txt.tmp-Ab12Cd", "stale half of an earlier run");
  Put(".out.txt.tmp-000000", "stale");
  WriteFileAtomically(Path("out.txt"), "new");
  std::set<std::string> expected = kept;
  expected.insert("out.txt");
  EXPECT_EQ(Names(), expected);
  EXPECT_EQ(Get("out.txt"), "new");
}

TEST_F(TextFileTest, StreamsAppendsAndCommitsAtTheEnd) {
  Put("out.txt", "earlier");
  std::string expected;
  {
    AtomicFileWriter writer(Path("out.txt"));
    for (int i = 0; i < 20000; ++i) {
      const std::string line = std::to_string(i) + std::string(100, 'a') + "\r\n";
      writer.Append(line);
      expected += line;
    }
    writer.Append(std::string(2 << 20, 'b'));  // larger than the buffer
    expected += std::string(2 << 20, 'b');
    EXPECT_EQ(Get("out.txt"), "earlier");  // untouched until the commit
    writer.Commit();
  }
  EXPECT_EQ(Get("out.txt"), expected);
  EXPECT_EQ(Names().size(), 1u);
}

TEST_F(TextFileTest, AWriterDroppedWithoutCommitLeavesTheEarlierFile) {
  Put("out.txt", "earlier");
  {
    AtomicFileWriter writer(Path("out.txt"));
    writer.Append(std::string(3 << 20, 'x'));
  }
  EXPECT_EQ(Get("out.txt"), "earlier");
  EXPECT_EQ(Names(), std::set<std::string>{"out.txt"});
}

TEST_F(TextFileTest, AFailureAnywhereLeavesTheEarlierFileWholeAndNoTemporary) {
  using At = FailingFileSystem::FailAt;
  const struct {
    At at;
    size_t after;
    const char* what;
  } cases[] = {
      {At::Create, 0, "temporary cannot be made"},
      {At::Write, 0, "first write fails"},
      {At::Write, 5, "fails after 5 bytes"},
      {At::Write, (1 << 20) + 17, "fails after the first buffer"},
      {At::Close, 0, "flush at close fails"},
      {At::Rename, 0, "rename fails"},
  };
  const std::string bytes(3 << 20, 'n');
  for (const auto& c : cases) {
    Put("out.txt", "earlier");
    FailingFileSystem failing;
    failing.fail_at = c.at;
    failing.fail_after_bytes = c.after;
    try {
      WriteFileAtomically(Path("out.txt"), bytes, failing);
      ADD_FAILURE() << c.what << ": no error";
    } catch (const InOutError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Cannot create file " + Path("out.txt") + ": ", 0), 0u)
          << e.what();
    }
    EXPECT_EQ(failing.faults, 1) << c.what;
    EXPECT_EQ(Get("out.txt"), "earlier") << c.what;
    EXPECT_EQ(Names(), std::set<std::string>{"out.txt"}) << c.what;
  }
}

TEST_F(TextFileTest, AnUnwritableDirectoryIsReportedByThePathGiven) {
  Put("plain", "a regular file");
  for (const std::string& path : {Path("missing/out.txt"), Path("plain/out.txt"), Path("")}) {
    try {
      WriteFileAtomically(path, "data");
      ADD_FAILURE() << path << ": no error";
    } catch (const InOutError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Cannot create file " + path + ": ", 0), 0u)
          << e.what();
    }
  }
  EXPECT_EQ(Names(), std::set<std::string>{"plain"});
}

TEST_F(TextFileTest, ReadingAMissingFileOrADirectoryNamesThePath) {
  const std::pair<std::string, std::string> cases[] = {
      {Path("missing.txt"), "Cannot open file " + Path("missing.txt") + ": "},
      {dir_, "Cannot read file " + dir_ + ": "},
  };
  for (const auto& [path, message] : cases) {
    try {
      ReadFileBytes(path);
      ADD_FAILURE() << path;
    } catch (const InOutError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(message, 0), 0u) << e.what();
    }
    try {
      LineFileReader reader(path);
      std::string_view line;
      reader.Next(line);
      ADD_FAILURE() << path;
    } catch (const InOutError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(message, 0), 0u) << e.what();
    }
  }
}

std::vector<std::string> LinesOf(const std::string& path) {
  std::vector<std::string> lines;
  LineFileReader reader(path);
  for (std::string_view line; reader.Next(line);) lines.emplace_back(line);
  return lines;
}

TEST_F(TextFileTest, ReadsLinesBrokenByCrLfOrCrLf) {
  using Lines = std::vector<std::string>;
  const std::string block(1 << 20, 'a');  // the reader's block size
  const std::pair<std::string, Lines> cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\rc", {"a", "b", "c"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"\r\n", {""}},
      {"a\n\nb\n", {"a", "", "b"}},
      {"a\r", {"a"}},
      {block.substr(1) + "\r\nb", {block.substr(1), "b"}},      // CR LF across two blocks
      {block.substr(1) + "\r\rb", {block.substr(1), "", "b"}},  // CR CR across two blocks
      {block + block + "x\ny", {block + block + "x", "y"}},     // a line over two blocks
  };
  for (const auto& [bytes, lines] : cases) {
    Put("in.txt", bytes);
    EXPECT_EQ(LinesOf(Path("in.txt")), lines) << bytes.substr(0, 20);
  }
  // Many short lines broken by CR alone.
  std::string crOnly;
  for (int i = 0; i < 300000; ++i) crOnly += "line\r";
  Put("in.txt", crOnly);
  EXPECT_EQ(LinesOf(Path("in.txt")).size(), 300000u);
}

}  // namespace

// Reads of 1 to 7 bytes at a time, as from a pipe: a break may fall on any
// edge of a read.
class ShortReads : public FileSystem {
 public:
  int CreateTemporary(const std::string& t, int& h, std::string& n) override {
    return real_.CreateTemporary(t, h, n);
  }
  int Write(int h, const char* d, size_t s) override { return real_.Write(h, d, s); }
  int OpenForReading(const std::string& p, int& h) override { return real_.OpenForReading(p, h); }
  int Read(int h, char* d, size_t capacity, size_t& got) override {
    next_ = next_ % 7 + 1;
    return real_.Read(h, d, std::min(capacity, next_), got);
  }
  int Close(int h) override { return real_.Close(h); }
  int Rename(const std::string& f, const std::string& t) override { return real_.Rename(f, t); }
  void Remove(const std::string& p) override { real_.Remove(p); }

 private:
  FileSystem& real_ = PosixFileSystem();
  size_t next_ = 0;
};

TEST_F(TextFileTest, ReadsTheSameLinesWhenEachReadBringsAFewBytes) {
  using Lines = std::vector<std::string>;
  std::string many;
  Lines manyLines;
  for (int i = 0; i < 20000; ++i) {
    many += "l" + std::to_string(i) + (i % 3 == 0 ? "\r" : i % 3 == 1 ? "\n" : "\r\n");
    manyLines.push_back("l" + std::to_string(i));
  }
  const std::pair<std::string, Lines> cases[] = {
      {"", {}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\rc", {"a", "b", "c"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"abcdefg\r\nhijklmn\r\r", {"abcdefg", "hijklmn", ""}},
      {many, manyLines},
  };
  for (const auto& [bytes, lines] : cases) {
    Put("in.txt", bytes);
    ShortReads fs;
    LineFileReader reader(Path("in.txt"), fs);
    Lines got;
    for (std::string_view line; reader.Next(line);) got.emplace_back(line);
    EXPECT_EQ(got, lines) << bytes.substr(0, 20);
  }
}
