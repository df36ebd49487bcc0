// SPDX-License-Identifier: MIT
// What only the Windows program shows, run against quelder.exe under Wine:
// the open without sharing, CR LF line ends, the 64-bit size query, device
// names and drive-letter paths. Skipped for a native binary.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/quelder_runner.h"
#include "e2e/smf_builder.h"

extern char** environ;

namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

class Windows : public testing::Test {
 protected:
  void SetUp() override {
    if (environment("QUELDER_RUNNER").empty() || !environment("QUELDER_BINARY").ends_with(".exe")) {
      GTEST_SKIP() << "needs QUELDER_BINARY=quelder.exe run by QUELDER_RUNNER (Wine)";
    }
  }
};

// hold_open.exe (QUELDER_WIN_HOLD_OPEN), run like quelder.exe, holding one
// file open from construction until destruction.
class Holder {
 public:
  Holder(const std::string& share, const std::string& path) {
    int input[2];
    int output[2];
    if (pipe2(input, O_CLOEXEC) != 0) return;
    if (pipe2(output, O_CLOEXEC) != 0) {
      close(input[0]);
      close(input[1]);
      return;
    }
    std::vector<std::string> command;
    std::istringstream runner(environment("QUELDER_RUNNER"));
    for (std::string word; runner >> word;) command.push_back(word);
    command.insert(command.end(), {environment("QUELDER_WIN_HOLD_OPEN"), share, path});
    std::vector<char*> argv;
    for (std::string& word : command) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(input[0]);
    close(output[1]);
    input_ = input[1];
    // It says "held" once the file is open, "failed" otherwise.
    std::string reply;
    char c;
    while (reply.find('\n') == std::string::npos && read(output[0], &c, 1) == 1) reply += c;
    close(output[0]);
    held_ = reply.starts_with("held");
  }

  ~Holder() {
    if (input_ >= 0) close(input_);  // tells it to let go
    int status;
    if (pid_ > 0) waitpid(pid_, &status, 0);
  }

  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;

  bool held() const { return held_; }

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  bool held_ = false;
};

// Every line feed comes as CR LF, and no carriage return stands anywhere else.
void expectOnlyCrLf(const std::string& text) {
  std::size_t lines = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      EXPECT_EQ(text.substr(i, 2), "\r\n") << "at " << i << " in " << text;
    } else if (text[i] == '\n') {
      ++lines;
      EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at " << i << " in " << text;
    }
  }
  EXPECT_GT(lines, 0u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST_F(Windows, TextStreamsEndEveryLineInCrLf) {
  // "Quelder version 1.00" 0D 0A, and then the next line at once.
  const std::string banner = runQuelder({}).out;
  EXPECT_EQ(banner.substr(0, 22), "Quelder version 1.00\x0D\x0A");
  EXPECT_EQ(banner, line(texts().banner, bannerName()));
  expectOnlyCrLf(banner);
  TempDir dir;
  const std::string warned = dir.write(
      "warned.mid", concat({header(0, 1), chunk("XFIH", hex("0A")), track(endOfTrack())}));
  const std::string empty = dir.write("empty.mid", Bytes{});
  const RunResult run = runQuelder({warned, empty});
  EXPECT_EQ(run.err, line(Code::unknownChunk, 18) + line(Code::headerMalformed, 0));
  expectOnlyCrLf(run.out);
  expectOnlyCrLf(run.err);
  // Sent to one place, each line arrives whole and in the order produced.
  const std::string merged = runQuelderMerged({warned, empty});
  expectOnlyCrLf(merged);
  EXPECT_EQ(merged, progressLine(warned) + line(Code::unknownChunk, 18) +
                        verdictLine(warned, true) + progressLine(empty) +
                        line(Code::headerMalformed, 0) + verdictLine(empty, false));
}

// The holder's own share mode does not matter: quelder asks for no sharing,
// so any other open handle keeps it out.
TEST_F(Windows, AFileThatAnotherProgramHoldsOpenCannotBeChecked) {
  if (environment("QUELDER_WIN_HOLD_OPEN").empty()) {
    GTEST_SKIP() << "needs QUELDER_WIN_HOLD_OPEN=path of hold_open.exe";
  }
  TempDir dir;
  const std::string held = dir.write("held.mid", smf(0, {endOfTrack()}));
  const std::string free = dir.write("free.mid", smf(0, {endOfTrack()}));
  for (const std::string share : {"share-none", "share-all"}) {
    SCOPED_TRACE(share);
    {
      const Holder holder(share, held);
      ASSERT_TRUE(holder.held());
      const RunResult run = runQuelder({held, free});
      EXPECT_EQ(run.exitStatus, 0);
      EXPECT_EQ(run.err, line(Code::openFailed, held.c_str()));
      EXPECT_EQ(run.out, progressLine(held) + verdictLine(held, false) + progressLine(free) +
                             verdictLine(free, true));
    }
    // Once the holder lets go, the same file is checked.
    const RunResult after = runQuelder({held});
    EXPECT_EQ(after.err, "");
    EXPECT_EQ(after.out, progressLine(held) + verdictLine(held, true));
  }
}

// A check that kept its handle, its no-sharing open would lock the second
// check of the same file out.
TEST_F(Windows, EveryWayOutLetsGoOfTheFile) {
  TempDir dir;
  // An unterminated SysEx of 300 bytes: the scratch buffer has grown when the
  // error comes.
  const Bytes longSysEx = concat({hex("00 F0"), varLen(300), repeat(hex("01"), 300)});
  const struct {
    const char* name;
    Bytes image;
  } cases[] = {
      {"conforming", smf(1, {endOfTrack()})},
      {"warning", concat({header(0, 1), chunk("XFIH", {}), track(endOfTrack())})},
      {"empty", {}},
      {"header error", hex("4D 54 68 64 00")},
      {"error deep in a track", smf(0, {longSysEx})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = dir.write("file.mid", c.image);
    const RunResult once = runQuelder({file});
    const RunResult twice = runQuelder({file, file});
    EXPECT_EQ(twice.out, once.out + once.out);
    EXPECT_EQ(twice.err, once.err + once.err);
    EXPECT_EQ(twice.err.find(line(Code::openFailed, file.c_str())), std::string::npos);
  }
}

// The size is asked for whole: the low 32 bits of a 4 GiB file would be a
// small, even conforming image. Sparse files, so nothing is written.
TEST_F(Windows, FilesOf4GiBOrMoreDrawTheSizeMessage) {
  TempDir dir;
  const Bytes conforming = smf(0, {endOfTrack()});
  for (const std::uintmax_t size : {0xFFFFFFFFull, 0x100000000ull, 0x100000000ull + 26}) {
    SCOPED_TRACE(size);
    const std::string file = dir.write("big.mid", conforming);
    std::filesystem::resize_file(file, size);
    const RunResult run = runQuelder({file});
    EXPECT_EQ(run.err, line(Code::sizeFailed, file.c_str()));
    EXPECT_EQ(run.out, progressLine(file) + verdictLine(file, false));
  }
}

// Device names open as something other than a disk file; there is no image
// to check in them.
TEST_F(Windows, DeviceNamesCannotBeChecked) {
  TempDir dir;
  for (const std::string& name :
       {std::string("NUL"), std::string("nul.mid"), dir.path() + "/NUL"}) {
    SCOPED_TRACE(name);
    const RunResult run = runQuelder({name});
    EXPECT_EQ(run.err, line(Code::openFailed, name.c_str()));
    EXPECT_EQ(run.out, progressLine(name) + verdictLine(name, false));
  }
}

// A drive-letter path with backslashes (Wine's Z: is the Unix root) reaches
// CreateFileA and the lines unchanged, CP932 trail bytes 0x5C included.
TEST_F(Windows, DrivePathsAreUsedAsGiven) {
  TempDir dir;
  for (const std::string leaf : {"a.mid", "\x95\x5C\x83\x5C.mid"}) {
    SCOPED_TRACE(leaf);
    dir.write(leaf, smf(0, {endOfTrack()}));
    std::string name = "Z:" + dir.path() + "/";
    std::replace(name.begin(), name.end(), '/', '\\');
    name += leaf;
    const RunResult run = runQuelder({name});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, progressLine(name) + verdictLine(name, true));
  }
}

}  // namespace
