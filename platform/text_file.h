// Reading and atomic writing of the system's files. A file is written to a
// new temporary file in the target's directory (".<name>.tmp-XXXXXX"), every
// write and the close checked, then renamed over the target: a failure at
// any point leaves the earlier file whole and removes the temporary; one
// left by a killed run is removed when the target is next written. Data
// is not forced to disk: each run makes its files anew from the tables.
// Failures raise InOutError "Cannot create file <path>: <reason>" (reading:
// "Cannot open file ..." / "Cannot read file ..."), <path> as given.
// The file-system calls go through FileSystem, so tests can inject faults.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The few POSIX file calls the writer and the readers need. Each returns 0
// or the errno value of the failure.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // A new empty file with a unique name in the directory of `target`;
  // the host's removes the temporaries of `target` a killed run left.
  virtual int CreateTemporary(const std::string& target, int& handle, std::string& name) = 0;
  // Writes all `size` bytes or fails.
  virtual int Write(int handle, const char* data, size_t size) = 0;
  virtual int OpenForReading(const std::string& path, int& handle) = 0;
  // Up to `capacity` bytes; `got` is 0 at the end of the file.
  virtual int Read(int handle, char* data, size_t capacity, size_t& got) = 0;
  // Closes a file of either kind; the handle is gone either way.
  virtual int Close(int handle) = 0;
  virtual int Rename(const std::string& from, const std::string& to) = 0;
  virtual void Remove(const std::string& path) = 0;
};

// The host's file system.
FileSystem& PosixFileSystem();

// Streams a file's bytes and replaces the target only at Commit. Destroyed
// without a successful Commit, it removes its temporary file.
class AtomicFileWriter {
 public:
  // Appended pieces of at least this size are written without a copy.
  static constexpr size_t kBlockSize = size_t{1} << 20;

  explicit AtomicFileWriter(std::string path, FileSystem& fs = PosixFileSystem());
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  void Append(std::string_view bytes);
  void Commit();

 private:
  [[noreturn]] void Fail(int error);
  void Flush();
  void Discard();

  std::string path_;
  FileSystem& fs_;
  std::string temporary_;
  std::string buffer_;
  int handle_ = -1;
  bool done_ = false;
};

// The lines of a text file, read in blocks so memory does not grow with the
// file. A line break is CR, LF or CR LF; a last line without one counts; an
// empty file has no lines. A line stays valid until the next call of Next.
class LineFileReader {
 public:
  explicit LineFileReader(std::string path, FileSystem& fs = PosixFileSystem());
  ~LineFileReader();
  LineFileReader(const LineFileReader&) = delete;
  LineFileReader& operator=(const LineFileReader&) = delete;

  bool Next(std::string_view& line);

 private:
  bool FindBreak(size_t& end, size_t& next);
  void ReadMore();

  std::string path_;
  FileSystem& fs_;
  int handle_ = -1;
  std::string buffer_;
  std::string block_;  // what one read brings
  size_t pos_ = 0;
  size_t nextLf_ = 0;  // the first LF at or after pos_, or buffer_.size()
  bool lfKnown_ = false;
  size_t scanned_ = 0;  // [pos_, scanned_) holds no CR and no LF
  bool atEnd_ = false;
};

// Replaces the file at `path` by `bytes`, atomically.
void WriteFileAtomically(const std::string& path, std::string_view bytes,
                         FileSystem& fs = PosixFileSystem());
// The whole file as bytes.
std::string ReadFileBytes(const std::string& path, FileSystem& fs = PosixFileSystem());
