// Reading the server's replies, in layers, as pure functions of the bytes
// received (no sockets here, so a fuzzer can drive them):
//   LineSplitter  bytes -> lines (CR LF or bare LF; at most kMaxLineBytes)
//   ReplyReader   lines -> replies: "123 text", or "123-text" ... "123 text"
//                 (at most kMaxReplyLines lines and kMaxReplyBytes bytes)
//   ClassifyReply the reply's kind by its first digit (the one place it is judged)
// Malformed input raises FtpError; the reader is then spoilt and keeps raising.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr size_t kMaxLineBytes = 4096;
inline constexpr size_t kMaxReplyLines = 100;
inline constexpr size_t kMaxReplyBytes = 64 * 1024;

struct Reply {
  int code = 0;                    // 100 .. 599
  std::vector<std::string> lines;  // as received, without the line ends
  const std::string& FirstLine() const { return lines.front(); }
};

enum class ReplyKind { Preliminary, Completion, Intermediate, TransientFailure, PermanentFailure };
ReplyKind ClassifyReply(const Reply& reply);
bool IsFailure(const Reply& reply);  // 4xx or 5xx

class LineSplitter {
 public:
  // Appends bytes; complete lines become available through NextLine.
  void Feed(std::string_view bytes);
  std::optional<std::string> NextLine();

 private:
  std::string pending_;
  std::deque<std::string> lines_;
};

class ReplyReader {
 public:
  void Feed(std::string_view bytes);
  // The next complete reply, if the bytes fed so far hold one.
  std::optional<Reply> Next();

 private:
  void TakeLine(std::string line);
  void Check() const;

  LineSplitter splitter_;
  std::optional<Reply> open_;  // a multi-line reply still waiting for its last line
  size_t openBytes_ = 0;
  std::deque<Reply> ready_;
  std::string fault_;  // set once input was malformed
};
