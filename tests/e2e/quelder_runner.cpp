#include "e2e/quelder_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

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
  command.push_back(environmentOr("QUELDER_BINARY", QUELDER_BINARY));
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
// nobody holds locked and that reads whole, as many bytes as its size says:
// only then does a check of its bytes alone print what the checker printed.
bool readWhole(const std::string& path, std::string* bytes) {
  std::error_code error;
  const bool regular = std::filesystem::is_regular_file(path, error);
  const std::uintmax_t size = regular ? std::filesystem::file_size(path, error) : 0;
  if (!regular || error || size > (64u << 20)) return false;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool unheld = flock(fd, LOCK_EX | LOCK_NB) == 0;
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
  static int count = 0;
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

}  // namespace

RunResult runQuelder(const std::vector<std::string>& args) {
  int outPipe[2];
  int errPipe[2];
  RunResult result;
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) return result;
  const pid_t pid = spawn(commandLine(args), outPipe[1], errPipe[1]);
  close(outPipe[1]);
  close(errPipe[1]);
  drain({outPipe[0], errPipe[0]}, {&result.out, &result.err});
  result.exitStatus = waitFor(pid);
  dumpCase(args, result);
  return result;
}

std::string runQuelderMerged(const std::vector<std::string>& args) {
  int both[2];
  std::string merged;
  if (pipe2(both, O_CLOEXEC) != 0) return merged;
  const pid_t pid = spawn(commandLine(args), both[1], both[1]);
  close(both[1]);
  drain({both[0]}, {&merged});
  EXPECT_EQ(waitFor(pid), 0);
  return merged;
}

TempDir::TempDir() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "quelder-test-XXXXXX").string();
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

std::string lineEnd() {
  return environmentOr("QUELDER_EXPECT_CRLF", "0") == "1" ? "\r\n" : "\n";
}

std::string progressLine(const std::string& name) {
  return name + "が、SMF規格1.0に適合しているかを検証します:" + lineEnd();
}

std::string verdictLine(const std::string& name, bool conforms) {
  return "検証結果: " + name +
         (conforms ? "は、SMF規格1.0に適合しています。" : "は、SMF規格1.0に適合していません。") +
         lineEnd();
}

std::string errorAt(long offset, const std::string& message) {
  return "エラー(" + std::to_string(offset) + "): " + message + lineEnd();
}

std::string warningAt(long offset, const std::string& message) {
  return "警告(" + std::to_string(offset) + "): " + message + lineEnd();
}

std::string fileError(const std::string& message) { return "エラー: " + message + lineEnd(); }

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
