// FileList: the hidden list of one directory's plain, visible files, as the
// window and the processing run see it. Pointing it at a directory or
// refreshing it makes that directory the process's current directory.
// Names are the host's own bytes, bare (no path), sorted without regard to
// ASCII case (ties broken by bytes). Subdirectories, names starting with "."
// and anything that is not a regular file (dangling links, devices, links
// to folders) are left out; a link to a regular file is listed.
// A directory that cannot be entered or read raises InOutError naming it;
// the list is then unchanged. The reader must outlive the list.
#pragma once

#include <string>
#include <vector>

// How a directory is entered and read; the real one uses the file system.
class DirectoryReader {
 public:
  virtual ~DirectoryReader() = default;
  // Makes `dir` the current directory and returns its full name.
  virtual std::string Enter(const std::string& dir) = 0;
  // The names of the plain visible files of the current directory, unsorted.
  virtual std::vector<std::string> PlainFiles(const std::string& dir) = 0;
};

DirectoryReader& SystemDirectoryReader();

class FileList {
 public:
  explicit FileList(DirectoryReader& reader = SystemDirectoryReader());

  // Enters `dir` (a trailing "/" or "\" is accepted) and re-reads the list,
  // unless it already shows that directory (compared without regard to case).
  void SetDirectory(const std::string& dir);
  // Enters the list's directory again, empties the list and re-reads it.
  void Update();
  // Empties the list; the directory stays.
  void Clear();

  const std::string& Directory() const { return directory_; }
  const std::vector<std::string>& Items() const { return items_; }
  int Count() const { return static_cast<int>(items_.size()); }

 private:
  std::vector<std::string> Read(const std::string& dir);

  DirectoryReader& reader_;
  std::string directory_;
  std::vector<std::string> items_;
};

// Case-insensitive (ASCII) order of names, ties broken by bytes.
bool FileNameLess(const std::string& a, const std::string& b);
// Equal without regard to ASCII case and to trailing separators.
bool SameDirectory(const std::string& a, const std::string& b);
