#include "ftp/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "ftp/ftp_error.h"

namespace {

[[noreturn]] void RaiseSystem(const std::string& what, int code) {
  throw FtpError(what + ": " + std::strerror(code));
}

sockaddr_in ToAddress(const Endpoint& endpoint) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(endpoint.address);
  a.sin_port = htons(endpoint.port);
  return a;
}

Endpoint FromAddress(const sockaddr_in& a) {
  return Endpoint{ntohl(a.sin_addr.s_addr), ntohs(a.sin_port)};
}

Socket NewTcpSocket() {
  int handle = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (handle < 0) RaiseSystem("Cannot create a socket", errno);
  return Socket(handle);
}

}  // namespace

Socket::Socket(Socket&& other) noexcept : handle_(other.handle_) { other.handle_ = -1; }

Socket& Socket::operator=(Socket&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    other.handle_ = -1;
  }
  return *this;
}

Socket::~Socket() { Close(); }

void Socket::Close() {
  if (handle_ >= 0) ::close(handle_);
  handle_ = -1;
}

bool ParseIpv4(const std::string& text, uint32_t& address) {
  in_addr a{};
  if (::inet_pton(AF_INET, text.c_str(), &a) != 1) return false;
  address = ntohl(a.s_addr);
  return true;
}

std::string FormatEndpoint(const Endpoint& endpoint) {
  in_addr a{};
  a.s_addr = htonl(endpoint.address);
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &a, text, sizeof text);
  return std::string(text) + ":" + std::to_string(endpoint.port);
}

Socket StartConnect(const Endpoint& peer) {
  Socket s = NewTcpSocket();
  sockaddr_in a = ToAddress(peer);
  if (::connect(s.Handle(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 && errno != EINPROGRESS)
    RaiseSystem("Cannot connect to " + FormatEndpoint(peer), errno);
  return s;
}

std::string ConnectOutcome(const Socket& socket) {
  int code = 0;
  socklen_t size = sizeof code;
  if (::getsockopt(socket.Handle(), SOL_SOCKET, SO_ERROR, &code, &size) != 0) code = errno;
  return code == 0 ? std::string() : std::string(std::strerror(code));
}

Socket ListenOn(uint32_t address) {
  Socket s = NewTcpSocket();
  sockaddr_in a = ToAddress(Endpoint{address, 0});
  if (::bind(s.Handle(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
    RaiseSystem("Cannot bind a data port on " + FormatEndpoint(Endpoint{address, 0}), errno);
  if (::listen(s.Handle(), 1) != 0) RaiseSystem("Cannot listen on the data port", errno);
  return s;
}

Socket AcceptWaiting(const Socket& listener) {
  int handle = ::accept4(listener.Handle(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (handle >= 0) return Socket(handle);
  if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR || errno == ECONNABORTED)
    return Socket();
  RaiseSystem("Cannot accept the data connection", errno);
}

Endpoint LocalEndpoint(const Socket& socket) {
  sockaddr_in a{};
  socklen_t size = sizeof a;
  if (::getsockname(socket.Handle(), reinterpret_cast<sockaddr*>(&a), &size) != 0)
    RaiseSystem("Cannot read the local address", errno);
  return FromAddress(a);
}

Endpoint PeerEndpoint(const Socket& socket) {
  sockaddr_in a{};
  socklen_t size = sizeof a;
  if (::getpeername(socket.Handle(), reinterpret_cast<sockaddr*>(&a), &size) != 0)
    RaiseSystem("Cannot read the peer address", errno);
  return FromAddress(a);
}

size_t SendSome(const Socket& socket, const char* data, size_t size) {
  for (;;) {
    ssize_t n = ::send(socket.Handle(), data, size, MSG_NOSIGNAL);
    if (n >= 0) return static_cast<size_t>(n);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    RaiseSystem("Connection lost while sending", errno);
  }
}

long ReceiveSome(const Socket& socket, char* data, size_t size) {
  for (;;) {
    ssize_t n = ::recv(socket.Handle(), data, size, 0);
    if (n >= 0) return static_cast<long>(n);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return -1;
    RaiseSystem("Connection lost while receiving", errno);
  }
}

void ShutdownSending(const Socket& socket) {
  if (::shutdown(socket.Handle(), SHUT_WR) != 0) RaiseSystem("Cannot close the data stream", errno);
}

void ResetConnection(Socket& socket) {
  if (!socket.Valid()) return;
  linger immediately{1, 0};
  ::setsockopt(socket.Handle(), SOL_SOCKET, SO_LINGER, &immediately, sizeof immediately);
  socket.Close();
}

void PollSockets(std::vector<PollEntry>& entries, int timeoutMs) {
  std::vector<pollfd> fds;
  for (const PollEntry& e : entries)
    fds.push_back(
        pollfd{e.socket->Handle(), static_cast<short>(e.forWriting ? POLLOUT : POLLIN), 0});
  int n = ::poll(fds.data(), fds.size(), timeoutMs < 0 ? 0 : timeoutMs);
  if (n < 0 && errno != EINTR) RaiseSystem("Cannot wait on the network", errno);
  for (size_t i = 0; i < entries.size(); ++i) entries[i].ready = n > 0 && fds[i].revents != 0;
}
