// SPDX-License-Identifier: MIT
// Hostile images: declared lengths far beyond the data, variable-length
// quantities that never end, and sheer volume. Each is answered with its exact
// diagnostics, at once and without reserving memory for bytes that are not
// in the file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/quelder_runner.h"
#include "e2e/smf_builder.h"

namespace {

// The track data of the first track chunk starts at offset 22: a 14-byte
// header, "MTrk" at 14 and its length field at 18.

struct HostileCase {
  const char* name;
  Bytes image;
  std::string diagnostics;
  bool conforms;
};

void expectAll(const std::vector<HostileCase>& cases) {
  for (const HostileCase& c : cases) {
    SCOPED_TRACE(c.name);
    expectCheck(c.image, c.diagnostics, c.conforms);
  }
}

// One track chunk whose length field covers exactly the data given.
Bytes oneTrack(const Bytes& data) { return concat({header(0, 1), track(data)}); }

constexpr long kMaxVarLen = 0x0FFFFFFF;  // 268435455, FF FF FF 7F

TEST(Hostile, HugeDeclaredLengthsWithFewBytesPresent) {
  expectAll({
      {"SysEx 0x0FFFFFFF, two bytes present", oneTrack(hex("00 F0 FF FF FF 7F 01 02")),
       line(Code::sysExLengthWrong, 28, kMaxVarLen), false},
      {"SysEx 0x0FFFFFFF, nothing after the length", oneTrack(hex("00 F0 FF FF FF 7F")),
       line(Code::sysExLengthWrong, 27, kMaxVarLen), false},
      {"F7 SysEx 0x0FFFFFFF", oneTrack(hex("00 F7 FF FF FF 7F 00 FF 2F 00")),
       line(Code::sysExLengthWrong, 28, kMaxVarLen), false},
      {"Text 0x0FFFFFFF", oneTrack(hex("00 FF 01 FF FF FF 7F 61 62")),
       line(Code::metaDataLengthWrong, 29, kMaxVarLen), false},
      {"Sequencer-Specific 0x0FFFFFFF, nothing after the length",
       oneTrack(hex("00 FF 7F FF FF FF 7F")), line(Code::metaDataLengthWrong, 28, kMaxVarLen),
       false},
      // Unrecognised data is only stepped over: the warning, then the shortfall.
      {"unknown meta 0x0FFFFFFF", oneTrack(hex("00 FF 21 FF FF FF 7F 61 62")),
       line(Code::unknownMetaType, 28) + line(Code::metaDataLengthWrong, 29, kMaxVarLen),
       false},
      // A fixed length is judged before any data is read.
      {"End of Track 0x0FFFFFFF", oneTrack(hex("00 FF 2F FF FF FF 7F")),
       line(texts().metaLengthMustBe[0], 28, texts().metaEvents.endOfTrack), false},
      {"header length 0x0FFFFFFF", chunkDeclaring("MThd", 0x0FFFFFFF, hex("00 00 00 01 00 60")),
       line(Code::headerLengthNotSix, 4, 268435455), false},
      {"header length 0xFFFFFFFF", chunkDeclaring("MThd", 0xFFFFFFFF, hex("00 00 00 01 00 60")),
       line(Code::headerLengthNotSix, 4, -1), false},
      {"unknown chunk 0x0FFFFFFF",
       concat({header(0, 0), chunkDeclaring("XVnd", 0x0FFFFFFF, hex("01 02 03"))}),
       line(Code::unknownChunk, 18) + line(Code::blockLengthWrong, 22, kMaxVarLen), false},
      {"unknown chunk 0xFFFFFFFF",
       concat({header(0, 0), chunkDeclaring("XVnd", 0xFFFFFFFF, hex("01 02 03"))}),
       line(Code::unknownChunk, 18) + line(Code::blockLengthWrong, 22, -1), false},
      {"unknown chunk 0xFFFFFFFF, no data",
       concat({header(0, 0), chunkDeclaring("XVnd", 0xFFFFFFFF, {})}),
       line(Code::unknownChunk, 18) + line(Code::blockLengthWrong, 18, -1), false},
      // The End of Track is the last byte of the file: its length byte is the offset.
      {"track 0xFFFFFFFF closed by End of Track",
       concat({header(0, 1), chunkDeclaring("MTrk", 0xFFFFFFFF, endOfTrack())}),
       line(Code::trackLengthWrong, 25, -1), false},
      {"track 0x0FFFFFFF closed by End of Track",
       concat({header(0, 1), chunkDeclaring("MTrk", 0x0FFFFFFF, endOfTrack())}),
       line(Code::trackLengthWrong, 25, kMaxVarLen), false},
      {"track 0xFFFFFFFF whose data runs out",
       concat({header(0, 1), chunkDeclaring("MTrk", 0xFFFFFFFF, hex("00 90 3C 40"))}),
       line(Code::deltaTimeInvalid, 24), false},
  });
}

// Four bytes with the top bit set: the fifth is read and the quantity refused.
TEST(Hostile, FiveByteQuantitiesAreRefused) {
  expectAll({
      {"delta time", oneTrack(hex("FF FF FF FF 7F FF 2F 00")), line(Code::deltaTimeInvalid, 26),
       false},
      {"delta time after an event", oneTrack(hex("00 C0 01 81 82 83 84 05 FF 2F 00")),
       line(Code::deltaTimeInvalid, 29), false},
      {"SysEx length", oneTrack(hex("00 F0 FF FF FF FF 7F F7")),
       line(Code::sysExLengthUnreadable, 28), false},
      {"F7 SysEx length", oneTrack(hex("00 F7 80 80 80 80 00 00 FF 2F 00")),
       line(Code::sysExLengthUnreadable, 28), false},
      {"meta length", oneTrack(hex("00 FF 01 FF FF FF FF 7F 61")),
       line(Code::metaLengthUnreadable, 29), false},
      {"unknown meta length", oneTrack(hex("00 FF 21 FF FF FF FF 7F 61")),
       line(Code::metaLengthUnreadable, 29), false},
      {"End of Track length", oneTrack(hex("00 FF 2F 80 80 80 80 00")),
       line(Code::metaLengthUnreadable, 29), false},
      // The file ends where the fifth byte would be: the fourth is the last read.
      {"SysEx length cut after four bytes", oneTrack(hex("00 F0 FF FF FF FF")),
       line(Code::sysExLengthUnreadable, 27), false},
      {"delta time cut after four bytes", oneTrack(hex("FF FF FF FF")),
       line(Code::deltaTimeInvalid, 25), false},
  });
}

TEST(Hostile, TrackDeclaredZeroBytesLong) {
  expectAll({
      {"no data", concat({header(0, 1), chunkDeclaring("MTrk", 0, {})}),
       line(Code::endOfTrackMissing, 18, texts().metaEvents.endOfTrack), false},
      {"End of Track beyond the declared length",
       concat({header(0, 1), chunkDeclaring("MTrk", 0, endOfTrack())}),
       line(Code::endOfTrackMissing, 18, texts().metaEvents.endOfTrack), false},
  });
}

std::size_t countLines(const std::string& text) {
  std::size_t lines = 0;
  for (char c : text) lines += c == '\n' ? 1 : 0;
  return lines;
}

// Warnings only: the file conforms, and every one of them is printed.
TEST(Hostile, MillionUnknownMetaEvents) {
  constexpr std::size_t kEvents = 1000000;
  const Bytes image = oneTrack(concat({repeat(hex("00 FF 21 00"), kEvents), endOfTrack()}));
  std::string expected;
  for (std::size_t i = 0; i < kEvents; ++i) {
    expected += line(Code::unknownMetaType, static_cast<long>(25 + 4 * i));
  }
  TempDir dir;
  const std::string path = dir.write("million.mid", image);
  const RunResult run = runQuelder({path});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out, progressLine(path) + verdictLine(path, true));
  EXPECT_EQ(countLines(run.err), kEvents);
  // Not EXPECT_EQ: a mismatch would print 50 MB twice.
  EXPECT_TRUE(run.err == expected) << "the warnings differ from the expected lines";
}

Bytes manyTracks(std::uint16_t format, std::uint16_t declared, std::size_t count) {
  return concat({header(format, declared), repeat(track(endOfTrack()), count)});
}

// Every one of 100,000 track chunks is checked, and the count that the
// header's 16 bits cannot hold is reported as it is, not modulo 65,536.
TEST(Hostile, HundredThousandTracks) {
  constexpr std::size_t kTracks = 100000;
  constexpr std::uint16_t kWrapped = kTracks % 65536;  // 34464
  expectAll({
      {"count modulo 65536", manyTracks(1, kWrapped, kTracks),
       line(Code::trackCountWrong, 10, kWrapped, kTracks), false},
      {"count 65535", manyTracks(2, 65535, kTracks),
       line(Code::trackCountWrong, 10, 65535, kTracks), false},
      {"65535 tracks, the most a header can declare", manyTracks(1, 65535, 65535), "", true},
  });
}

bool underRunnerOrSanitizer() {
  for (const char* name : {"QUELDER_RUNNER", "QUELDER_SANITIZED"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

// Runs the binary on one file with its output discarded and returns its peak
// resident set in bytes, or -1 when it did not exit with status 0.
//
// A child's peak starts from the resident pages of the process it came from:
// posix_spawn's child shares the parent's memory and would report the tests'
// own peak. A forked child starts from the parent's present anonymous pages
// only, so the free heap is handed back first.
long peakResidentBytes(const std::string& path) {
  const char* binary = std::getenv("QUELDER_BINARY");
  const std::string program = binary != nullptr && *binary != '\0' ? binary : builtBinary();
  malloc_trim(0);
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_RDWR);
    if (null < 0 || dup2(null, 0) < 0 || dup2(null, 1) < 0 || dup2(null, 2) < 0) _exit(127);
    execl(program.c_str(), program.c_str(), path.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    return -1;
  }
  return usage.ru_maxrss * 1024L;  // Linux counts kilobytes
}

// Extends a file with zero bytes, so that a large image needs no memory here.
void appendZeros(const std::string& path, long count) {
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  ASSERT_EQ(truncate(path.c_str(), info.st_size + count), 0);
}

// A declared length reserves nothing for bytes that are not in the file: the
// peak stays within 4 MiB of the image itself.
TEST(Hostile, HugeDeclaredLengthsReserveNoMemory) {
  if (underRunnerOrSanitizer()) GTEST_SKIP() << "Wine, valgrind and ASan change the resident set";
  constexpr long kTwoMiB = 2L << 20;
  constexpr long kSlack = 4L << 20;
  struct Image {
    const char* name;
    Bytes start;
    long zerosAfter;  // bytes of data present after start
  };
  const std::vector<Image> images = {
      {"SysEx", oneTrack(hex("00 F0 FF FF FF 7F 01 02")), 0},
      {"F7 SysEx", oneTrack(hex("00 F7 FF FF FF 7F 01 02")), 0},
      {"Text", oneTrack(hex("00 FF 01 FF FF FF 7F 61 62")), 0},
      {"unknown meta, 2 MiB present",
       concat({header(0, 1), chunkDeclaring("MTrk", 7 + kTwoMiB, hex("00 FF 21 FF FF FF 7F"))}),
       kTwoMiB},
      {"unknown chunk, 2 MiB present",
       concat({header(0, 0), chunkDeclaring("XVnd", 0xFFFFFFFF, {})}), kTwoMiB},
      {"track", concat({header(0, 1), chunkDeclaring("MTrk", 0xFFFFFFFF, hex("00 90 3C 40"))}), 0},
  };
  TempDir dir;
  for (const Image& image : images) {
    SCOPED_TRACE(image.name);
    const std::string path = dir.write("huge.mid", image.start);
    appendZeros(path, image.zerosAfter);
    const long peak = peakResidentBytes(path);
    ASSERT_GT(peak, 0) << "the checker did not exit normally";
    EXPECT_LE(peak, static_cast<long>(image.start.size()) + image.zerosAfter + kSlack);
  }
}

}  // namespace
