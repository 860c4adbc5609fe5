#include "platform/file_list.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/error.h"

namespace {

unsigned char FoldCase(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Drops trailing separators but keeps a root ("/", "C:\").
std::string WithoutTrailingSeparators(std::string dir) {
  while (dir.size() > 1 && IsSeparator(dir.back())) {
    if (dir.size() == 3 && dir[1] == ':') break;
    dir.pop_back();
  }
  return dir;
}

[[noreturn]] void RaiseDirectoryError(const std::string& dir, int error) {
  throw InOutError("Cannot open directory " + dir + ": " + std::strerror(error));
}

struct DirCloser {
  void operator()(DIR* d) const { closedir(d); }
};

class PosixDirectoryReader : public DirectoryReader {
 public:
  std::string Enter(const std::string& dir) override {
    if (chdir(dir.c_str()) != 0) RaiseDirectoryError(dir, errno);
    std::string full(4096, '\0');
    while (getcwd(full.data(), full.size()) == nullptr) {
      if (errno != ERANGE) RaiseDirectoryError(dir, errno);
      full.resize(full.size() * 2);
    }
    full.resize(std::strlen(full.c_str()));
    return full;
  }

  std::vector<std::string> PlainFiles(const std::string& dir) override {
    std::unique_ptr<DIR, DirCloser> d(opendir(dir.c_str()));
    if (!d) RaiseDirectoryError(dir, errno);
    std::vector<std::string> names;
    for (;;) {
      errno = 0;
      const dirent* entry = readdir(d.get());
      if (entry == nullptr) break;
      if (entry->d_name[0] == '.') continue;  // hidden, and the "." and ".." entries
      struct stat st;
      if (fstatat(dirfd(d.get()), entry->d_name, &st, 0) != 0) continue;  // dangling link
      if (S_ISREG(st.st_mode)) names.emplace_back(entry->d_name);
    }
    if (errno != 0) RaiseDirectoryError(dir, errno);
    return names;
  }
};

}  // namespace

DirectoryReader& SystemDirectoryReader() {
  static PosixDirectoryReader reader;
  return reader;
}

bool FileNameLess(const std::string& a, const std::string& b) {
  const auto folded = [](char x, char y) {
    return FoldCase(static_cast<unsigned char>(x)) < FoldCase(static_cast<unsigned char>(y));
  };
  if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), folded)) return true;
  if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), folded)) return false;
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  });
}

bool SameDirectory(const std::string& a, const std::string& b) {
  const std::string x = WithoutTrailingSeparators(a);
  const std::string y = WithoutTrailingSeparators(b);
  return std::equal(x.begin(), x.end(), y.begin(), y.end(), [](char p, char q) {
    return FoldCase(static_cast<unsigned char>(p)) == FoldCase(static_cast<unsigned char>(q));
  });
}

FileList::FileList(DirectoryReader& reader) : reader_(reader) {}

void FileList::SetDirectory(const std::string& dir) {
  const std::string full = reader_.Enter(WithoutTrailingSeparators(dir));
  if (!directory_.empty() && SameDirectory(full, directory_)) return;
  items_ = Read(full);
  directory_ = full;
}

void FileList::Update() {
  const std::string full = reader_.Enter(directory_.empty() ? std::string(".") : directory_);
  items_ = Read(full);
  directory_ = full;
}

void FileList::Clear() { items_.clear(); }

std::vector<std::string> FileList::Read(const std::string& dir) {
  std::vector<std::string> names = reader_.PlainFiles(dir);
  std::sort(names.begin(), names.end(), FileNameLess);
  return names;
}
