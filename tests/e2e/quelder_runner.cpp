// SPDX-License-Identifier: MIT
#include "e2e/quelder_runner.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace {

std::string environmentOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

std::vector<std::string> commandLine(const std::vector<std::string>& args) {
  std::vector<std::string> command;
  // The runner may carry its own arguments ("valgrind -q --error-exitcode=1").
  std::istringstream runner(environmentOr("QUELDER_RUNNER", ""));
  for (std::string word; runner >> word;) command.push_back(word);
  command.push_back(environmentOr("QUELDER_BINARY", builtBinary()));
  command.insert(command.end(), args.begin(), args.end());
  return command;
}

// Spawns the command with its standard output on outFd and standard error on
// errFd, standard input closed; returns the child's pid.
pid_t spawn(const std::vector<std::string>& command, int outFd, int errFd) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, outFd, 1);
  posix_spawn_file_actions_adddup2(&actions, errFd, 2);
  std::vector<char*> argv;
  for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Reads every pipe to its end, side by side, so that neither can fill up.
void drain(std::vector<int> fds, std::vector<std::string*> sinks) {
  std::vector<pollfd> polls;
  for (int fd : fds) polls.push_back({fd, POLLIN, 0});
  std::size_t open = fds.size();
  char buffer[65536];
  while (open > 0) {
    if (poll(polls.data(), polls.size(), -1) < 0) continue;
    for (std::size_t i = 0; i < polls.size(); ++i) {
      if (polls[i].fd < 0 || polls[i].revents == 0) continue;
      const ssize_t got = read(polls[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(got));
      } else {
        close(polls[i].fd);
        polls[i].fd = -1;
        --open;
      }
    }
  }
}

int waitFor(pid_t pid) {
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The whole file, or false when it is not a regular file up to 64 MiB that
// nobody holds under an exclusive lock and that reads whole, as many bytes as
// its size says: only then does a check of its bytes alone print what the
// checker printed. The probe is a shared lock, as the checker's own is, so
// that it never makes a checker running beside it (another thread's case)
// fail to open the file.
bool readWhole(const std::string& path, std::string* bytes) {
  std::error_code error;
  const bool regular = std::filesystem::is_regular_file(path, error);
  const std::uintmax_t size = regular ? std::filesystem::file_size(path, error) : 0;
  if (!regular || error || size > (64u << 20)) return false;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool unheld = flock(fd, LOCK_SH | LOCK_NB) == 0;
  std::string contents;
  char buffer[65536];
  ssize_t got = 0;
  while (unheld && (got = read(fd, buffer, sizeof buffer)) > 0) {
    contents.append(buffer, static_cast<std::size_t>(got));
  }
  close(fd);  // also drops the lock
  if (!unheld || got < 0 || contents.size() != size) return false;
  *bytes = std::move(contents);
  return true;
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

void dumpCase(const std::vector<std::string>& args, const RunResult& run) {
  const std::string dir = environmentOr("QUELDER_CASE_DUMP", "");
  if (dir.empty() || args.empty()) return;
  std::vector<std::string> images(args.size());
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (!readWhole(args[i], &images[i])) return;
  }
  static std::atomic<int> count = 0;  // runs may come from several threads
  const std::filesystem::path caseDir =
      std::filesystem::path(dir) / (std::to_string(getpid()) + "-" + std::to_string(count++));
  std::filesystem::create_directories(caseDir);
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  writeFile(caseDir / "test",
            test != nullptr ? std::string(test->test_suite_name()) + "." + test->name() : "");
  std::string names;
  for (std::size_t i = 0; i < args.size(); ++i) {
    names += args[i] + '\0';
    writeFile(caseDir / (std::to_string(i) + ".mid"), images[i]);
  }
  writeFile(caseDir / "names", names);
  writeFile(caseDir / "stdout", run.out);
  writeFile(caseDir / "stderr", run.err);
}

// Wine's loader and its client library print these when the program never
// got to run: the connection to the wineserver broke, or the process could
// not be set up. No line of quelder's own starts with "wine".
bool hasWineFailureLine(const std::string& output) {
  static const char* const kMarks[] = {"wine client error:", "wine: failed to", "wine: could not"};
  for (std::size_t line = 0; line < output.size();) {
    for (const char* mark : kMarks) {
      if (output.compare(line, std::strlen(mark), mark) == 0) return true;
    }
    const std::size_t end = output.find('\n', line);
    line = end == std::string::npos ? output.size() : end + 1;
  }
  return false;
}

// Under Wine a crash of the program itself is a Windows exception: it ends
// with an exit status and Wine's report of it. A Unix signal with nothing
// printed at all is Wine dying before the program's main.
bool wineFailed(int status, const std::string& out, const std::string& err) {
  if (environmentOr("QUELDER_RUNNER", "").find("wine") == std::string::npos) return false;
  return hasWineFailureLine(err) || (status == -1 && out.empty() && err.empty());
}

// Runs one attempt: the command with its standard output and standard error
// read into out and err (the same string for both makes them one pipe, as
// with 2>&1); returns the exit status, -1 when it did not exit normally.
int runOnce(const std::vector<std::string>& command, std::string* out, std::string* err) {
  int outPipe[2];
  int errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0) return -1;
  if (out == err) {
    const pid_t pid = spawn(command, outPipe[1], outPipe[1]);
    close(outPipe[1]);
    drain({outPipe[0]}, {out});
    return waitFor(pid);
  }
  if (pipe2(errPipe, O_CLOEXEC) != 0) {
    close(outPipe[0]);
    close(outPipe[1]);
    return -1;
  }
  const pid_t pid = spawn(command, outPipe[1], errPipe[1]);
  close(outPipe[1]);
  close(errPipe[1]);
  drain({outPipe[0], errPipe[0]}, {out, err});
  return waitFor(pid);
}

// Runs the program, again when Wine itself failed under it, up to
// kWineAttempts times in all. Each retry leaves a "[WINE RETRY]" line in the
// test log for the CI step to count. What the program printed itself is
// never a reason to run it again.
constexpr int kWineAttempts = 4;

int runRetryingWine(const std::vector<std::string>& args, std::string* out, std::string* err) {
  const std::vector<std::string> command = commandLine(args);
  for (int attempt = 1;; ++attempt) {
    out->clear();
    err->clear();
    const int status = runOnce(command, out, err);
    if (attempt == kWineAttempts || !wineFailed(status, *out, *err)) return status;
    std::printf("[WINE RETRY] attempt %d of %d: %s\n", attempt + 1, kWineAttempts,
                err->substr(0, err->find('\n')).c_str());
    std::fflush(stdout);
  }
}

}  // namespace

RunResult runQuelder(const std::vector<std::string>& args) {
  RunResult result;
  result.exitStatus = runRetryingWine(args, &result.out, &result.err);
  dumpCase(args, result);
  return result;
}

std::string runQuelderMerged(const std::vector<std::string>& args) {
  std::string merged;
  EXPECT_EQ(runRetryingWine(args, &merged, &merged), 0);
  return merged;
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quelder-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::write(const std::string& name, const Bytes& bytes) const {
  const std::string file = path_ + "/" + name;
  std::FILE* stream = std::fopen(file.c_str(), "wb");
  if (stream == nullptr) std::abort();
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fclose(stream);
  return file;
}

std::string lineEnd() { return environmentOr("QUELDER_EXPECT_CRLF", "0") == "1" ? "\r\n" : "\n"; }

std::string formatLines(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  std::vsnprintf(text.data(), text.size() + 1, format, again);
  va_end(again);
  va_end(args);
  std::string lines;
  for (const char c : text) lines += c == '\n' ? lineEnd() : std::string(1, c);
  return lines;
}

std::string diagnosticFormat(Code code) {
  const Texts& catalogue = texts();
  std::string format;
  switch (codeInfo(code).severity) {
    case Severity::error: format = catalogue.errorAt.text; break;
    case Severity::warning: format = catalogue.warningAt.text; break;
    case Severity::fileError: format = catalogue.fileError.text; break;
  }
  return format + catalogue.messages[code].text + "\n";
}

std::string line(const LengthMessage& message, int offset, const char* name) {
  return formatLines((std::string(texts().errorAt.text) + message.text + "\n").c_str(), offset,
                     name);
}

std::string progressLine(const std::string& name) { return line(texts().progress, name.c_str()); }

std::string verdictLine(const std::string& name, bool conforms) {
  return line(conforms ? texts().conforms : texts().doesNotConform, name.c_str());
}

void expectCheck(const Bytes& image, const std::string& diagnostics, bool conforms,
                 const std::string& name) {
  TempDir dir;
  const std::string path = dir.write(name, image);
  const RunResult run = runQuelder({path});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.err, diagnostics);
  EXPECT_EQ(run.out, progressLine(path) + verdictLine(path, conforms));
}

void expectCases(const std::vector<CheckCase>& cases) {
  for (const CheckCase& c : cases) {
    SCOPED_TRACE(c.name);
    expectCheck(c.image, c.diagnostics, c.conforms);
  }
}
