// SPDX-License-Identifier: MIT
#include "scan_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

[[noreturn]] void execInChild(const ScanInvocation& invocation, int in, int out, int err) {
  if (!invocation.outputPath.empty()) {
    out = ::open(invocation.outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) ::_exit(126);
  }
  if (::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(126);
  if (::chdir(invocation.directory.c_str()) != 0) ::_exit(126);
  if (invocation.asNobody && ::geteuid() == 0 &&
      (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
    ::_exit(126);
  }
  std::vector<char*> argv = {const_cast<char*>(QUELDER_SCAN_BINARY)};
  for (const std::string& arg : invocation.args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& entry : invocation.environment) {
    envp.push_back(const_cast<char*>(entry.c_str()));
  }
  envp.push_back(nullptr);
  ::execve(QUELDER_SCAN_BINARY, argv.data(), envp.data());
  ::_exit(127);
}

// Feeds the input and drains both outputs together, so that no pipe fills up.
void exchange(int in, int out, int err, const std::string& input, ScanRun* run) {
  std::size_t written = 0;
  if (input.empty()) {
    ::close(in);
    in = -1;
  }
  while (out >= 0 || err >= 0) {
    pollfd fds[3] = {{out, POLLIN, 0}, {err, POLLIN, 0}, {in, POLLOUT, 0}};
    if (::poll(fds, 3, -1) < 0) break;
    char block[65536];
    for (int i = 0; i < 2; ++i) {
      if (fds[i].revents == 0) continue;
      const ssize_t got = ::read(fds[i].fd, block, sizeof block);
      if (got > 0) {
        (i == 0 ? run->out : run->err).append(block, static_cast<std::size_t>(got));
      } else {
        ::close(fds[i].fd);
        (i == 0 ? out : err) = -1;
      }
    }
    if (fds[2].revents != 0) {
      const ssize_t put = ::write(in, input.data() + written, input.size() - written);
      if (put > 0) written += static_cast<std::size_t>(put);
      if (put <= 0 || written == input.size()) {
        ::close(in);
        in = -1;
      }
    }
  }
  if (in >= 0) ::close(in);
}

}  // namespace

ScanRun runScanBinary(const ScanInvocation& invocation) {
  int in[2], out[2], err[2];
  ScanRun run;
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
    return run;
  }
  ::signal(SIGPIPE, SIG_IGN);  // the program may end before reading its input
  const pid_t child = ::fork();
  if (child == 0) execInChild(invocation, in[0], out[1], err[1]);
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  exchange(in[1], out[0], err[0], invocation.input, &run);
  int status = 0;
  if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)) {
    run.status = WEXITSTATUS(status);
  }
  return run;
}
