#include "ftp/ftp_client.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <vector>

#include "ftp/ftp_error.h"

namespace {

constexpr int kSliceMs = 25;               // OnWait runs at least this often while waiting
constexpr size_t kPieceBytes = 64 * 1024;  // the file travels in pieces of this size
constexpr int kDefaultTimeOutMs = 5000;

struct ModeCommand {
  int mode;
  const char* command;
};
constexpr ModeCommand kModes[] = {{1, "TYPE A"}, {2, "TYPE I"}, {3, "TYPE L 8"}};

long long NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The command's verb: what errors name (so "PASS" never shows its argument).
std::string Verb(const std::string& command) { return command.substr(0, command.find(' ')); }

std::string PortCommand(const Endpoint& e) {
  std::string text = "PORT ";
  for (int shift = 24; shift >= 0; shift -= 8)
    text += std::to_string((e.address >> shift) & 255) + ",";
  return text + std::to_string(e.port >> 8) + "," + std::to_string(e.port & 255);
}

bool ComesFrom(const Socket& data, uint32_t address) {
  try {
    return PeerEndpoint(data).address == address;
  } catch (const FtpError&) {
    return false;  // already gone
  }
}

}  // namespace

struct FtpClient::Busy {
  explicit Busy(bool& flag) : flag_(flag) {
    if (flag_) throw FtpError("The FTP client is busy with another operation");
    flag_ = true;
  }
  ~Busy() { flag_ = false; }
  bool& flag_;
};

int FtpClient::WaitLimit() const { return TimeOut > 0 ? TimeOut : kDefaultTimeOutMs; }

void FtpClient::RequireConnected() const {
  if (!Connected()) throw FtpError("Not Connected");
}

void FtpClient::Drop() {
  control_.Close();
  replies_ = ReplyReader();
}

bool FtpClient::WaitReady(const Socket& socket, bool forWriting, long long deadlineMs) {
  for (;;) {
    long long left = deadlineMs - NowMs();
    std::vector<PollEntry> entries{{&socket, forWriting}};
    PollSockets(entries, static_cast<int>(std::clamp<long long>(left, 0, kSliceMs)));
    if (entries[0].ready) return true;
    if (NowMs() >= deadlineMs) return false;
    if (OnWait) OnWait();
  }
}

void FtpClient::SendAll(const Socket& socket, const char* data, size_t size,
                        const std::string& what) {
  long long deadline = NowMs() + WaitLimit();
  while (size > 0) {
    size_t sent = 0;
    try {
      sent = SendSome(socket, data, size);
    } catch (const FtpError& e) {
      throw FtpError(what + ": " + e.what());
    }
    if (sent > 0) {
      data += sent;
      size -= sent;
      deadline = NowMs() + WaitLimit();
    } else if (!WaitReady(socket, true, deadline)) {
      throw FtpError("Timed out after " + std::to_string(WaitLimit()) + " ms " + what +
                     ": the server takes nothing more");
    }
  }
}

void FtpClient::SendCommand(const std::string& command) {
  if (command.find_first_of("\r\n") != std::string::npos)
    throw FtpError("The argument of " + Verb(command) + " holds a line break");
  std::string line = command + "\r\n";
  try {
    SendAll(control_, line.data(), line.size(), "sending " + Verb(command));
  } catch (const FtpError&) {
    Drop();
    throw;
  }
}

Reply FtpClient::ReadReply(const std::string& awaited) {
  long long deadline = NowMs() + WaitLimit();
  try {
    for (;;) {
      if (auto reply = replies_.Next()) return *reply;
      if (!WaitReady(control_, false, deadline))
        throw FtpError("Timed out after " + std::to_string(WaitLimit()) + " ms waiting for " +
                       awaited);
      char buffer[4096];
      long n = 0;
      try {
        n = ReceiveSome(control_, buffer, sizeof buffer);
      } catch (const FtpError& e) {
        throw FtpError(std::string(e.what()) + " (waiting for " + awaited + ")");
      }
      if (n == 0) throw FtpError("The server closed the connection before " + awaited);
      if (n > 0) replies_.Feed(std::string_view(buffer, static_cast<size_t>(n)));
    }
  } catch (const FtpError&) {
    Drop();
    throw;
  }
}

Reply FtpClient::Exchange(const std::string& command) {
  SendCommand(command);
  return ReadReply("the reply to " + Verb(command));
}

void FtpClient::ExpectCompletion(const std::string& command) {
  Reply reply = Exchange(command);
  ReplyKind kind = ClassifyReply(reply);
  if (kind == ReplyKind::Completion) return;
  if (kind == ReplyKind::Preliminary) Drop();  // a further reply would follow: out of step
  throw FtpError(reply.FirstLine());
}

void FtpClient::Connect() {
  Busy busy(busy_);
  if (Connected() && !IdleConnectionBroken()) return;
  Drop();
  uint32_t address = 0;
  if (!ParseIpv4(Host, address)) throw FtpError("Host \"" + Host + "\" is not an IPv4 address");
  if (Port < 1 || Port > 65535) throw FtpError("Port " + std::to_string(Port) + " is out of range");
  Endpoint peer{address, static_cast<uint16_t>(Port)};
  Socket socket = StartConnect(peer);
  if (!WaitReady(socket, true, NowMs() + WaitLimit()))
    throw FtpError("Timed out after " + std::to_string(WaitLimit()) + " ms connecting to " +
                   FormatEndpoint(peer));
  std::string outcome = ConnectOutcome(socket);
  if (!outcome.empty())
    throw FtpError("Cannot connect to " + FormatEndpoint(peer) + ": " + outcome);
  control_ = std::move(socket);
  replies_ = ReplyReader();
  try {
    Login();
  } catch (const FtpError&) {
    if (Connected()) QuitQuietly();
    Drop();
    throw;
  }
}

bool FtpClient::IdleConnectionBroken() {
  // Between operations the server has nothing to say; anything readable is
  // its closing of the connection (often after an idle timeout) or a reply
  // out of step.
  std::vector<PollEntry> entries{{&control_, false}};
  PollSockets(entries, 0);
  return entries[0].ready;
}

void FtpClient::Login() {
  Reply greeting = ReadReply("the greeting");
  if (ClassifyReply(greeting) == ReplyKind::Preliminary) greeting = ReadReply("the greeting");
  if (ClassifyReply(greeting) != ReplyKind::Completion)
    throw FtpError("The server refused the connection: " + greeting.FirstLine());
  Reply user = Exchange("USER " + UserID);
  if (user.code == 230) return;
  if (user.code != 331) throw FtpError("Login refused: " + user.FirstLine());
  Reply pass = Exchange("PASS " + Password);
  if (ClassifyReply(pass) != ReplyKind::Completion)
    throw FtpError("Login refused: " + pass.FirstLine());
}

void FtpClient::QuitQuietly() {
  try {
    Exchange("QUIT");
  } catch (const FtpError&) {
    // The login already failed; that is the error to report.
  }
  Drop();
}

void FtpClient::ChangeDir(const std::string& dir) {
  Busy busy(busy_);
  RequireConnected();
  ExpectCompletion("CWD " + dir);
}

void FtpClient::Mode(int mode) {
  Busy busy(busy_);
  RequireConnected();
  for (const ModeCommand& m : kModes)
    if (m.mode == mode) return ExpectCompletion(m.command);
  throw FtpError("Unknown transfer mode " + std::to_string(mode));
}

void FtpClient::Upload(const std::string& localName, const std::string& remoteName) {
  Busy busy(busy_);
  RequireConnected();
  if (Passive) throw FtpError("Passive mode is not supported");
  std::error_code ignored;
  std::ifstream file;
  if (std::filesystem::is_regular_file(localName, ignored))  // no directory, no pipe
    file.open(localName, std::ios::binary);
  if (!file.is_open()) throw InOutError("Cannot open local file \"" + localName + "\" for reading");

  Socket listener = ListenOn(LocalEndpoint(control_).address);
  Reply port = Exchange(PortCommand(LocalEndpoint(listener)));
  if (ClassifyReply(port) != ReplyKind::Completion) {
    if (ClassifyReply(port) == ReplyKind::Preliminary) Drop();
    throw FtpError("PORT refused: " + port.FirstLine());
  }
  std::string stor = "STOR " + remoteName;
  Reply start = Exchange(stor);
  if (ClassifyReply(start) != ReplyKind::Preliminary)
    throw FtpError(stor + " refused: " + start.FirstLine());

  Socket data = AcceptData(listener, stor);
  SendFile(localName, file, data, stor);
  Reply done = ReadReply("the completion reply to " + stor);
  if (done.code != 226 && done.code != 250)
    throw FtpError("Upload of \"" + localName + "\" as " + remoteName +
                   " failed: " + done.FirstLine());
}

Socket FtpClient::AcceptData(Socket& listener, const std::string& stor) {
  uint32_t serverAddress = PeerEndpoint(control_).address;
  long long deadline = NowMs() + WaitLimit();
  for (;;) {
    std::vector<PollEntry> entries{{&listener, false}, {&control_, false}};
    PollSockets(entries, static_cast<int>(std::clamp<long long>(deadline - NowMs(), 0, kSliceMs)));
    if (entries[0].ready) {
      Socket data = AcceptWaiting(listener);
      // Only the server may fetch the register; anyone else is turned away.
      if (data.Valid() && ComesFrom(data, serverAddress)) {
        listener.Close();
        return data;
      }
    }
    if (entries[1].ready) {
      Reply early = ReadReply("the data connection for " + stor);
      throw FtpError("The server gave up " + stor +
                     " before the data connection: " + early.FirstLine());
    }
    if (NowMs() >= deadline) {
      listener.Close();
      FailAfterData("The server did not connect to the data port within " +
                    std::to_string(WaitLimit()) + " ms for " + stor);
    }
    if (OnWait) OnWait();
  }
}

void FtpClient::SendFile(const std::string& localName, std::ifstream& file, Socket& data,
                         const std::string& stor) {
  std::vector<char> piece(kPieceBytes);
  unsigned long long total = 0;
  try {
    for (;;) {
      file.read(piece.data(), static_cast<std::streamsize>(piece.size()));
      size_t got = static_cast<size_t>(file.gcount());
      if (file.bad()) throw InOutError("Cannot read local file \"" + localName + "\"");
      if (got == 0) break;
      SendAll(data, piece.data(), got, "sending \"" + localName + "\" for " + stor);
      total += got;
      if (OnWait) OnWait();
      if (got < piece.size()) break;
    }
    ShutdownSending(data);
  } catch (const FtpError& e) {
    ResetConnection(data);
    FailAfterData(std::string(e.what()) + " after " + std::to_string(total) + " bytes");
  } catch (const InOutError&) {
    ResetConnection(data);  // the server must not store the part sent as the whole file
    FailAfterData("Cannot read local file \"" + localName + "\" after " + std::to_string(total) +
                  " bytes");
  }
  data.Close();
}

void FtpClient::FailAfterData(const std::string& fault) {
  // The server answers a broken transfer with a reply of its own; reading it
  // keeps the control connection in step. Without one the connection drops.
  try {
    Reply reply = ReadReply("the server's reply after a failed transfer");
    throw FtpError(fault + "; the server replied: " + reply.FirstLine());
  } catch (const FtpError& e) {
    if (Connected()) throw;
  }
  throw FtpError(fault);
}

void FtpClient::Disconnect() {
  Busy busy(busy_);
  RequireConnected();
  Reply reply;
  try {
    reply = Exchange("QUIT");
  } catch (const FtpError&) {
    Drop();
    throw;
  }
  Drop();
  if (ClassifyReply(reply) != ReplyKind::Completion)
    throw FtpError("QUIT refused: " + reply.FirstLine());
}
