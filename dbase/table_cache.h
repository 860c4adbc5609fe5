// Tables kept open for writing between statements, one per file (device and
// inode, whatever path named it). An append
// is two stores into shared mappings of the file (the record with the end
// marker behind it in a window at the tail, date and count in the header
// page): no system call per row. The file grows in reserved steps; the
// padding past the end marker is cut off when the table is settled (before
// a SELECT reads it, on eviction, on CloseCachedTables and at exit). A
// table is reopened when its header no longer matches or, checked at most
// every few milliseconds, its path names another file or another size.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dbase/dbf_table.h"
#include "dbase/file_io.h"

class OpenTable {
 public:
  explicit OpenTable(const std::string& path);
  ~OpenTable();  // settles; never raises

  const std::string& Path() const { return file_.Path(); }
  const DbfHeader& Header() const { return header_; }
  DbFile& File() { return file_; }
  // `record` is exactly one record; the caller has checked every byte.
  void Append(const char* record);
  // Writes today's date into the header (after an in-place change).
  void Touch();
  void Settle();
  bool HeaderUnchanged() const;
  bool SameInode(const FileIdentity& now) const;
  bool SameFile(const FileIdentity& now) const;  // same inode and size

  std::chrono::steady_clock::time_point verified;
  std::string scratch;  // one record being built

 private:
  DbFile file_;
  DbfHeader header_;
  FileIdentity identity_;  // device, inode and size as this object left it
  uint64_t dataEnd_ = 0;   // where the next record goes
  bool appended_ = false;
  MappedRegion head_;
  MappedRegion tail_;
};

class TableCache {
 public:
  // The open table named so in the directory; raises for a missing file or
  // one that is not a dBASE table.
  OpenTable& Acquire(const std::string& directory, std::string_view name);
  void Settle(const std::string& path);
  void Forget(const std::string& path);
  void Clear();

 private:
  std::vector<std::unique_ptr<OpenTable>> tables_;
  // The table of the last statement, reused without a system call for a
  // short while when the same directory and name come again.
  OpenTable* last_ = nullptr;
  std::string lastDirectory_;
  std::string lastName_;
};
