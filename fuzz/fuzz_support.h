// Helpers of the fuzz targets: a temporary directory of this process
// (removed at exit) and whole-file writes into it. Fuzzing only.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace fuzz {

inline const std::string& TempDir() {
  static const std::string dir = [] {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/kvoter-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    static const std::string keep = pattern;
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(keep, ignored);
    });
    return pattern;
  }();
  return dir;
}

inline void WriteWhole(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) std::abort();
}

// Removes everything in the temporary directory but `keep`.
inline void ClearTempDir(const std::string& keep = "") {
  std::error_code ignored;
  for (const auto& e : std::filesystem::directory_iterator(TempDir(), ignored))
    if (e.path().filename() != keep) std::filesystem::remove_all(e.path(), ignored);
}

}  // namespace fuzz
