// The real FTP server of the tests: pyftpdlib run by the system's Python on
// 127.0.0.1 at a port of the system's choosing, serving `root` to the user
// kvoter with password kvoter. The constructor waits at most 10 s for the
// server to announce its port and raises std::runtime_error otherwise; the
// destructor stops it (SIGTERM, then SIGKILL after 5 s) and reaps it.
// Needs KVOTER_SOURCE_DIR (the project root) to find the server script.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

class PyFtpServer {
 public:
  explicit PyFtpServer(const std::string& root);
  ~PyFtpServer();
  PyFtpServer(const PyFtpServer&) = delete;
  PyFtpServer& operator=(const PyFtpServer&) = delete;

  uint16_t Port() const { return port_; }

 private:
  void Stop();

  pid_t pid_ = -1;
  uint16_t port_ = 0;
};
