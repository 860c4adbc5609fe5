// A scripted FTP server on 127.0.0.1, run in a thread of the test, for the
// faults a real server cannot be made to show. The verb of each command picks
// the next of its scripted replies (the last one repeats); kSilent sends
// nothing, kClose drops the control connection (a reply ending in kClose is
// sent before). It records every command
// line, the number of connections and each stored file. Serves one client at
// a time; stops and joins its thread when destroyed. Test code only.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

inline const std::string kSilent = "<silent>";
inline const std::string kClose = "<close>";

enum class DataFault {
  None,            // connects, reads the file to its end, sends `completion`
  NeverConnect,    // never opens the data connection, sends nothing more
  DropAfterBytes,  // resets the data connection after `dropAfterBytes`, sends `completion`
  StopReading,     // connects and never reads, sends nothing more
  ForeignAddress,  // connects from 127.0.0.2 instead of the control connection's address
};

struct FaultScript {
  std::string greeting = "220 Fault server ready";
  std::map<std::string, std::vector<std::string>> replies;  // by verb, over the defaults
  DataFault data = DataFault::None;
  size_t dropAfterBytes = 0;
  bool connectAtPort = false;  // connect on PORT (as pyftpdlib) instead of after STOR
  std::string completion = "226 Transfer complete";
};

class FaultFtpServer {
 public:
  explicit FaultFtpServer(FaultScript script);
  ~FaultFtpServer();
  FaultFtpServer(const FaultFtpServer&) = delete;
  FaultFtpServer& operator=(const FaultFtpServer&) = delete;

  uint16_t Port() const { return port_; }
  std::vector<std::string> Commands() const;
  int Connections() const;
  std::map<std::string, std::string> Files() const;

 private:
  struct Session;
  void Run();
  void Serve(int control);
  std::string NextReply(const std::string& verb);

  FaultScript script_;
  std::map<std::string, size_t> used_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> commands_;
  int connections_ = 0;
  std::map<std::string, std::string> files_;
  std::thread thread_;
};
