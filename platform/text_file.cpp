#include "platform/text_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/error.h"

namespace {

constexpr size_t kBlockSize = AtomicFileWriter::kBlockSize;

// The permissions a newly created file gets from the process's umask.
mode_t NewFileMode() {
  static const mode_t mode = [] {
    const mode_t mask = umask(0);
    umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
  }();
  return mode;
}

constexpr char kTemporaryMark[] = ".tmp-";
constexpr size_t kUniquePart = 6;  // the XXXXXX of mkostemp

// A name mkostemp made for `base`: "." base ".tmp-" and six letters or digits.
bool IsTemporaryOf(std::string_view name, std::string_view base) {
  const size_t prefix = 1 + base.size() + sizeof kTemporaryMark - 1;
  if (name.size() != prefix + kUniquePart || name[0] != '.') return false;
  if (name.substr(1, base.size()) != base) return false;
  if (name.substr(1 + base.size(), sizeof kTemporaryMark - 1) != kTemporaryMark) return false;
  for (const char c : name.substr(prefix))
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  return true;
}

// Temporaries of the target left by a run that was killed before its
// rename; the next run removes them instead of letting them pile up.
void RemoveStaleTemporaries(const std::string& directory, const std::string& base) {
  DIR* dir = opendir(directory.empty() ? "." : directory.c_str());
  if (dir == nullptr) return;
  while (const dirent* e = readdir(dir)) {
    if (!IsTemporaryOf(e->d_name, base)) continue;
    struct stat st;
    const std::string path = directory + e->d_name;
    if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) unlink(path.c_str());
  }
  closedir(dir);
}

class Posix : public FileSystem {
 public:
  int CreateTemporary(const std::string& target, int& handle, std::string& name) override {
    const auto slash = target.rfind('/');
    const std::string directory = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    RemoveStaleTemporaries(directory, base);
    const std::string text = directory + "." + base + kTemporaryMark + "XXXXXX";
    std::vector<char> pattern(text.begin(), text.end());
    pattern.push_back('\0');
    const int fd = mkostemp(pattern.data(), O_CLOEXEC);
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
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return errno;
      data += n;
      size -= static_cast<size_t>(n);
    }
    return 0;
  }

  int OpenForReading(const std::string& path, int& handle) override {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    handle = fd;
    return 0;
  }

  int Read(int handle, char* data, size_t capacity, size_t& got) override {
    for (;;) {
      const ssize_t n = read(handle, data, capacity);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return errno;
      got = static_cast<size_t>(n);
      return 0;
    }
  }

  int Close(int handle) override { return close(handle) == 0 ? 0 : errno; }

  int Rename(const std::string& from, const std::string& to) override {
    return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  }

  void Remove(const std::string& path) override { unlink(path.c_str()); }
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
  buffer_.reserve(kBlockSize);
}

AtomicFileWriter::~AtomicFileWriter() {
  if (!done_) Discard();
}

void AtomicFileWriter::Append(std::string_view bytes) {
  if (done_) Fail(EBADF);
  if (buffer_.size() + bytes.size() > kBlockSize) {
    Flush();
    if (bytes.size() >= kBlockSize) {
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

LineFileReader::LineFileReader(std::string path, FileSystem& fs) : path_(std::move(path)), fs_(fs) {
  if (const int error = fs_.OpenForReading(path_, handle_)) {
    handle_ = -1;
    throw InOutError("Cannot open file " + path_ + ": " + Reason(error));
  }
}

LineFileReader::~LineFileReader() {
  if (handle_ >= 0) fs_.Close(handle_);
}

bool LineFileReader::Next(std::string_view& line) {
  size_t end = 0;
  size_t next = 0;
  while (!FindBreak(end, next)) {
    if (atEnd_) {
      if (pos_ >= buffer_.size()) return false;
      end = next = buffer_.size();  // a last line without a break
      break;
    }
    ReadMore();
  }
  line = std::string_view(buffer_).substr(pos_, end - pos_);
  pos_ = next;
  return true;
}

// The break ending the line at pos_: the line ends before `end`, the next
// one starts at `next`. A CR at the end of the data read so far waits for
// the next block, which may begin with its LF.
bool LineFileReader::FindBreak(size_t& end, size_t& next) {
  const char* data = buffer_.data();
  const size_t size = buffer_.size();
  if (pos_ >= size) return false;
  // A long line arriving in many reads is searched once, not once per read.
  const size_t from = std::max(pos_, scanned_);
  if (!lfKnown_ || nextLf_ < pos_) {
    const void* lf = std::memchr(data + from, '\n', size - from);
    nextLf_ = lf ? static_cast<size_t>(static_cast<const char*>(lf) - data) : size;
    lfKnown_ = true;
  }
  const void* cr = nextLf_ > from ? std::memchr(data + from, '\r', nextLf_ - from) : nullptr;
  if (cr == nullptr) {
    if (nextLf_ == size) {
      scanned_ = size;
      return false;
    }
    end = nextLf_;
    next = nextLf_ + 1;
    return true;
  }
  end = static_cast<size_t>(static_cast<const char*>(cr) - data);
  if (end + 1 == size && !atEnd_) {
    scanned_ = end;
    return false;
  }
  next = end + 1 < size && data[end + 1] == '\n' ? end + 2 : end + 1;
  return true;
}

void LineFileReader::ReadMore() {
  buffer_.erase(0, pos_);
  scanned_ = scanned_ > pos_ ? scanned_ - pos_ : 0;
  pos_ = 0;
  lfKnown_ = false;
  // Read into a block of its own: growing the buffer by a whole block for
  // each read would clear a megabyte per short read (a pipe, a slow disk).
  if (block_.empty()) block_.resize(kBlockSize);
  size_t got = 0;
  if (const int error = fs_.Read(handle_, block_.data(), block_.size(), got))
    throw InOutError("Cannot read file " + path_ + ": " + Reason(error));
  buffer_.append(block_.data(), got);
  if (got == 0) atEnd_ = true;
}

void WriteFileAtomically(const std::string& path, std::string_view bytes, FileSystem& fs) {
  AtomicFileWriter writer(path, fs);
  writer.Append(bytes);
  writer.Commit();
}

std::string ReadFileBytes(const std::string& path, FileSystem& fs) {
  int handle = -1;
  if (const int error = fs.OpenForReading(path, handle))
    throw InOutError("Cannot open file " + path + ": " + Reason(error));
  std::string bytes;
  char block[1 << 16];
  for (;;) {
    size_t got = 0;
    if (const int error = fs.Read(handle, block, sizeof block, got)) {
      fs.Close(handle);
      throw InOutError("Cannot read file " + path + ": " + Reason(error));
    }
    if (got == 0) break;
    bytes.append(block, got);
  }
  fs.Close(handle);
  return bytes;
}
