// The dump and the register written into a full folder: a small file system
// in memory (tmpfs) mounted by the test, which needs root (skipped
// otherwise). Each failure is an error naming the file and the reason, the
// earlier files stay as they were and no temporary is left.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "dbase/engine.h"
#include "dbase/query.h"
#include "platform/error.h"
#include "platform/temp_dir.h"
#include "register/combined_table.h"
#include "register/dump.h"
#include "register/register_writer.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSizeKb = 512;
constexpr size_t kPage = 4096;

class DiskFullTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "mounting the small file system needs root";
    mount_ = work_.Path() / "full";
    fs::create_directory(mount_);
    const std::string options = "size=" + std::to_string(kSizeKb) + "k";
    if (::mount("tmpfs", mount_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0)
      GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    mounted_ = true;
  }
  void TearDown() override {
    if (mounted_) ::umount2(mount_.c_str(), MNT_DETACH);
  }

  // Fills the file system with one file (bounded by its size) and then
  // frees `pages` pages of it.
  void FillLeaving(size_t pages) {
    const fs::path filler = mount_ / "filler";
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    const std::string block(kPage, 'f');
    off_t size = 0;
    for (ssize_t n; (n = ::write(fd, block.data(), block.size())) > 0;) size += n;
    ASSERT_EQ(errno, ENOSPC);
    ASSERT_LE(size, off_t{kSizeKb} * 1024);
    ASSERT_EQ(::ftruncate(fd, size / kPage * kPage - static_cast<off_t>(pages * kPage)), 0);
    ::close(fd);
  }

  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(mount_)) names.insert(e.path().filename());
    return names;
  }

  // A combined table of `rows` rows made by the engine outside the small
  // file system (the engine reserves room in steps larger than it).
  std::string MakeTable(int rows) {
    const std::string dir = (work_.Path() / "lists").string();
    fs::create_directories(dir);
    Query q;
    RunStatement(q, dir, CreateCombinedStatement(false));
    for (int i = 0; i < rows; ++i)
      RunStatement(q, dir,
                   "insert into 'mrg7493.dbf' (LCHET,FAMILY,NAME,FATHER,OT_KOD,NCHETA,SUMMA) "
                   "values (181000,'PETROV','IVAN','SERGEEVICH','7493/0086','408178100000" +
                       std::to_string(10000000 + i) + "','" + std::to_string(i) + ".50')");
    CloseCachedTables();
    return ReadBytes(fs::path(dir) / "mrg7493.dbf");
  }

  TempDir work_;
  fs::path mount_;
  bool mounted_ = false;
};

void ExpectNamesFileAndReason(const Error& e, const fs::path& file) {
  const std::string m = e.what();
  EXPECT_NE(m.find("Cannot create file " + file.string()), std::string::npos) << m;
  EXPECT_NE(m.find(std::strerror(ENOSPC)), std::string::npos) << m;
}

TEST_F(DiskFullTest, ADumpThatDoesNotFitLeavesTheEarlierDumpAndNoTemporary) {
  WriteBytes(mount_ / "mrg7493.dbf", MakeTable(2000));  // a dump of about 320 KB
  WriteBytes(mount_ / "7493.txt", "earlier dump\r\n");
  const std::string table = ReadBytes(mount_ / "mrg7493.dbf");
  FillLeaving(8);
  try {
    DumpTable(kCombinedTable, mount_.string(), (mount_ / "7493.txt").string(), "dos", true);
    ADD_FAILURE() << "the dump was reported written";
  } catch (const InOutError& e) {
    ExpectNamesFileAndReason(e, mount_ / "7493.txt");
  }
  EXPECT_EQ(ReadBytes(mount_ / "7493.txt"), "earlier dump\r\n");
  EXPECT_EQ(ReadBytes(mount_ / "mrg7493.dbf"), table);
  EXPECT_EQ(Names(), (std::set<std::string>{"filler", "mrg7493.dbf", "7493.txt"}));
}

TEST_F(DiskFullTest, ARegisterOrControlFileThatDoesNotFitLeavesTheEarlierFiles) {
  // The dump and the register it gives, made in an ordinary folder.
  const fs::path plain = work_.Path() / "plain";
  fs::create_directory(plain);
  WriteBytes(plain / "mrg7493.dbf", MakeTable(600));
  DumpTable(kCombinedTable, plain.string(), (plain / "7493.txt").string(), "dos", true);
  WriteRegister(plain.string(), false);
  const std::string dump = ReadBytes(plain / "7493.txt");
  const std::string reg = ReadBytes(plain / "74931.txt");
  const size_t registerPages = (reg.size() + kPage - 1) / kPage;

  struct Case {
    const char* what;
    size_t freePages;
    const char* failing;          // the file named in the error
    bool newRegisterExpected;     // the register was written before the failure
    std::string earlierRegister;  // empty: it frees no page when replaced
  };
  const Case cases[] = {
      {"no room for the register", registerPages - 1, "74931.txt", false, "earlier register\r\n"},
      {"room for the register but not the control file", registerPages, "74931.kkk", true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const auto& e : fs::directory_iterator(mount_)) fs::remove_all(e.path());
    WriteBytes(mount_ / "7493.txt", dump);
    WriteBytes(mount_ / "74931.txt", c.earlierRegister);
    WriteBytes(mount_ / "74931.kkk", "earlier control\r\n");
    FillLeaving(c.freePages);
    try {
      WriteRegister(mount_.string(), false);
      ADD_FAILURE() << "the register was reported written";
    } catch (const InOutError& e) {
      ExpectNamesFileAndReason(e, mount_ / c.failing);
    }
    EXPECT_EQ(ReadBytes(mount_ / "7493.txt"), dump);
    EXPECT_EQ(ReadBytes(mount_ / "74931.txt"), c.newRegisterExpected ? reg : c.earlierRegister);
    EXPECT_EQ(ReadBytes(mount_ / "74931.kkk"), "earlier control\r\n");
    EXPECT_EQ(Names(), (std::set<std::string>{"filler", "7493.txt", "74931.txt", "74931.kkk"}));
  }
}

}  // namespace
