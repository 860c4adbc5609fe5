#include "platform/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/error.h"

namespace {

constexpr size_t kBufferSize = 1 << 20;

// The permissions a newly created file gets from the process's umask.
mode_t NewFileMode() {
  static const mode_t mode = [] {
    const mode_t mask = umask(0);
    umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
  }();
  return mode;
}

class Posix : public FileSystem {
 public:
  int CreateTemporary(const std::string& target, int& handle, std::string& name) override {
    const auto slash = target.rfind('/');
    const std::string directory = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::vector<char> pattern;
    const std::string text = directory + "." + base + ".tmp-XXXXXX";
    pattern.assign(text.begin(), text.end());
    pattern.push_back('\0');
    const int fd = mkstemp(pattern.data());
    if (fd < 0) return errno;
    if (fchmod(fd, NewFileMode()) != 0) {
      const int error = errno;
      close(fd);
      unlink(pattern.data());
      return error;
    }
    handle = fd;
    name = pattern.data();
    return 0;
  }

  int Write(int handle, const char* data, size_t size) override {
    while (size > 0) {
      const ssize_t n = write(handle, data, size);
      if (n < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      data += n;
      size -= static_cast<size_t>(n);
    }
    return 0;
  }

  int Close(int handle) override {
    const int synced = fsync(handle) == 0 ? 0 : errno;
    const int closed = close(handle) == 0 ? 0 : errno;
    return synced != 0 ? synced : closed;
  }

  int Rename(const std::string& from, const std::string& to) override {
    return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  }

  void Remove(const std::string& path) override { unlink(path.c_str()); }

  int ReadAll(const std::string& path, std::string& bytes) override {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    bytes.clear();
    struct stat st {};
    if (fstat(fd, &st) == 0 && st.st_size > 0) bytes.reserve(static_cast<size_t>(st.st_size));
    char chunk[1 << 16];
    for (;;) {
      const ssize_t n = read(fd, chunk, sizeof chunk);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        const int error = errno;
        close(fd);
        return error;
      }
      if (n == 0) break;
      bytes.append(chunk, static_cast<size_t>(n));
    }
    close(fd);
    return 0;
  }
};

std::string Reason(int error) { return std::strerror(error); }

}  // namespace

FileSystem& PosixFileSystem() {
  static Posix fs;
  return fs;
}

AtomicFileWriter::AtomicFileWriter(std::string path, FileSystem& fs)
    : path_(std::move(path)), fs_(fs) {
  if (const int error = fs_.CreateTemporary(path_, handle_, temporary_)) {
    handle_ = -1;
    Fail(error);
  }
  buffer_.reserve(kBufferSize);
}

AtomicFileWriter::~AtomicFileWriter() {
  if (!done_) Discard();
}

void AtomicFileWriter::Append(std::string_view bytes) {
  if (done_) Fail(EBADF);
  if (buffer_.size() + bytes.size() > kBufferSize) {
    Flush();
    if (bytes.size() >= kBufferSize) {
      if (const int error = fs_.Write(handle_, bytes.data(), bytes.size())) Fail(error);
      return;
    }
  }
  buffer_.append(bytes);
}

void AtomicFileWriter::Commit() {
  if (done_) Fail(EBADF);
  Flush();
  const int handle = handle_;
  handle_ = -1;
  if (const int error = fs_.Close(handle)) Fail(error);
  if (const int error = fs_.Rename(temporary_, path_)) Fail(error);
  done_ = true;
}

void AtomicFileWriter::Flush() {
  if (buffer_.empty()) return;
  if (const int error = fs_.Write(handle_, buffer_.data(), buffer_.size())) Fail(error);
  buffer_.clear();
}

void AtomicFileWriter::Discard() {
  if (handle_ >= 0) fs_.Close(handle_);
  handle_ = -1;
  if (!temporary_.empty()) fs_.Remove(temporary_);
  temporary_.clear();
  done_ = true;
}

void AtomicFileWriter::Fail(int error) {
  Discard();
  throw InOutError("Cannot create file " + path_ + ": " + Reason(error));
}

void WriteFileAtomically(const std::string& path, std::string_view bytes, FileSystem& fs) {
  AtomicFileWriter writer(path, fs);
  writer.Append(bytes);
  writer.Commit();
}

std::string ReadFileBytes(const std::string& path, FileSystem& fs) {
  std::string bytes;
  if (const int error = fs.ReadAll(path, bytes))
    throw InOutError("Cannot open file " + path + ": " + Reason(error));
  return bytes;
}
