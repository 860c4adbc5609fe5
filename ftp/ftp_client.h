// An FTP client (RFC 959) for uploads in active mode: log in, change the
// directory, set the transfer type, store files, log out. Writing a property
// only stores it; Host, Port, UserID and Password take effect at the next
// connection. Every wait (connecting, each reply, the server's data
// connection, each send that makes no progress) lasts at most TimeOut ms;
// OnWait is called between poll slices of every wait. Failures raise FtpError
// (InOutError for an unreadable local file); a timeout or a garbled reply also
// drops the control connection, so no late reply is ever taken for a new one.
#pragma once

#include <fstream>
#include <functional>
#include <string>

#include "ftp/reply.h"
#include "ftp/socket.h"

class FtpClient {
 public:
  int Vendor = 0;    // listing parser choice; no listing is ever asked for
  std::string Host;  // dotted IPv4 address
  int Port = 21;
  int ReportLevel = 0;  // no status reports are produced
  int TimeOut = 5000;   // ms; 0 or less counts as 5000
  std::string UserID;
  std::string Password;
  bool Passive = false;  // only active mode (false) is supported
  std::function<void()> OnWait;

  // Connects and logs in; does nothing when already connected, unless the
  // server has closed the idle connection meanwhile. After a refused login
  // sends QUIT, closes and stays not connected.
  void Connect();
  // "CWD " + dir; a refusal raises the server's first reply line.
  void ChangeDir(const std::string& dir);
  // 1 "TYPE A", 2 "TYPE I", 3 "TYPE L 8"; refusals as ChangeDir.
  void Mode(int mode);
  // Sends the local file's bytes unchanged; succeeds only on a 226 or 250
  // completion reply.
  void Upload(const std::string& localName, const std::string& remoteName);
  // "QUIT"; the control connection is closed whatever the answer.
  void Disconnect();

  bool Connected() const { return control_.Valid(); }

 private:
  int WaitLimit() const;
  void RequireConnected() const;
  void Drop();
  bool IdleConnectionBroken();
  void Login();
  void QuitQuietly();
  void SendCommand(const std::string& command);
  Reply ReadReply(const std::string& awaited);
  Reply Exchange(const std::string& command);
  void ExpectCompletion(const std::string& command);
  // Waits until `socket` is ready or the deadline passes; false on timeout.
  bool WaitReady(const Socket& socket, bool forWriting, long long deadlineMs);
  void SendAll(const Socket& socket, const char* data, size_t size, const std::string& what);
  Socket AcceptData(Socket& listener, const std::string& stor);
  void SendFile(const std::string& localName, std::ifstream& file, Socket& data,
                const std::string& stor);
  [[noreturn]] void FailAfterData(const std::string& fault);

  struct Busy;

  Socket control_;
  ReplyReader replies_;
  bool busy_ = false;  // an operation is running (OnWait must not start another)
};
