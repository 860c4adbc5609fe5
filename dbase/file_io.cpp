#include "dbase/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "dbase/query.h"

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  throw DbError(what + " " + path + ": " + std::strerror(errno));
}

FileIdentity FromStat(const struct stat& st) {
  FileIdentity id;
  id.device = static_cast<uint64_t>(st.st_dev);
  id.inode = static_cast<uint64_t>(st.st_ino);
  id.size = static_cast<uint64_t>(st.st_size);
  id.modifiedNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return id;
}

}  // namespace

bool IdentityOfPath(const std::string& path, FileIdentity& out) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  out = FromStat(st);
  return true;
}

DbFile::DbFile(const std::string& path, Mode mode) : path_(path) {
  fd_ = ::open(path.c_str(), (mode == Mode::Read ? O_RDONLY : O_RDWR) | O_CLOEXEC);
  if (fd_ < 0) Fail("Cannot open table", path);
  struct stat st;
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    errno = EISDIR;
    Fail("Cannot open table", path);
  }
}

DbFile::~DbFile() {
  if (fd_ >= 0) ::close(fd_);
}

DbFile::DbFile(DbFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

DbFile& DbFile::operator=(DbFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
  }
  return *this;
}

FileIdentity DbFile::Identity() const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) Fail("Cannot examine table", path_);
  return FromStat(st);
}

size_t DbFile::ReadAt(uint64_t offset, void* data, size_t n) const {
  size_t done = 0;
  while (done < n) {
    const ssize_t r =
        ::pread(fd_, static_cast<char*>(data) + done, n - done, static_cast<off_t>(offset + done));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) Fail("Cannot read table", path_);
    if (r == 0) break;
    done += static_cast<size_t>(r);
  }
  return done;
}

void DbFile::WriteAt(uint64_t offset, const void* data, size_t n) {
  size_t done = 0;
  while (done < n) {
    const ssize_t r = ::pwrite(fd_, static_cast<const char*>(data) + done, n - done,
                               static_cast<off_t>(offset + done));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) Fail("Cannot write table", path_);
    done += static_cast<size_t>(r);
  }
}

void DbFile::Truncate(uint64_t size) {
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) Fail("Cannot truncate table", path_);
}

void ReplaceFile(const std::string& path, const std::string& bytes) {
  const std::string temporary = path + ".tmp-new";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) Fail("Cannot create table", path);
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t r = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) {
      const int saved = errno;
      ::close(fd);
      ::unlink(temporary.c_str());
      errno = saved;
      Fail("Cannot write table", path);
    }
    done += static_cast<size_t>(r);
  }
  if (::close(fd) != 0 || std::rename(temporary.c_str(), path.c_str()) != 0) {
    const int saved = errno;
    ::unlink(temporary.c_str());
    errno = saved;
    Fail("Cannot create table", path);
  }
}
