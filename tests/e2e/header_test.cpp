// SPDX-License-Identifier: MIT
// The header chunk: its type, length, format, track count and division, each
// checked as soon as it is read, and the offset each error points at when the
// file ends inside or right before a field.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/quelder_runner.h"
#include "e2e/smf_builder.h"

namespace {

// The first bytes of a valid header chunk, cut after count bytes.
Bytes headerPrefix(std::size_t count) {
  const Bytes whole = header(1, 0, 480);
  return Bytes(whole.begin(), whole.begin() + static_cast<long>(count));
}

// A header chunk laid out field by field, whatever the values.
Bytes rawHeader(std::uint32_t length, std::uint16_t format, std::uint16_t tracks,
                std::uint16_t division) {
  return concat({text("MThd"), be32(length), be16(format), be16(tracks), be16(division)});
}

TEST(HeaderCheck, ChunkType) {
  expectCases({
      {"empty file", {}, line(Code::headerMalformed, 0), false},
      {"one byte", text("M"), line(Code::headerMalformed, 0), false},
      {"two bytes", text("MT"), line(Code::headerMalformed, 0), false},
      {"three bytes", text("MTh"), line(Code::headerMalformed, 0), false},
      {"lower-case type", concat({text("mthd"), be32(6), be16(0), be16(0), be16(96)}),
       line(Code::headerMalformed, 0), false},
      {"one letter in the wrong case", concat({text("MTHd"), be32(6), be16(0), be16(0), be16(96)}),
       line(Code::headerMalformed, 0), false},
      {"track chunk first", concat({track(endOfTrack())}), line(Code::headerMalformed, 0), false},
      {"type bytes shifted by one", concat({hex("00"), header(0, 0)}),
       line(Code::headerMalformed, 0), false},
  });
}

// When a field is cut, the error shows the field's own offset; when the file
// ends exactly where the field begins, nothing is read and the offset is that
// of the field before it.
TEST(HeaderCheck, FileEndsInsideOrBeforeAField) {
  expectCases({
      {"ends after the type", headerPrefix(4), line(Code::headerLengthUnreadable, 0), false},
      {"length: 1 of 4 bytes", headerPrefix(5), line(Code::headerLengthUnreadable, 4), false},
      {"length: 2 of 4 bytes", headerPrefix(6), line(Code::headerLengthUnreadable, 4), false},
      {"length: 3 of 4 bytes", headerPrefix(7), line(Code::headerLengthUnreadable, 4), false},
      {"ends after the length", headerPrefix(8), line(Code::formatUnreadable, 4), false},
      {"format: 1 of 2 bytes", headerPrefix(9), line(Code::formatUnreadable, 8), false},
      {"ends after the format", headerPrefix(10), line(Code::tracksUnreadable, 8), false},
      {"track count: 1 of 2 bytes", headerPrefix(11), line(Code::tracksUnreadable, 10), false},
      {"ends after the track count", headerPrefix(12), line(Code::divisionUnreadable, 10), false},
      {"division: 1 of 2 bytes", headerPrefix(13), line(Code::divisionUnreadable, 12), false},
  });
}

TEST(HeaderCheck, Length) {
  expectCases({
      {"length 0", rawHeader(0, 0, 0, 96), line(Code::headerLengthUnreadable, 4), false},
      {"length 1", rawHeader(1, 0, 0, 96), line(Code::headerLengthUnreadable, 4), false},
      {"length 5", rawHeader(5, 0, 0, 96), line(Code::headerLengthUnreadable, 4), false},
      {"length 5 and the file ends after it", concat({text("MThd"), be32(5)}),
       line(Code::headerLengthUnreadable, 4), false},
      {"length 7", concat({rawHeader(7, 0, 0, 96), hex("00")}),
       line(Code::headerLengthNotSix, 4, 7), false},
      {"length 7 and the file ends after it", concat({text("MThd"), be32(7)}),
       line(Code::headerLengthNotSix, 4, 7), false},
      {"length 256", rawHeader(256, 0, 0, 96), line(Code::headerLengthNotSix, 4, 256), false},
      {"length 0x7FFFFFFF", rawHeader(0x7FFFFFFF, 0, 0, 96),
       line(Code::headerLengthNotSix, 4, 2147483647), false},
      {"length 0x80000000", rawHeader(0x80000000, 0, 0, 96),
       line(Code::headerLengthNotSix, 4, -2147483648L), false},
      {"length 0xFFFFFFFF", rawHeader(0xFFFFFFFF, 0, 0, 96),
       line(Code::headerLengthNotSix, 4, -1), false},
  });
}

TEST(HeaderCheck, Format) {
  expectCases({
      {"format 0", header(0, 0), "", true},
      {"format 1", header(1, 0), "", true},
      {"format 2", header(2, 0), "", true},
      {"format 2 with tracks", concat({header(2, 2), track(endOfTrack()), track(endOfTrack())}), "",
       true},
      {"format 3", header(3, 0), line(Code::formatInvalid, 8, 3), false},
      {"format 0x0100", header(0x0100, 0), line(Code::formatInvalid, 8, 256), false},
      {"format 0x8000", header(0x8000, 0), line(Code::formatInvalid, 8, 32768), false},
      {"format 0xFFFF", header(0xFFFF, 0), line(Code::formatInvalid, 8, 65535), false},
      // The format is judged before the track count is read.
      {"format 3 and the file ends after it", concat({text("MThd"), be32(6), be16(3)}),
       line(Code::formatInvalid, 8, 3), false},
      {"format 3 and a bad division", header(3, 0, 0xE400), line(Code::formatInvalid, 8, 3),
       false},
  });
}

// Format 0 with a track count other than 1 is not the header's business.
TEST(HeaderCheck, TrackCountIsNotJudgedAgainstTheFormat) {
  expectCases({
      {"format 0, 2 tracks", concat({header(0, 2), track(endOfTrack()), track(endOfTrack())}), "",
       true},
      {"header only, 65535 tracks declared", header(1, 0xFFFF),
       line(Code::trackCountWrong, 10, 65535, 0), false},
  });
}

TEST(HeaderCheck, Division) {
  std::vector<CheckCase> cases = {
      {"ticks 0", header(0, 0, 0x0000), "", true},
      {"ticks 1", header(0, 0, 0x0001), "", true},
      {"ticks 0x7FFF", header(0, 0, 0x7FFF), "", true},
      {"0xE400 (28)", header(0, 0, 0xE400), line(Code::smpteInvalid, 12, 28), false},
      {"0xFF01 (1)", header(0, 0, 0xFF01), line(Code::smpteInvalid, 12, 1), false},
      {"0x8000 (128)", header(0, 0, 0x8000), line(Code::smpteInvalid, 12, 128), false},
      {"0x80FF (128)", header(0, 0, 0x80FF), line(Code::smpteInvalid, 12, 128), false},
      {"0xE100 (31)", header(0, 0, 0xE100), line(Code::smpteInvalid, 12, 31), false},
      {"0xE500 (27)", header(0, 0, 0xE500), line(Code::smpteInvalid, 12, 27), false},
      {"0xE600 (26)", header(0, 0, 0xE600), line(Code::smpteInvalid, 12, 26), false},
      {"0xE900 (23)", header(0, 0, 0xE900), line(Code::smpteInvalid, 12, 23), false},
      {"0x9800 (104)", header(0, 0, 0x9800), line(Code::smpteInvalid, 12, 104), false},
      {"0xE928 (23)", header(0, 0, 0xE928), line(Code::smpteInvalid, 12, 23), false},
      {"0xFFFF (1)", header(0, 0, 0xFFFF), line(Code::smpteInvalid, 12, 1), false},
      // The division is checked before the file's chunks are walked.
      {"invalid SMPTE then a track", concat({header(0, 1, 0xE400), track(endOfTrack())}),
       line(Code::smpteInvalid, 12, 28), false},
  };
  // 30, 29, 25 and 24 frames pass whatever the ticks per frame.
  for (const std::uint16_t rate : {0xE200, 0xE300, 0xE700, 0xE800}) {
    for (const std::uint16_t ticks : {0x00, 0x01, 0x28, 0x50, 0x7F, 0x80, 0xFF}) {
      const auto division = static_cast<std::uint16_t>(rate | ticks);
      cases.push_back({"SMPTE " + std::to_string(division),
                       concat({header(0, 1, division), track(endOfTrack())}), "", true});
    }
  }
  expectCases(cases);
}

TEST(HeaderCheck, HeaderAloneIsAWholeFile) {
  expectCases({
      {"14 bytes, 1 track", header(0, 1), line(Code::trackCountWrong, 10, 1, 0), false},
      {"14 bytes, 2 tracks", header(1, 2), line(Code::trackCountWrong, 10, 2, 0), false},
  });
}

}  // namespace
