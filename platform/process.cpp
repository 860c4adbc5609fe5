#include "platform/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace {

long long NowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000LL + ts.tv_nsec / 1000000;
}

}  // namespace

ProcessResult PosixProcessRunner::Run(const std::vector<std::string>& argv, int timeoutMs) {
  ProcessResult result;
  if (argv.empty()) return result;
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  // A pipe closed on exec tells the parent whether exec succeeded.
  int status_pipe[2];
  if (pipe2(status_pipe, O_CLOEXEC) != 0) return result;
  const pid_t pid = fork();
  if (pid < 0) {
    close(status_pipe[0]);
    close(status_pipe[1]);
    return result;
  }
  if (pid == 0) {
    close(status_pipe[0]);
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
      dup2(null, 0);
      dup2(null, 1);
      dup2(null, 2);
    }
    setpgid(0, 0);
    execvp(args[0], args.data());
    const int err = errno;
    (void)!write(status_pipe[1], &err, sizeof err);
    _exit(127);
  }
  close(status_pipe[1]);
  int exec_errno = 0;
  ssize_t n;
  do n = read(status_pipe[0], &exec_errno, sizeof exec_errno);
  while (n < 0 && errno == EINTR);
  close(status_pipe[0]);
  result.started = n == 0;

  const long long deadline = NowMs() + timeoutMs;
  int status = 0;
  for (;;) {
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) break;
    if (r < 0 && errno != EINTR) return result;
    if (NowMs() >= deadline) {
      // The child and anything it started in its group.
      kill(-pid, SIGKILL);
      kill(pid, SIGKILL);
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      result.timedOut = true;
      return result;
    }
    usleep(10000);
  }
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  return result;
}
