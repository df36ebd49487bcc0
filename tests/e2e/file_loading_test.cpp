// SPDX-License-Identifier: MIT
// Loading a file: names that cannot be opened, sizes beyond a 32-bit offset,
// memory that runs out, a read that comes up short, and what a check leaves
// behind. Every run checks its file twice, and the two checks must agree.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "e2e/quelder_runner.h"
#include "e2e/smf_builder.h"

namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;

constexpr char kPosixOnly[] =
    "FIFOs, sockets, devices, locks, permissions and resource limits are tried on the native "
    "binary only";
constexpr char kNoLimitUnderSanitizer[] =
    "AddressSanitizer reserves far more address space than the RLIMIT_AS of this test";

bool environmentSet(const char* name, const char* value = nullptr) {
  const char* found = std::getenv(name);
  if (found == nullptr || *found == '\0') return false;
  return value == nullptr || std::strcmp(found, value) == 0;
}

bool underRunner() { return environmentSet("QUELDER_RUNNER"); }
bool sanitized() { return environmentSet("QUELDER_SANITIZED", "1"); }

// The output of one run that checked name twice, each time printing
// diagnostic and ending with the verdict.
void expectCheckedTwice(const RunResult& run, const std::string& name,
                        const std::string& diagnostic, bool conforms) {
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.err, diagnostic + diagnostic);
  const std::string once = progressLine(name) + verdictLine(name, conforms);
  EXPECT_EQ(run.out, once + once);
}

void expectCheckedTwice(const std::string& name, const std::string& diagnostic, bool conforms) {
  expectCheckedTwice(runQuelder({name, name}), name, diagnostic, conforms);
}

// What a check could have changed in a file. Large (sparse) files are
// compared by their ends; their times and block count would show any write.
struct FileState {
  bool exists = false;
  struct stat info {};
  std::string head;
  std::string tail;
};

FileState stateOf(const std::string& path) {
  constexpr std::size_t kCompared = 64 * 1024;
  FileState state;
  state.exists = ::stat(path.c_str(), &state.info) == 0;
  if (!state.exists || !S_ISREG(state.info.st_mode)) return state;
  std::ifstream in(path, std::ios::binary);
  const auto size = static_cast<std::size_t>(state.info.st_size);
  state.head.resize(std::min(size, kCompared));
  in.read(state.head.data(), static_cast<std::streamsize>(state.head.size()));
  if (size > kCompared) {
    state.tail.resize(kCompared);
    in.seekg(static_cast<std::streamoff>(size - kCompared));
    in.read(state.tail.data(), static_cast<std::streamsize>(kCompared));
  }
  return state;
}

void expectUnchanged(const std::string& path, const FileState& before) {
  const FileState after = stateOf(path);
  ASSERT_TRUE(after.exists);
  EXPECT_EQ(after.info.st_size, before.info.st_size);
  EXPECT_EQ(after.info.st_blocks, before.info.st_blocks);
  EXPECT_EQ(after.info.st_mode, before.info.st_mode);
  EXPECT_EQ(after.info.st_mtim.tv_sec, before.info.st_mtim.tv_sec);
  EXPECT_EQ(after.info.st_mtim.tv_nsec, before.info.st_mtim.tv_nsec);
  EXPECT_EQ(after.info.st_ctim.tv_sec, before.info.st_ctim.tv_sec);
  EXPECT_EQ(after.info.st_ctim.tv_nsec, before.info.st_ctim.tv_nsec);
  EXPECT_EQ(after.head, before.head);
  EXPECT_EQ(after.tail, before.tail);
}

// True when this process can take the exclusive lock the checker takes,
// i.e. no check left the file held.
bool lockable(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);
  return locked;
}

// Checks path twice and expects the same diagnostic each time; the file must
// come out of it unchanged and free.
void expectCheckLeavesFileAlone(const std::string& path, const std::string& diagnostic,
                                bool conforms) {
  const FileState before = stateOf(path);
  expectCheckedTwice(path, diagnostic, conforms);
  expectUnchanged(path, before);
  EXPECT_TRUE(lockable(path));
}

// A file of size bytes that holds head at its start and tail at its end, the
// rest a hole: it costs no disk and, when read, gives zeros.
std::string sparseFile(const TempDir& dir, const std::string& name, std::uint64_t size,
                       const Bytes& head = {}, const Bytes& tail = {}) {
  const std::string path = dir.write(name, head);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  const bool made = fd >= 0 && ::ftruncate(fd, static_cast<off_t>(size)) == 0 &&
                    (tail.empty() || ::pwrite(fd, tail.data(), tail.size(),
                                              static_cast<off_t>(size - tail.size())) ==
                                         static_cast<ssize_t>(tail.size()));
  if (fd >= 0) ::close(fd);
  if (!made) std::abort();
  return path;
}

constexpr int kChildSetupFailed = 125;  // the checker itself always exits 0

struct PreparedRun {
  RunResult result;
  bool prepared = false;  // false: prepare() or exec failed in the child
};

std::string contentsOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs the binary on args in a child that calls prepare() between fork and
// exec (to lower a limit or drop privileges). A hang guard ends a child that
// waits for input. Output goes through files, read back after the child ends.
PreparedRun runPrepared(const std::vector<std::string>& args,
                        const std::function<bool()>& prepare) {
  constexpr unsigned kHangGuardSeconds = 20;
  const TempDir capture;
  const std::string outPath = capture.path() + "/stdout";
  const std::string errPath = capture.path() + "/stderr";
  const char* override = std::getenv("QUELDER_BINARY");
  const std::string binary = override != nullptr && *override != '\0' ? override : builtBinary();
  std::vector<char*> argv{const_cast<char*>(binary.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  const pid_t pid = ::fork();
  if (pid == 0) {
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
        ::dup2(err, 2) < 0) {
      ::_exit(kChildSetupFailed);
    }
    ::alarm(kHangGuardSeconds);  // survives exec; SIGALRM ends the checker
    if (!prepare()) ::_exit(kChildSetupFailed);
    ::execv(argv[0], argv.data());
    ::_exit(kChildSetupFailed);
  }
  PreparedRun run;
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return run;
  run.result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.prepared = run.result.exitStatus != kChildSetupFailed;
  run.result.out = contentsOf(outPath);
  run.result.err = contentsOf(errPath);
  return run;
}

std::function<bool()> addressSpaceLimit(std::uint64_t bytes) {
  return [bytes] {
    const rlimit limit{bytes, bytes};
    return ::setrlimit(RLIMIT_AS, &limit) == 0;
  };
}

// --- Names that cannot be opened ------------------------------------------

TEST(FileLoading, NamesThatCannotBeOpened) {
  TempDir dir;
  const std::string dangling = dir.path() + "/dangling.mid";
  ASSERT_EQ(::symlink((dir.path() + "/nowhere.mid").c_str(), dangling.c_str()), 0);
  const std::string loop = dir.path() + "/loop.mid";
  ASSERT_EQ(::symlink(loop.c_str(), loop.c_str()), 0);
  struct Case {
    std::string label;
    std::string name;
  };
  for (const Case& c : std::vector<Case>{{"missing", dir.path() + "/missing.mid"},
                                         {"directory", dir.path()},
                                         {"directory with a slash", dir.path() + "/"},
                                         {"dangling symlink", dangling},
                                         {"symlink to itself", loop},
                                         {"file below a file", dir.write("f", {}) + "/x.mid"},
                                         {"empty name", ""}}) {
    SCOPED_TRACE(c.label);
    expectCheckedTwice(c.name, line(Code::openFailed, c.name.c_str()), false);
  }
}

TEST(FileLoading, SpecialFilesCannotBeOpened) {
  if (underRunner()) GTEST_SKIP() << kPosixOnly;
  TempDir dir;
  const std::string fifo = dir.path() + "/fifo.mid";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  const std::string socketPath = dir.path() + "/socket.mid";
  const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(listener, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
  ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 1), 0);

  // A FIFO with no writer would block a plain open for good; the hang guard
  // turns that into a failure here.
  for (const std::string& name :
       {fifo, socketPath, std::string("/dev/null"), std::string("/dev/zero")}) {
    SCOPED_TRACE(name);
    const PreparedRun run = runPrepared({name, name}, [] { return true; });
    ASSERT_TRUE(run.prepared);
    expectCheckedTwice(run.result, name, line(Code::openFailed, name.c_str()), false);
  }
  ::close(listener);
}

// A writer that holds an exclusive lock keeps the file from being checked; a
// reader's shared lock, like another checker's, does not.
TEST(FileLoading, FileLockedByAnotherProcess) {
  if (underRunner()) GTEST_SKIP() << kPosixOnly;
  TempDir dir;
  const std::string path = dir.write("held.mid", smf(0, {endOfTrack()}));
  const FileState before = stateOf(path);
  struct Case {
    const char* label;
    int lock;
    std::string diagnostic;
    bool conforms;
  };
  for (const Case& c :
       std::vector<Case>{{"exclusive", LOCK_EX, line(Code::openFailed, path.c_str()), false},
                         {"shared", LOCK_SH, "", true}}) {
    SCOPED_TRACE(c.label);
    const int holder = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, c.lock), 0);
    expectCheckedTwice(path, c.diagnostic, c.conforms);
    ::close(holder);
    // Released, the same file conforms: only the holder stood in the way.
    expectCheckLeavesFileAlone(path, "", true);
  }
  expectUnchanged(path, before);
}

// Two runs over the same file side by side (xargs -P) never refuse each
// other, however their checks interleave: their locks are shared.
TEST(FileLoading, ConcurrentCheckersShareTheFile) {
  if (underRunner()) GTEST_SKIP() << kPosixOnly;  // Windows opens without sharing
  constexpr std::size_t kChecks = 2000;
  TempDir dir;
  const std::string path = dir.write("shared.mid", smf(0, {endOfTrack()}));
  const std::vector<std::string> args(kChecks, path);
  RunResult first;
  std::thread firstRun([&] { first = runQuelder(args); });
  const RunResult second = runQuelder(args);
  firstRun.join();
  std::string expected;
  for (std::size_t i = 0; i < kChecks; ++i)
    expected += progressLine(path) + verdictLine(path, true);
  for (const RunResult* run : std::vector<const RunResult*>{&first, &second}) {
    EXPECT_EQ(run->exitStatus, 0);
    EXPECT_EQ(std::count(run->err.begin(), run->err.end(), '\n'), 0) << "open messages";
    EXPECT_TRUE(run->out == expected) << "the verdicts differ from one conforming check each";
  }
}

// Root reads any file whatever its mode, so as root the checker runs as
// nobody; the directory is opened up so that only the file's mode refuses.
TEST(FileLoading, UnreadableFileCannotBeOpened) {
  if (underRunner()) GTEST_SKIP() << kPosixOnly;
  TempDir dir;
  const std::string good = dir.write("good.mid", smf(0, {endOfTrack()}));
  const std::string path = dir.write("unreadable.mid", smf(0, {endOfTrack()}));
  ASSERT_EQ(::chmod(path.c_str(), 0), 0);
  const FileState before = stateOf(path);

  if (::access(path.c_str(), R_OK) != 0) {
    expectCheckedTwice(path, line(Code::openFailed, path.c_str()), false);
  } else {
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr) GTEST_SKIP() << "privileged, and there is no user nobody to run as";
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    const auto asNobody = [uid, gid] {
      return ::setgroups(0, nullptr) == 0 && ::setgid(gid) == 0 && ::setuid(uid) == 0;
    };
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const PreparedRun probe = runPrepared({good}, asNobody);
    const std::string conforming = progressLine(good) + verdictLine(good, true);
    if (!probe.prepared || probe.result.out != conforming) {
      GTEST_SKIP() << "privileged, and the checker cannot be run as nobody here";
    }
    const PreparedRun run = runPrepared({path, path}, asNobody);
    ASSERT_TRUE(run.prepared);
    expectCheckedTwice(run.result, path, line(Code::openFailed, path.c_str()), false);
  }
  expectUnchanged(path, before);
  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
  EXPECT_TRUE(lockable(path));
}

TEST(FileLoading, SymlinkToAGoodFileIsCheckedUnderItsOwnName) {
  TempDir dir;
  const std::string target = dir.write("target.mid", smf(1, {endOfTrack(), endOfTrack()}));
  const std::string link = dir.path() + "/link.mid";
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  const FileState before = stateOf(target);
  expectCheckLeavesFileAlone(link, "", true);
  expectUnchanged(target, before);
  EXPECT_TRUE(lockable(target));
}

// --- Sizes and contents -----------------------------------------------------

// An empty file loads as an empty image; only the header check objects.
TEST(FileLoading, EmptyFileFailsTheHeaderCheck) {
  TempDir dir;
  const std::string path = dir.write("empty.mid", {});
  expectCheckLeavesFileAlone(path, line(Code::headerMalformed, 0), false);
}

// Offsets are 32-bit and 0xFFFFFFFF is the failed size query itself, so the
// size message starts there.
TEST(FileLoading, SizesBeyondA32BitOffsetAreRefused) {
  TempDir dir;
  const Bytes start = smf(0, {endOfTrack()});
  for (const std::uint64_t size : {std::uint64_t{0xFFFFFFFF}, std::uint64_t{0x100000000},
                                   std::uint64_t{0x100000001}, std::uint64_t{0x1000000000}}) {
    SCOPED_TRACE(size);
    const std::string path = sparseFile(dir, "big" + std::to_string(size) + ".mid", size, start);
    expectCheckLeavesFileAlone(path, line(Code::sizeFailed, path.c_str()), false);
  }
}

TEST(FileLoading, ImageThatCannotBeAllocated) {
  if (underRunner()) GTEST_SKIP() << kPosixOnly;
  if (sanitized()) GTEST_SKIP() << kNoLimitUnderSanitizer;
  TempDir dir;
  const std::string good = dir.write("good.mid", smf(0, {endOfTrack()}));
  // 0xFFFFFFFE is the largest size that passes the size query.
  for (const std::uint64_t size : {512 * kMiB, std::uint64_t{0xFFFFFFFE}}) {
    SCOPED_TRACE(size);
    const std::string path =
        sparseFile(dir, "big" + std::to_string(size) + ".mid", size, smf(0, {endOfTrack()}));
    const FileState before = stateOf(path);
    const PreparedRun run = runPrepared({path, path, good}, addressSpaceLimit(256 * kMiB));
    ASSERT_TRUE(run.prepared);
    const std::string once = progressLine(path) + verdictLine(path, false);
    // The small file after it still fits: the limit alone breaks nothing.
    EXPECT_EQ(run.result.out, once + once + progressLine(good) + verdictLine(good, true));
    EXPECT_EQ(run.result.err, line(Code::memoryFailed) + line(Code::memoryFailed));
    EXPECT_EQ(run.result.exitStatus, 0);
    expectUnchanged(path, before);
    EXPECT_TRUE(lockable(path));
  }
}

// One Copyright Notice of length bytes, first event of the only track; its
// text holds the sign, so with memory enough the file conforms. Its data has
// to be examined, so the checker takes it into the buffer: a second copy of
// nearly the whole image. All but its ends is a hole.
std::string copyrightFile(const TempDir& dir, const std::string& name, std::uint32_t length,
                          const std::string& sign) {
  const Bytes lengthField = varLen(length);
  const auto trackLength = static_cast<std::uint32_t>(3 + lengthField.size() + length + 4);
  const Bytes head = concat(
      {header(0, 1), text("MTrk"), be32(trackLength), hex("00 FF 02"), lengthField, text(sign)});
  return sparseFile(dir, name, 22 + std::uint64_t{trackLength}, head, endOfTrack());
}

// The image fits the address space, the buffer for the notice does not.
TEST(FileLoading, ScratchBufferThatCannotGrow) {
  if (underRunner()) GTEST_SKIP() << kPosixOnly;
  if (sanitized()) GTEST_SKIP() << kNoLimitUnderSanitizer;
  constexpr std::uint32_t kLength = 64 * kMiB;
  TempDir dir;
  const std::string path = copyrightFile(dir, "notice.mid", kLength, "(C) 2024 Quelder");
  const FileState before = stateOf(path);

  const PreparedRun run =
      runPrepared({path, path}, addressSpaceLimit(std::uint64_t{kLength} * 3 / 2));
  ASSERT_TRUE(run.prepared);
  expectCheckedTwice(run.result, path, line(Code::memoryFailed), false);
  expectUnchanged(path, before);
  EXPECT_TRUE(lockable(path));

  expectCheckLeavesFileAlone(path, "", true);
}

// A check that fails after growing the buffer must hand back the buffer and
// the image: under a limit that holds one such check at a time, the same
// check runs again and a larger file still loads after it.
TEST(FileLoading, FailedCheckReleasesWhatItHeld) {
  if (underRunner()) GTEST_SKIP() << kPosixOnly;
  if (sanitized()) GTEST_SKIP() << kNoLimitUnderSanitizer;
  constexpr std::uint32_t kLength = 32 * kMiB;
  TempDir dir;
  // Buffered whole, then refused for want of the sign.
  const std::string unsignedNotice = copyrightFile(dir, "unsigned.mid", kLength, "2024 Quelder");
  // Twice as large, nearly all of it an unknown chunk that is stepped over.
  const std::uint32_t chunkLength = 2 * kLength;
  const std::string large =
      sparseFile(dir, "large.mid", 34 + std::uint64_t{chunkLength},
                 concat({smf(0, {endOfTrack()}), text("XXXX"), be32(chunkLength)}));

  // Each check fits alone; whatever the first left held would not leave room.
  const PreparedRun run = runPrepared({unsignedNotice, unsignedNotice, large},
                                      addressSpaceLimit(std::uint64_t{kLength} * 7 / 2));
  ASSERT_TRUE(run.prepared);
  const std::string failed = progressLine(unsignedNotice) + verdictLine(unsignedNotice, false);
  EXPECT_EQ(run.result.out, failed + failed + progressLine(large) + verdictLine(large, true));
  const std::string signMissing =
      line(Code::copyrightSignMissing, 29, texts().metaEvents.copyright);
  EXPECT_EQ(run.result.err, signMissing + signMissing + line(Code::unknownChunk, 30));
  EXPECT_EQ(run.result.exitStatus, 0);
}

// sysfs reports a size of a page for attributes that hold a few bytes, so the
// read ends early: the one read failure this platform can produce on demand.
TEST(FileLoading, ReadThatEndsShortOfTheSizeIsAReadFailure) {
  if (underRunner()) GTEST_SKIP() << kPosixOnly;
  const std::string path = "/sys/devices/system/cpu/online";
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
      contentsOf(path).size() >= static_cast<std::size_t>(info.st_size)) {
    GTEST_SKIP() << path << " is missing or holds as many bytes as its size says";
  }
  expectCheckedTwice(path, line(Code::readFailed, path.c_str()), false);
}

// --- Standard streams --------------------------------------------------------

std::function<bool()> openedOn(int fd, const char* device) {
  return [fd, device] {
    const int opened = ::open(device, O_WRONLY);
    return opened >= 0 && ::dup2(opened, fd) == fd;
  };
}

std::function<bool()> closed(std::vector<int> fds) {
  return [fds] {
    for (int fd : fds) ::close(fd);
    return true;
  };
}

// Standard output on a pipe that nobody reads, with SIGPIPE at its default.
bool brokenPipe() {
  int ends[2];
  if (::pipe(ends) != 0 || ::dup2(ends[1], 1) != 1) return false;
  ::close(ends[0]);
  return std::signal(SIGPIPE, SIG_DFL) != SIG_ERR;
}

// A line that cannot be written makes the exit status 1 and is named on
// standard error; a closed descriptor is reopened, never handed to a checked
// file; a broken pipe ends the run on SIGPIPE, as it ends other filters.
TEST(FileLoading, StandardStreamsClosedFullOrBroken) {
  if (underRunner()) GTEST_SKIP() << kPosixOnly;
  TempDir dir;
  const std::string good = dir.write("good.mid", smf(0, {endOfTrack()}));
  const std::string bad = dir.write("bad.mid", {});
  const FileState goodBefore = stateOf(good);
  const FileState badBefore = stateOf(bad);
  const std::string goodOut = progressLine(good) + verdictLine(good, true);
  const std::string bothOut = goodOut + progressLine(bad) + verdictLine(bad, false);
  const std::string badErr = line(Code::headerMalformed, 0);
  struct Case {
    const char* label;
    std::vector<std::string> args;
    std::function<bool()> prepare;
    int exitStatus;  // -1: ended by a signal
    std::string out;
    std::string err;
  };
  const std::vector<Case> cases = {
      {"output full",
       {good, bad},
       openedOn(1, "/dev/full"),
       1,
       "",
       badErr + line(texts().outputLost)},
      {"banner to a full output", {}, openedOn(1, "/dev/full"), 1, "", line(texts().outputLost)},
      {"error stream full", {good, bad}, openedOn(2, "/dev/full"), 1, bothOut, ""},
      {"error stream full, nothing to say", {good}, openedOn(2, "/dev/full"), 0, goodOut, ""},
      {"output closed", {good, bad}, closed({1}), 0, "", badErr},
      {"error stream closed", {good, bad}, closed({2}), 0, bothOut, ""},
      {"all three closed", {good, bad}, closed({0, 1, 2}), 0, "", ""},
      {"output a broken pipe", {good, bad}, brokenPipe, -1, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const PreparedRun run = runPrepared(c.args, c.prepare);
    ASSERT_TRUE(run.prepared);
    EXPECT_EQ(run.result.exitStatus, c.exitStatus);
    EXPECT_EQ(run.result.out, c.out);
    EXPECT_EQ(run.result.err, c.err);
    expectUnchanged(good, goodBefore);
    expectUnchanged(bad, badBefore);
  }
}

}  // namespace
