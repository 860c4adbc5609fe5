#include "ftp/ftp_test_server.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace {

constexpr int kStartMs = 10000;
constexpr int kStopMs = 5000;

std::string ScriptPath() {
  const char* root = std::getenv("KVOTER_SOURCE_DIR");
  if (root == nullptr) throw std::runtime_error("KVOTER_SOURCE_DIR is not set");
  return std::string(root) + "/ftp/testdata/ftp_server.py";
}

// Reads the first line the child writes, waiting at most kStartMs in all.
std::string ReadFirstLine(int fd) {
  std::string line;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartMs);
  while (line.find('\n') == std::string::npos) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd p{fd, POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0)
      throw std::runtime_error("the FTP server did not announce its port in time");
    char c[64];
    ssize_t n = read(fd, c, sizeof c);
    if (n <= 0) throw std::runtime_error("the FTP server ended before announcing its port");
    line.append(c, static_cast<size_t>(n));
  }
  return line.substr(0, line.find('\n'));
}

}  // namespace

PyFtpServer::PyFtpServer(const std::string& root) {
  std::string script = ScriptPath();
  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("cannot make a pipe for the FTP server");
  pid_ = fork();
  if (pid_ == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    execl("/usr/bin/python3", "python3", script.c_str(), root.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  if (pid_ < 0) {
    close(out[0]);
    throw std::runtime_error("cannot start the FTP server");
  }
  try {
    port_ = static_cast<uint16_t>(std::stoi(ReadFirstLine(out[0])));
  } catch (...) {
    close(out[0]);
    Stop();
    throw;
  }
  close(out[0]);
}

PyFtpServer::~PyFtpServer() { Stop(); }

void PyFtpServer::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  for (int waited = 0; waited < kStopMs; waited += 10) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}
