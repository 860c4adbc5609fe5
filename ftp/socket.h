// The FTP client's only contact with the operating system's sockets: IPv4
// TCP sockets, always non-blocking, and one poll over several of them. A
// Socket owns its descriptor and closes it when destroyed. Calls that fail
// raise FtpError naming the call and the system's reason; sends and receives
// report "would block" instead of waiting. A Windows build replaces this file
// pair alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// An IPv4 address and port, both in host byte order.
struct Endpoint {
  uint32_t address = 0;
  uint16_t port = 0;
};

class Socket {
 public:
  Socket() = default;
  explicit Socket(int handle) : handle_(handle) {}
  Socket(Socket&& other) noexcept;
  Socket& operator=(Socket&& other) noexcept;
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  ~Socket();

  bool Valid() const { return handle_ >= 0; }
  int Handle() const { return handle_; }
  void Close();

 private:
  int handle_ = -1;
};

// "a.b.c.d" to an address; false when the text is no dotted IPv4 address.
bool ParseIpv4(const std::string& text, uint32_t& address);
std::string FormatEndpoint(const Endpoint& endpoint);

// Starts connecting; the socket becomes writable when the attempt ends, and
// ConnectOutcome then tells how it ended (empty text: connected).
Socket StartConnect(const Endpoint& peer);
std::string ConnectOutcome(const Socket& socket);

// Listens on the given address at a port the system chooses (backlog 1).
Socket ListenOn(uint32_t address);
// A waiting connection, or an invalid Socket when none is waiting yet.
Socket AcceptWaiting(const Socket& listener);

Endpoint LocalEndpoint(const Socket& socket);
Endpoint PeerEndpoint(const Socket& socket);

// Bytes sent (> 0), 0 when the send would block; raises when the peer is gone.
size_t SendSome(const Socket& socket, const char* data, size_t size);
// Bytes read (> 0), 0 at the peer's end of stream, -1 when it would block;
// raises on a reset or another failure.
long ReceiveSome(const Socket& socket, char* data, size_t size);
// Ends our direction of the stream (the peer reads end of file).
void ShutdownSending(const Socket& socket);
// Closes with a reset, so that the peer cannot take what it got for the end.
void ResetConnection(Socket& socket);

struct PollEntry {
  const Socket* socket = nullptr;
  bool forWriting = false;
  bool ready = false;  // set by PollSockets: readable/writable, or failed
};
// Waits at most timeoutMs for any entry to become ready.
void PollSockets(std::vector<PollEntry>& entries, int timeoutMs);
