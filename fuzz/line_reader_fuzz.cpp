// libFuzzer entry for the line reader: the first two input bytes choose how
// the file arrives (pieces of 1 byte up to a whole block), the rest is the
// file. The lines read must be exactly those of a plain reference split at
// CR, LF and CR LF, whatever the pieces.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_file.h"

namespace {

// A file held in memory that answers each read with a piece of a size
// drawn from a small generator.
class PieceFileSystem : public FileSystem {
 public:
  PieceFileSystem(std::string_view bytes, uint32_t seed) : bytes_(bytes), state_(seed | 1) {}

  int CreateTemporary(const std::string&, int&, std::string&) override { return 30; }
  int Write(int, const char*, size_t) override { return 30; }
  int OpenForReading(const std::string&, int& handle) override {
    handle = 3;
    return 0;
  }
  int Read(int, char* data, size_t capacity, size_t& got) override {
    state_ = state_ * 1103515245u + 12345u;
    const uint32_t r = state_ >> 16;
    size_t piece = (r & 3) == 0 ? capacity : 1 + r % 7;
    piece = std::min({piece, capacity, bytes_.size() - at_});
    std::copy_n(bytes_.data() + at_, piece, data);
    at_ += piece;
    got = piece;
    return 0;
  }
  int Close(int) override { return 0; }
  int Rename(const std::string&, const std::string&) override { return 30; }
  void Remove(const std::string&) override {}

 private:
  std::string_view bytes_;
  size_t at_ = 0;
  uint32_t state_;
};

std::vector<std::string> Reference(std::string_view s) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\r' && s[i] != '\n') continue;
    lines.emplace_back(s.substr(start, i - start));
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < s.size()) lines.emplace_back(s.substr(start));
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint32_t seed = data[0] | uint32_t{data[1]} << 8;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
  PieceFileSystem fs(bytes, seed);
  LineFileReader reader("dump", fs);
  const std::vector<std::string> expected = Reference(bytes);
  size_t n = 0;
  for (std::string_view line; reader.Next(line); ++n)
    if (n >= expected.size() || line != expected[n]) __builtin_trap();
  if (n != expected.size()) __builtin_trap();
  std::string_view after;
  if (reader.Next(after)) __builtin_trap();
  return 0;
}
