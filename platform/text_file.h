// Whole-file reading and atomic writing of the system's output files.
// A file is written to a new temporary file in the target's directory
// (".<name>.tmp-XXXXXX"), every write and the close checked and the data
// flushed to disk, then renamed over the target: a failure at any point
// leaves the earlier file whole and removes the temporary. Failures raise
// InOutError "Cannot create file <path>: <reason>" (reading: "Cannot open
// file <path>: <reason>"), <path> as the caller gave it.
// The file-system calls go through FileSystem, so tests can inject faults.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The few POSIX file calls the writer and the reader need. Each returns 0
// or the errno value of the failure.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // A new empty file with a unique name in the directory of `target`.
  virtual int CreateTemporary(const std::string& target, int& handle, std::string& name) = 0;
  // Writes all `size` bytes or fails.
  virtual int Write(int handle, const char* data, size_t size) = 0;
  // Flushes the file to disk and closes it; the handle is gone either way.
  virtual int Close(int handle) = 0;
  virtual int Rename(const std::string& from, const std::string& to) = 0;
  virtual void Remove(const std::string& path) = 0;
  virtual int ReadAll(const std::string& path, std::string& bytes) = 0;
};

// The host's file system.
FileSystem& PosixFileSystem();

// Streams a file's bytes and replaces the target only at Commit. Destroyed
// without a successful Commit, it removes its temporary file.
class AtomicFileWriter {
 public:
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

// Replaces the file at `path` by `bytes`, atomically.
void WriteFileAtomically(const std::string& path, std::string_view bytes,
                         FileSystem& fs = PosixFileSystem());
// The whole file as bytes.
std::string ReadFileBytes(const std::string& path, FileSystem& fs = PosixFileSystem());
