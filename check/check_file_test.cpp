// SPDX-License-Identifier: MIT
// A file is read in pieces while it is checked. Whatever the check finds
// before the read ends, a read that fails part-way must leave only its own
// message, as when the file was read whole before the check; and a read that
// succeeds must leave exactly what a check of the image held whole prints.
// The unit tests link with -Wl,--wrap=read, so that this file can make any
// read of the checked file fail.
#include "check/check_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/printed_diagnostics.h"
#include "catalogue/texts.h"
#include "platform/load_file.h"

namespace {

struct ReadFault {
  bool armed = false;
  int failAt = 0;          // the read call that fails, from 1; 0 for none
  bool endOfFile = false;  // it finds the file ended (it shrank), instead of an error
  int calls = 0;
};

ReadFault readFault;

}  // namespace

extern "C" ssize_t __real_read(int fd, void* buffer, std::size_t count);

extern "C" ssize_t __wrap_read(int fd, void* buffer, std::size_t count) {
  if (readFault.armed && ++readFault.calls == readFault.failAt) {
    if (readFault.endOfFile) return 0;
    errno = EIO;
    return -1;
  }
  return __real_read(fd, buffer, count);
}

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kPieces = 5;  // of kReadPiece bytes, the last one shorter

void append(Bytes* bytes, std::initializer_list<std::uint8_t> more) {
  for (const std::uint8_t byte : more) bytes->push_back(byte);
}

// A format 0 file of kPieces pieces: `before` (a chunk, say) after the
// header, then one track that starts with the events `first` and goes on
// with notes under running status to its End of Track.
Bytes image(const Bytes& before, const Bytes& first) {
  Bytes events = first;
  append(&events, {0x00, 0x90, 0x3C, 0x40});
  while (events.size() < (kPieces - 1) * kReadPiece + kReadPiece / 2) {
    append(&events, {0x00, 0x3C, 0x40});
  }
  append(&events, {0x00, 0xFF, 0x2F, 0x00});
  Bytes out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96};
  for (const std::uint8_t byte : before) out.push_back(byte);
  const auto length = static_cast<std::uint32_t>(events.size());
  append(&out, {'M', 'T', 'r', 'k', static_cast<std::uint8_t>(length >> 24),
                static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 8),
                static_cast<std::uint8_t>(length)});
  out.insert(out.end(), events.begin(), events.end());
  return out;
}

std::string checkedPath() { return testing::TempDir() + "check_file_test.mid"; }

struct Outcome {
  bool conforms;
  std::string diagnostics;
};

Outcome checkFileWithFault(const Bytes& bytes, int failAt, bool endOfFile) {
  std::FILE* file = std::fopen(checkedPath().c_str(), "wb");
  if (file == nullptr) return {false, "cannot write the test file"};
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  readFault = {true, failAt, endOfFile, 0};
  testing::internal::CaptureStderr();
  const bool conforms = checkFile(checkedPath().c_str(), printingSink());
  readFault.armed = false;
  return {conforms, testing::internal::GetCapturedStderr()};
}

// What the image prints when checked held whole.
Outcome checkWhole(const Bytes& bytes) {
  testing::internal::CaptureStderr();
  const bool conforms =
      checkImage(bytes.data(), static_cast<std::uint32_t>(bytes.size()), printingSink());
  return {conforms, testing::internal::GetCapturedStderr()};
}

std::string readFailedLine() {
  const std::string format =
      std::string(texts().fileError.text) + texts().messages[Code::readFailed].text + "\n";
  char line[4096];
  std::snprintf(line, sizeof line, format.c_str(), checkedPath().c_str());
  return line;
}

TEST(CheckFile, ReadFailurePartWayLeavesOnlyItsOwnMessage) {
  const struct {
    const char* name;
    Bytes bytes;
  } files[] = {
      {"conforming", image({}, {})},
      {"an error in the first piece", image({}, {0x00, 0xF4})},
      {"a warning in the first piece", image({'X', 'T', 'r', 'a', 0, 0, 0, 1, 0x55}, {})},
      {"a track length error at the end",
       [] {
         Bytes bytes = image({}, {});
         bytes[21] += 1;
         return bytes;
       }()},
  };
  for (const auto& file : files) {
    const Outcome whole = checkWhole(file.bytes);
    // Without a fault: what the whole image prints, after every piece was read.
    const Outcome read = checkFileWithFault(file.bytes, 0, false);
    EXPECT_EQ(read.diagnostics, whole.diagnostics) << file.name;
    EXPECT_EQ(read.conforms, whole.conforms) << file.name;
    EXPECT_EQ(readFault.calls, static_cast<int>(kPieces)) << file.name;
    // A read that fails or finds the file shorter, at the first piece, in the
    // middle and at the last: every read up to it was made, and only its
    // message is printed.
    for (const int failAt : {1, 3, static_cast<int>(kPieces)}) {
      for (const bool endOfFile : {false, true}) {
        const Outcome failed = checkFileWithFault(file.bytes, failAt, endOfFile);
        EXPECT_EQ(failed.diagnostics, readFailedLine()) << file.name << ", read " << failAt;
        EXPECT_FALSE(failed.conforms) << file.name << ", read " << failAt;
        EXPECT_EQ(readFault.calls, failAt) << file.name << ", read " << failAt;
      }
    }
  }
  ::unlink(checkedPath().c_str());
}

}  // namespace
