// A FileSystem for tests that fails on purpose where the host's file system
// cannot be made to: after part of a file is written, at the close, at the
// rename, at the creation of the temporary, or at a read. Everything else goes to the
// host's file system, so the bytes written before the fault are on disk.
// A fault applies to every target whose path ends with `target_suffix`
// (all targets when it is empty).
#pragma once

#include <algorithm>
#include <cerrno>
#include <map>
#include <string>

#include "platform/text_file.h"

class FailingFileSystem : public FileSystem {
 public:
  enum class FailAt { Nothing, Create, Write, Close, Rename, Read };

  FailAt fail_at = FailAt::Nothing;
  size_t fail_after_bytes = 0;  // for FailAt::Write and FailAt::Read
  std::string target_suffix;
  int faults = 0;  // how many faults were injected

  int CreateTemporary(const std::string& target, int& handle, std::string& name) override {
    if (Applies(target, FailAt::Create)) return Fault(EACCES);
    const int error = real_.CreateTemporary(target, handle, name);
    if (error == 0) {
      targets_[handle] = target;
      written_[handle] = 0;
    }
    return error;
  }

  int Write(int handle, const char* data, size_t size) override {
    size_t& written = written_[handle];
    if (Applies(targets_[handle], FailAt::Write) && written + size > fail_after_bytes) {
      const size_t part = fail_after_bytes > written ? fail_after_bytes - written : 0;
      real_.Write(handle, data, part);
      written += part;
      return Fault(ENOSPC);
    }
    written += size;
    return real_.Write(handle, data, size);
  }

  int Close(int handle) override {
    const int error = real_.Close(handle);
    if (Applies(targets_[handle], FailAt::Close)) return Fault(EIO);
    return error;
  }

  int Rename(const std::string& from, const std::string& to) override {
    if (Applies(to, FailAt::Rename)) return Fault(EXDEV);
    return real_.Rename(from, to);
  }

  void Remove(const std::string& path) override { real_.Remove(path); }

  int OpenForReading(const std::string& path, int& handle) override {
    const int error = real_.OpenForReading(path, handle);
    if (error == 0) {
      targets_[handle] = path;
      written_[handle] = 0;
    }
    return error;
  }

  int Read(int handle, char* data, size_t capacity, size_t& got) override {
    size_t& read = written_[handle];
    if (Applies(targets_[handle], FailAt::Read) && read >= fail_after_bytes) return Fault(EIO);
    if (Applies(targets_[handle], FailAt::Read))
      capacity = std::min(capacity, fail_after_bytes - read);
    const int error = real_.Read(handle, data, capacity, got);
    read += got;
    return error;
  }

 private:
  bool Applies(const std::string& target, FailAt where) const {
    if (fail_at != where) return false;
    return target.size() >= target_suffix.size() &&
           target.compare(target.size() - target_suffix.size(), target_suffix.size(),
                          target_suffix) == 0;
  }
  int Fault(int error) {
    ++faults;
    return error;
  }

  FileSystem& real_ = PosixFileSystem();
  std::map<int, std::string> targets_;
  std::map<int, size_t> written_;  // bytes written to or read from each handle
};
