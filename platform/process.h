// Child processes: a program started directly with an argument list (no
// shell, so no argument is ever re-read as a command), stdin from the null
// device so it can never wait for an answer, in the process's current
// directory. The wait is bounded: after `timeoutMs` the child is killed and
// reaped. The exit code is returned but callers may ignore it.
#pragma once

#include <string>
#include <vector>

struct ProcessResult {
  bool started = false;   // false when the program could not be found or run
  bool timedOut = false;  // killed after the bound
  int exitCode = -1;      // exit status, or -1 when killed by a signal
};

class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;
  virtual ProcessResult Run(const std::vector<std::string>& argv, int timeoutMs) = 0;
};

// The real runner (fork/exec on POSIX). Output of the child goes to the
// null device too: the system does not read the archiver's messages.
class PosixProcessRunner : public ProcessRunner {
 public:
  ProcessResult Run(const std::vector<std::string>& argv, int timeoutMs) override;
};
