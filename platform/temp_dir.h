// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes. Test code only.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kvoter-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temp dir");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }

  std::string Write(const std::string& name, const std::string& bytes) const {
    std::filesystem::path p = path_ / name;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }

  std::string Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::filesystem::path path_;
};

// Bytes that an end-of-line or text conversion would change, then filler up
// to `size` bytes.
inline std::string AwkwardBytes(size_t size) {
  std::string bytes("line\r\nbare\n\r\x1A\x00\xFF\xFE end", 20);
  for (size_t i = 0; bytes.size() < size; ++i) bytes += static_cast<char>((i * 7919) % 256);
  return bytes.substr(0, std::max(size, size_t{20}));
}

// A whole file's bytes; empty when it cannot be read (absent, say).
inline std::string ReadBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteBytes(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}
