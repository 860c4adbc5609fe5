// Positioned reads and writes on one open file, and the identity of a file
// by path (device, inode, size, modification time) so that a table kept open
// notices a change made behind its back. Failures raise DbError naming the
// path and the system's reason. A DbFile owns its handle; move-only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t size = 0;
  int64_t modifiedNs = 0;
  bool operator==(const FileIdentity&) const = default;
};

// False when nothing (or no regular file) is at the path.
bool IdentityOfPath(const std::string& path, FileIdentity& out);

class DbFile {
 public:
  enum class Mode { Read, ReadWrite };
  DbFile() = default;
  DbFile(const std::string& path, Mode mode);  // raises when it cannot open
  ~DbFile();
  DbFile(DbFile&& other) noexcept;
  DbFile& operator=(DbFile&& other) noexcept;
  DbFile(const DbFile&) = delete;
  DbFile& operator=(const DbFile&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }
  FileIdentity Identity() const;
  // Reads up to n bytes at offset; answers how many (fewer only at the end).
  size_t ReadAt(uint64_t offset, void* data, size_t n) const;
  void WriteAt(uint64_t offset, const void* data, size_t n);
  void Truncate(uint64_t size);

 private:
  int fd_ = -1;
  std::string path_;
};

// Writes a new file completely at `path`, replacing what was there only
// once every byte is written (through a temporary beside it).
void ReplaceFile(const std::string& path, const std::string& bytes);
