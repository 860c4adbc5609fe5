#include "ftp/reply.h"

#include "ftp/ftp_error.h"

namespace {

// Shows a received line in an error message without its control bytes.
std::string Printable(std::string_view line) {
  std::string out;
  for (char c : line.substr(0, 80)) {
    unsigned char u = static_cast<unsigned char>(c);
    out += (u < 32 || u == 127) ? '?' : c;
  }
  return line.size() > 80 ? out + "..." : out;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The code of a line that opens a reply: three digits, the first 1..5, then
// the end of the line, a blank (last line) or a hyphen (more lines follow).
bool ParseCodeLine(const std::string& line, int& code, bool& more) {
  if (line.size() < 3 || !IsDigit(line[0]) || !IsDigit(line[1]) || !IsDigit(line[2])) return false;
  if (line[0] < '1' || line[0] > '5') return false;
  if (line.size() > 3 && line[3] != ' ' && line[3] != '-') return false;
  code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
  more = line.size() > 3 && line[3] == '-';
  return true;
}

}  // namespace

ReplyKind ClassifyReply(const Reply& reply) {
  switch (reply.code / 100) {
    case 1:
      return ReplyKind::Preliminary;
    case 2:
      return ReplyKind::Completion;
    case 3:
      return ReplyKind::Intermediate;
    case 4:
      return ReplyKind::TransientFailure;
    default:
      return ReplyKind::PermanentFailure;
  }
}

bool IsFailure(const Reply& reply) {
  ReplyKind kind = ClassifyReply(reply);
  return kind == ReplyKind::TransientFailure || kind == ReplyKind::PermanentFailure;
}

void LineSplitter::Feed(std::string_view bytes) {
  while (!bytes.empty()) {
    size_t end = bytes.find('\n');
    std::string_view piece = bytes.substr(0, end);
    if (pending_.size() + piece.size() > kMaxLineBytes + 1)  // +1: the CR of CR LF
      throw FtpError("Reply line longer than " + std::to_string(kMaxLineBytes) +
                     " bytes: " + Printable(pending_));
    pending_.append(piece);
    if (end == std::string_view::npos) return;
    if (!pending_.empty() && pending_.back() == '\r') pending_.pop_back();
    if (pending_.size() > kMaxLineBytes)
      throw FtpError("Reply line longer than " + std::to_string(kMaxLineBytes) +
                     " bytes: " + Printable(pending_));
    lines_.push_back(std::move(pending_));
    pending_.clear();
    bytes.remove_prefix(end + 1);
  }
}

std::optional<std::string> LineSplitter::NextLine() {
  if (lines_.empty()) return std::nullopt;
  std::string line = std::move(lines_.front());
  lines_.pop_front();
  return line;
}

void ReplyReader::Check() const {
  if (!fault_.empty()) throw FtpError(fault_);
}

void ReplyReader::Feed(std::string_view bytes) {
  Check();
  try {
    splitter_.Feed(bytes);
    while (auto line = splitter_.NextLine()) TakeLine(std::move(*line));
  } catch (const FtpError& e) {
    fault_ = e.what();
    throw;
  }
}

void ReplyReader::TakeLine(std::string line) {
  int code = 0;
  bool more = false;
  if (!open_) {
    if (!ParseCodeLine(line, code, more)) throw FtpError("Malformed reply: " + Printable(line));
    Reply reply{code, {std::move(line)}};
    if (!more) {
      ready_.push_back(std::move(reply));
      return;
    }
    openBytes_ = reply.lines.front().size();
    open_ = std::move(reply);
    return;
  }
  openBytes_ += line.size();
  if (open_->lines.size() + 1 > kMaxReplyLines || openBytes_ > kMaxReplyBytes)
    throw FtpError("Reply " + std::to_string(open_->code) + " longer than " +
                   std::to_string(kMaxReplyLines) + " lines or " + std::to_string(kMaxReplyBytes) +
                   " bytes");
  // Inner lines may hold anything; the reply ends at its own code and a blank.
  bool last = ParseCodeLine(line, code, more) && code == open_->code && !more;
  open_->lines.push_back(std::move(line));
  if (last) {
    ready_.push_back(std::move(*open_));
    open_.reset();
  }
}

std::optional<Reply> ReplyReader::Next() {
  Check();
  if (ready_.empty()) return std::nullopt;
  Reply reply = std::move(ready_.front());
  ready_.pop_front();
  return reply;
}
