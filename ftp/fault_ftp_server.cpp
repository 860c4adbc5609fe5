#include "ftp/fault_ftp_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <stdexcept>

namespace {

constexpr int kSliceMs = 20;

const std::map<std::string, std::string> kDefaultReplies = {
    {"USER", "331 Password required"}, {"PASS", "230 Logged in"},
    {"CWD", "250 Directory changed"},  {"TYPE", "200 Type set"},
    {"PORT", "200 PORT accepted"},     {"STOR", "150 Opening data connection"},
    {"QUIT", "221 Goodbye"},
};

sockaddr_in Loopback(const char* address, uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  inet_pton(AF_INET, address, &a.sin_addr);
  return a;
}

// Waits for `fd` to become readable, in slices so that `stop` is noticed.
bool WaitReadable(int fd, const std::atomic<bool>& stop) {
  while (!stop) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, kSliceMs) > 0) return true;
  }
  return false;
}

void SendText(int fd, const std::string& text) {
  std::string line = text + "\r\n";
  send(fd, line.data(), line.size(), MSG_NOSIGNAL);
}

void Reset(int fd) {
  linger l{1, 0};
  setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  close(fd);
}

}  // namespace

struct FaultFtpServer::Session {
  int control = -1;
  int data = -1;
  sockaddr_in dataPeer{};
  std::string pending;
  ~Session() {
    if (data >= 0) close(data);
    if (control >= 0) close(control);
  }
};

FaultFtpServer::FaultFtpServer(FaultScript script) : script_(std::move(script)) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a = Loopback("127.0.0.1", 0);
  socklen_t size = sizeof a;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      listen(listener_, 4) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &size) != 0)
    throw std::runtime_error("fault server cannot listen");
  port_ = ntohs(a.sin_port);
  thread_ = std::thread([this] { Run(); });
}

FaultFtpServer::~FaultFtpServer() {
  stop_ = true;
  thread_.join();
  close(listener_);
}

std::vector<std::string> FaultFtpServer::Commands() const {
  std::lock_guard lock(mutex_);
  return commands_;
}

int FaultFtpServer::Connections() const {
  std::lock_guard lock(mutex_);
  return connections_;
}

std::map<std::string, std::string> FaultFtpServer::Files() const {
  std::lock_guard lock(mutex_);
  return files_;
}

std::string FaultFtpServer::NextReply(const std::string& verb) {
  auto scripted = script_.replies.find(verb);
  if (scripted == script_.replies.end() || scripted->second.empty()) {
    auto fallback = kDefaultReplies.find(verb);
    return fallback == kDefaultReplies.end() ? "502 Command not implemented" : fallback->second;
  }
  size_t& n = used_[verb];
  const std::vector<std::string>& list = scripted->second;
  return list[std::min(n++, list.size() - 1)];
}

void FaultFtpServer::Run() {
  while (WaitReadable(listener_, stop_)) {
    int control = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (control < 0) continue;
    {
      std::lock_guard lock(mutex_);
      ++connections_;
    }
    Serve(control);
  }
}

namespace {

// Reads one command line; false when the client went away or the server stops.
bool ReadLine(int fd, std::string& pending, std::string& line, const std::atomic<bool>& stop) {
  for (;;) {
    size_t end = pending.find("\r\n");
    if (end != std::string::npos) {
      line = pending.substr(0, end);
      pending.erase(0, end + 2);
      return true;
    }
    if (!WaitReadable(fd, stop)) return false;
    char buffer[4096];
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    pending.append(buffer, static_cast<size_t>(n));
  }
}

bool ParsePort(const std::string& argument, sockaddr_in& peer) {
  unsigned h[6];
  if (sscanf(argument.c_str(), "%u,%u,%u,%u,%u,%u", &h[0], &h[1], &h[2], &h[3], &h[4], &h[5]) != 6)
    return false;
  peer = Loopback("127.0.0.1", static_cast<uint16_t>(h[4] * 256 + h[5]));
  peer.sin_addr.s_addr = htonl((h[0] << 24) | (h[1] << 16) | (h[2] << 8) | h[3]);
  return true;
}

int ConnectData(const sockaddr_in& peer, DataFault fault) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  bool foreign = fault == DataFault::ForeignAddress;
  if (fault == DataFault::StopReading) {  // a small window fills sooner
    int bytes = 64 * 1024;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
  }
  if (foreign) {
    sockaddr_in from = Loopback("127.0.0.2", 0);
    bind(fd, reinterpret_cast<const sockaddr*>(&from), sizeof from);
  }
  if (connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

void FaultFtpServer::Serve(int control) {
  Session s;
  s.control = control;
  if (script_.greeting != kSilent) SendText(control, script_.greeting);
  std::string line;
  while (ReadLine(control, s.pending, line, stop_)) {
    {
      std::lock_guard lock(mutex_);
      commands_.push_back(line);
    }
    std::string verb = line.substr(0, line.find(' '));
    std::string argument = line.size() > verb.size() ? line.substr(verb.size() + 1) : "";
    std::string reply = NextReply(verb);
    if (reply == kClose) return;
    if (reply.size() > kClose.size() && reply.ends_with(kClose)) {  // reply, then close
      SendText(control, reply.substr(0, reply.size() - kClose.size()));
      return;
    }
    bool accepted = reply[0] == '1' || reply[0] == '2';
    if (verb == "PORT" && accepted && ParsePort(argument, s.dataPeer) && script_.connectAtPort &&
        script_.data != DataFault::NeverConnect) {
      if (s.data >= 0) close(s.data);
      s.data = ConnectData(s.dataPeer, script_.data);
    }
    if (reply != kSilent) SendText(control, reply);
    if (verb == "QUIT" && accepted) return;
    if (verb != "STOR" || reply[0] != '1') continue;

    if (script_.data == DataFault::NeverConnect) continue;
    if (s.data < 0) s.data = ConnectData(s.dataPeer, script_.data);
    if (s.data < 0) continue;  // the client listens no more
    if (script_.data == DataFault::StopReading || script_.data == DataFault::ForeignAddress)
      continue;
    std::string bytes;
    char buffer[65536];
    while (WaitReadable(s.data, stop_)) {
      size_t want = sizeof buffer;
      if (script_.data == DataFault::DropAfterBytes)
        want = std::min(want, script_.dropAfterBytes - bytes.size());
      ssize_t n = want == 0 ? 0 : recv(s.data, buffer, want, 0);
      if (n <= 0) break;
      bytes.append(buffer, static_cast<size_t>(n));
    }
    if (script_.data == DataFault::DropAfterBytes)
      Reset(s.data);
    else
      close(s.data);
    s.data = -1;
    {
      std::lock_guard lock(mutex_);
      files_[argument] = bytes;
    }
    if (script_.completion == kClose) return;
    if (script_.completion != kSilent) SendText(control, script_.completion);
  }
}
