// Helpers of the engine's tests: a temporary directory per test, fixture
// copies, UTF-8 <-> 1251 for expected Cyrillic values written in the UTF-8
// sources, running statements, reading a whole table and running a helper
// program. Tests only.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "dbase/engine.h"
#include "dbase/query.h"

namespace dbtest {

namespace fs = std::filesystem;

// Cyrillic of code page 1251 as UTF-8 code points: А..я, Ё, ё, №.
inline unsigned CodePointOf1251(unsigned char c) {
  if (c >= 0xC0) return 0x410 + (c - 0xC0);
  if (c == 0xA8) return 0x401;
  if (c == 0xB8) return 0x451;
  if (c == 0xB9) return 0x2116;
  return c;
}

inline std::string ToUtf8(std::string_view cp1251) {
  std::string out;
  for (unsigned char c : cp1251) {
    const unsigned cp = c < 0x80 ? c : CodePointOf1251(c);
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

inline std::string To1251(std::string_view utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    unsigned cp = c;
    size_t n = 1;
    if (c >= 0xE0) {
      cp = (c & 0x0F) << 12 | (utf8[i + 1] & 0x3F) << 6 | (utf8[i + 2] & 0x3F);
      n = 3;
    } else if (c >= 0xC0) {
      cp = (c & 0x1F) << 6 | (utf8[i + 1] & 0x3F);
      n = 2;
    }
    i += n;
    if (cp < 0x80) {
      out += static_cast<char>(cp);
      continue;
    }
    char b = '?';
    for (unsigned k = 0x80; k < 0x100; ++k)
      if (CodePointOf1251(static_cast<unsigned char>(k)) == cp) b = static_cast<char>(k);
    out += b;
  }
  return out;
}

inline std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteFile(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

inline fs::path SourceDir() {
  const char* dir = std::getenv("KVOTER_SOURCE_DIR");
  return dir ? fs::path(dir) : fs::path(".");
}

inline fs::path Fixture(const std::string& name) {
  return SourceDir() / "dbase" / "testdata" / name;
}

// A fresh directory per test, removed afterwards; cached tables closed.
class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name)
      if (c == '/') c = '_';
    dir_ = fs::temp_directory_path() / ("kvoter_dbase_" + std::to_string(::getpid()) + "_" + name);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    CloseCachedTables();
    fs::remove_all(dir_);
  }

  std::string Dir() const { return dir_.string(); }
  fs::path PathOf(const std::string& name) const { return dir_ / name; }
  void CopyFixture(const std::string& name, const std::string& as = "") {
    fs::copy_file(Fixture(name), dir_ / (as.empty() ? name : as),
                  fs::copy_options::overwrite_existing);
  }

  // Runs one statement written in UTF-8 (converted to 1251 as the system writes it).
  void Exec(const std::string& utf8) {
    Query q;
    q.DatabaseName = Dir();
    q.SQL.Clear();
    q.SQL.Add(To1251(utf8));
    q.ExecSQL();
  }

  // Every row of `select * from <table>`, AsString of each field in UTF-8.
  std::vector<std::vector<std::string>> Rows(const std::string& table) {
    Query q;
    q.DatabaseName = Dir();
    q.SQL.Add("select * from '" + table + "'");
    q.Open();
    std::vector<std::vector<std::string>> rows;
    for (bool more = q.FindFirst(); more; more = q.FindNext()) {
      std::vector<std::string> row;
      for (int i = 0; i < q.FieldCount(); ++i) row.push_back(ToUtf8(q.Fields(i).AsString()));
      rows.push_back(row);
    }
    return rows;
  }

  fs::path dir_;
};

// Output of a shell command, or nullopt-like empty with ok=false.
struct CommandResult {
  bool ok = false;
  std::string output;
};

inline CommandResult RunCommand(const std::string& command) {
  CommandResult r;
  FILE* p = ::popen((command + " 2>&1").c_str(), "r");
  if (p == nullptr) return r;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
  r.ok = ::pclose(p) == 0;
  return r;
}

}  // namespace dbtest
