// SPDX-License-Identifier: MIT
// Meta-event framing: type, length, fixed lengths, data that runs out,
// unrecognised types, End of Track and the end of running status.
//
// Unless a case says otherwise the file holds one track chunk right after
// the 14-byte header, so its first delta time stands at offset 22.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/quelder_runner.h"
#include "e2e/smf_builder.h"

namespace {

// One format 0 track whose length field covers the data exactly.
Bytes oneTrack(const Bytes& data) { return smf(0, {data}); }

// One track whose length field promises more than the file holds, so that
// the file itself ends where the data does.
Bytes fileEndingIn(const Bytes& data) {
  return concat({header(0, 1), chunkDeclaring("MTrk", 0x1000, data)});
}

TEST(MetaEventFraming, TypeAndLengthThatCannotBeRead) {
  expectCases({
      {"file ends after FF", fileEndingIn(hex("00 FF")), line(Code::metaTypeMissing, 23), false},
      {"file ends after FF of a later event", fileEndingIn(hex("00 FF 01 00 05 FF")),
       line(Code::metaTypeMissing, 27), false},
      {"file ends after the type", fileEndingIn(hex("00 FF 01")),
       line(Code::metaLengthUnreadable, 24), false},
      {"file ends after the End of Track type", fileEndingIn(hex("00 FF 2F")),
       line(Code::metaLengthUnreadable, 24), false},
      {"file ends inside the length", fileEndingIn(hex("00 FF 01 81")),
       line(Code::metaLengthUnreadable, 25), false},
      {"file ends after four continued length bytes", fileEndingIn(hex("00 FF 01 81 82 83 84")),
       line(Code::metaLengthUnreadable, 28), false},
      // A fifth byte is read, and its offset shown, before the quantity is refused.
      {"four continued length bytes", oneTrack(hex("00 FF 01 81 82 83 84 05 00 FF 2F 00")),
       line(Code::metaLengthUnreadable, 29), false},
      {"four continued length bytes of End of Track", oneTrack(hex("00 FF 2F 80 80 80 80 00")),
       line(Code::metaLengthUnreadable, 29), false},
      {"four continued length bytes of an unknown type", oneTrack(hex("00 FF 21 FF FF FF FF 7F")),
       line(Code::metaLengthUnreadable, 29), false},
  });
}

// The fixed length is judged before any data is read: neither the data nor
// the end of the file matters.
TEST(MetaEventFraming, FixedLengths) {
  expectCases({
      {"End of Track of length 1", oneTrack(hex("00 FF 2F 01 00")),
       line(texts().metaLengthMustBe[0], 25, texts().metaEvents.endOfTrack), false},
      {"End of Track of length 1 beyond the file", fileEndingIn(hex("00 FF 2F 01")),
       line(texts().metaLengthMustBe[0], 25, texts().metaEvents.endOfTrack), false},
      {"Channel Prefix of length 0", oneTrack(hex("00 FF 20 00 00 FF 2F 00")),
       line(texts().metaLengthMustBe[1], 25, texts().metaEvents.channelPrefix), false},
      {"Channel Prefix of length 2", oneTrack(hex("00 FF 20 02 00 00 00 FF 2F 00")),
       line(texts().metaLengthMustBe[1], 25, texts().metaEvents.channelPrefix), false},
      {"Sequence Number of length 0", oneTrack(hex("00 FF 00 00 00 FF 2F 00")),
       line(texts().metaLengthMustBe[2], 25, texts().metaEvents.sequenceNumber), false},
      {"Sequence Number of length 1", oneTrack(hex("00 FF 00 01 00 00 FF 2F 00")),
       line(texts().metaLengthMustBe[2], 25, texts().metaEvents.sequenceNumber), false},
      {"Key Signature of length 3", oneTrack(hex("00 FF 59 03 00 00 00 00 FF 2F 00")),
       line(texts().metaLengthMustBe[2], 25, texts().metaEvents.keySignature), false},
      // Bad values too: the length is tested before them.
      {"Key Signature of length 3 with bad values",
       oneTrack(hex("00 FF 59 03 08 05 00 00 FF 2F 00")),
       line(texts().metaLengthMustBe[2], 25, texts().metaEvents.keySignature), false},
      {"Tempo of length 2", oneTrack(hex("00 FF 51 02 07 A1 00 FF 2F 00")),
       line(texts().metaLengthMustBe[3], 25, texts().metaEvents.tempo), false},
      {"Tempo of length 4", oneTrack(hex("00 FF 51 04 07 A1 20 00 00 FF 2F 00")),
       line(texts().metaLengthMustBe[3], 25, texts().metaEvents.tempo), false},
      {"Time Signature of length 3", oneTrack(hex("00 FF 58 03 04 02 18 00 FF 2F 00")),
       line(texts().metaLengthMustBe[4], 25, texts().metaEvents.timeSignature), false},
      {"Time Signature of length 5", oneTrack(hex("00 FF 58 05 04 02 18 08 00 00 FF 2F 00")),
       line(texts().metaLengthMustBe[4], 25, texts().metaEvents.timeSignature), false},
      {"SMPTE Offset of length 4", oneTrack(hex("00 FF 54 04 00 00 00 00 00 FF 2F 00")),
       line(texts().metaLengthMustBe[5], 25, texts().metaEvents.smpteOffset), false},
      {"SMPTE Offset of length 6", oneTrack(hex("00 FF 54 06 00 00 00 00 00 00 00 FF 2F 00")),
       line(texts().metaLengthMustBe[5], 25, texts().metaEvents.smpteOffset), false},
      // Data that would run past the end of the file is never looked for.
      {"Tempo of length 127, file ends after the length", fileEndingIn(hex("00 FF 51 7F")),
       line(texts().metaLengthMustBe[3], 25, texts().metaEvents.tempo), false},
      {"Time Signature of the largest length", fileEndingIn(hex("00 FF 58 FF FF FF 7F 04")),
       line(texts().metaLengthMustBe[4], 28, texts().metaEvents.timeSignature), false},
      {"SMPTE Offset of a two-byte length 4", fileEndingIn(hex("00 FF 54 80 04")),
       line(texts().metaLengthMustBe[5], 26, texts().metaEvents.smpteOffset), false},
      // The shortest form is not required: 0x80 0x03 is a length of 3.
      {"Tempo of a redundant two-byte length 3",
       oneTrack(hex("00 FF 51 80 03 07 A1 20 00 FF 2F 00")), "", true},
  });
}

TEST(MetaEventFraming, RecognisedDataRunningPastTheEndOfTheFile) {
  expectCases({
      {"Text short by three bytes", fileEndingIn(hex("00 FF 01 05 41 42")),
       line(Code::metaDataLengthWrong, 26, 5), false},
      {"Text, file ends after the length", fileEndingIn(hex("00 FF 01 05")),
       line(Code::metaDataLengthWrong, 25, 5), false},
      {"Sequencer-Specific with a two-byte length", fileEndingIn(hex("00 FF 7F 81 00 41")),
       line(Code::metaDataLengthWrong, 27, 128), false},
      {"Sequence Number short by one byte", fileEndingIn(hex("00 FF 00 02 00")),
       line(Code::metaDataLengthWrong, 26, 2), false},
      {"Tempo, file ends after the length", fileEndingIn(hex("00 FF 51 03")),
       line(Code::metaDataLengthWrong, 25, 3), false},
      {"SMPTE Offset short by one byte", fileEndingIn(hex("00 FF 54 05 60 00 00 00")),
       line(Code::metaDataLengthWrong, 26, 5), false},
      // A short read comes before any content rule.
      {"short Key Signature whose first byte is out of range", fileEndingIn(hex("00 FF 59 02 08")),
       line(Code::metaDataLengthWrong, 26, 2), false},
      {"short Copyright without (C)", fileEndingIn(hex("00 FF 02 05 41")),
       line(Code::metaDataLengthWrong, 26, 5), false},
      {"largest length in a small file", fileEndingIn(hex("00 FF 01 FF FF FF 7F 41 42")),
       line(Code::metaDataLengthWrong, 29, 268435455), false},
      {"largest length, file ends after it", fileEndingIn(hex("00 FF 03 FF FF FF 7F")),
       line(Code::metaDataLengthWrong, 28, 268435455), false},
      // The file's end decides, not the track's: the data is read beyond the
      // track, and the overrun shows when the next event is due.
      {"Text beyond the track's end",
       concat({header(0, 1),
               chunkDeclaring("MTrk", 6, hex("00 FF 01 05 41 42 43 44 45 00 FF 2F 00"))}),
       line(Code::endOfTrackMissing, 26, texts().metaEvents.endOfTrack), false},
  });
}

TEST(MetaEventFraming, ZeroLengthEventsReadNothing) {
  std::vector<CheckCase> cases;
  for (const char* type : {"01", "03", "04", "05", "06", "07", "7F"}) {
    cases.push_back({std::string("type ") + type,
                     oneTrack(hex(std::string("00 FF ") + type + " 00 00 FF 2F 00")), "", true});
  }
  // A length of 0 written in two bytes is still 0.
  cases.push_back({"Text of length 0 with a two-byte length",
                   oneTrack(hex("00 FF 01 80 00 00 FF 2F 00")), "", true});
  expectCases(cases);
}

TEST(MetaEventFraming, UnrecognisedTypesWarnAndAreSkipped) {
  std::vector<CheckCase> cases;
  for (const char* type : {"08", "09", "0A", "1F", "21", "2E", "30", "50", "52", "53",
                           "55", "57", "5A", "7E", "80", "A0", "F0", "F7", "FE", "FF"}) {
    cases.push_back({std::string("type ") + type,
                     oneTrack(hex(std::string("00 FF ") + type + " 01 00 00 FF 2F 00")),
                     line(Code::unknownMetaType, 25), true});
  }
  expectCases(cases);
  expectCases({
      {"length 0", oneTrack(hex("00 FF 21 00 00 FF 2F 00")), line(Code::unknownMetaType, 25),
       true},
      // The skipped data holds an End of Track and a status byte: neither is seen.
      {"data that looks like events", oneTrack(hex("00 FF 60 06 00 FF 2F 00 F8 FF 00 FF 2F 00")),
       line(Code::unknownMetaType, 25), true},
      {"two-byte length: the last length byte",
       oneTrack(concat({hex("00 FF 21 81 00"), Bytes(128, 0x55), endOfTrack()})),
       line(Code::unknownMetaType, 26), true},
      {"several, each warned about",
       oneTrack(hex("00 FF 08 02 41 42 10 FF 09 01 43 00 FF 80 00 00 FF 2F 00")),
       line(Code::unknownMetaType, 25) + line(Code::unknownMetaType, 31) +
           line(Code::unknownMetaType, 36),
       true},
      // Warnings end nothing: an error later still counts.
      {"warning then an error", oneTrack(hex("00 FF 21 00 00 FF 51 02 00 00 00 FF 2F 00")),
       line(Code::unknownMetaType, 25) +
           line(texts().metaLengthMustBe[3], 29, texts().metaEvents.tempo),
       false},
      // From the header's declared length: 00 FF 21 01 00 00 FF 2F 00.
      {"header example", oneTrack(hex("00 FF 21 01 00 00 FF 2F 00")),
       line(Code::unknownMetaType, 25), true},
  });
}

TEST(MetaEventFraming, UnrecognisedDataRunningPastTheEndOfTheFile) {
  expectCases({
      {"short by three bytes", fileEndingIn(hex("00 FF 21 05 41 42")),
       line(Code::unknownMetaType, 25) + line(Code::metaDataLengthWrong, 26, 5), false},
      {"file ends after the length", fileEndingIn(hex("00 FF 21 05")),
       line(Code::unknownMetaType, 25) + line(Code::metaDataLengthWrong, 25, 5), false},
      {"type 0x09", fileEndingIn(hex("00 FF 09 02 41")),
       line(Code::unknownMetaType, 25) + line(Code::metaDataLengthWrong, 26, 2), false},
      {"type 0xFF", fileEndingIn(hex("00 FF FF 03")),
       line(Code::unknownMetaType, 25) + line(Code::metaDataLengthWrong, 25, 3), false},
      {"largest length in a small file", fileEndingIn(hex("00 FF 21 FF FF FF 7F 41 42")),
       line(Code::unknownMetaType, 28) + line(Code::metaDataLengthWrong, 29, 268435455), false},
      {"largest length, file ends after it", fileEndingIn(hex("00 FF 80 FF FF FF 7F")),
       line(Code::unknownMetaType, 28) + line(Code::metaDataLengthWrong, 28, 268435455), false},
      {"skipped beyond the track's end",
       concat({header(0, 1),
               chunkDeclaring("MTrk", 6, hex("00 FF 21 05 41 42 43 44 45 00 FF 2F 00"))}),
       line(Code::unknownMetaType, 25) +
           line(Code::endOfTrackMissing, 26, texts().metaEvents.endOfTrack),
       false},
  });
}

// The track close prints where the End of Track's zero-byte read began: the
// byte after the event, or its length byte when the event ends the file.
TEST(MetaEventFraming, EndOfTrackOffsetInTheTrackLengthError) {
  const Bytes eot = endOfTrack();
  expectCases({
      {"exact length", oneTrack(eot), "", true},
      {"one byte left after it",
       concat({header(0, 1), chunkDeclaring("MTrk", 5, concat({eot, hex("00")}))}),
       line(Code::trackLengthWrong, 26, 5), false},
      {"declared longer than the file", concat({header(0, 1), chunkDeclaring("MTrk", 6, eot)}),
       line(Code::trackLengthWrong, 25, 6), false},
      {"declared one byte short, event ends the file",
       concat({header(0, 1), chunkDeclaring("MTrk", 3, eot)}),
       line(Code::trackLengthWrong, 25, 3), false},
      {"declared one byte short, another track follows",
       concat({header(1, 2), chunkDeclaring("MTrk", 3, eot), track(eot)}),
       line(Code::trackLengthWrong, 26, 3), false},
      {"after a Text, declared long, event ends the file",
       concat({header(0, 1), chunkDeclaring("MTrk", 11, hex("00 FF 01 01 41 00 FF 2F 00"))}),
       line(Code::trackLengthWrong, 30, 11), false},
      {"after a Text, declared short, another chunk follows",
       concat({header(0, 1), chunkDeclaring("MTrk", 8, hex("00 FF 01 01 41 00 FF 2F 00")),
               chunk("XYZW", {})}),
       line(Code::trackLengthWrong, 31, 8), false},
      {"largest declared length prints negative",
       concat({header(0, 1), chunkDeclaring("MTrk", 0xFFFFFFF0u, eot)}),
       line(Code::trackLengthWrong, 25, -16), false},
  });
}

// Every meta event ends running status, recognised or not; the data byte
// after it is then a status byte left out.
TEST(MetaEventFraming, EveryMetaEventCancelsRunningStatus) {
  struct Meta {
    const char* bytes;  // type, length and data
    bool recognised;
  };
  const std::vector<Meta> metas = {
      {"01 00", true},          {"01 02 41 42", true},
      {"03 01 41", true},       {"04 00", true},
      {"05 01 41", true},       {"06 00", true},
      {"07 00", true},          {"20 01 00", true},
      {"51 03 07 A1 20", true}, {"58 04 04 02 18 08", true},
      {"59 02 00 00", true},    {"7F 03 00 00 41", true},
      {"08 01 41", false},      {"09 00", false},
      {"21 01 00", false},      {"80 02 00 00", false},
      {"FF 00", false},
  };
  std::vector<CheckCase> cases;
  // Control: the same layout without the meta event keeps running status.
  cases.push_back({"no meta event", oneTrack(hex("00 90 3C 40 00 3C 00 00 FF 2F 00")), "", true});
  for (const Meta& meta : metas) {
    const Bytes body = hex(meta.bytes);
    const Bytes data = concat({hex("00 90 3C 40 00 FF"), body, hex("00 3C 00 00 FF 2F 00")});
    const long lengthByte = 28 + 1;  // single-byte lengths in this table
    const long deltaAfter = 28 + static_cast<long>(body.size());
    cases.push_back({std::string("meta ") + meta.bytes, oneTrack(data),
                     (meta.recognised ? std::string() : line(Code::unknownMetaType, lengthByte)) +
                         line(Code::statusOmitted, deltaAfter),
                     false});
  }
  // The last meta event before the data byte is the one that counts.
  cases.push_back({"two meta events",
                   oneTrack(hex("00 90 3C 40 00 FF 01 00 00 FF 21 00 00 3C 00 00 FF 2F 00")),
                   line(Code::unknownMetaType, 33) + line(Code::statusOmitted, 34), false});
  // A fresh status byte after the meta event is fine.
  cases.push_back({"status byte given again",
                   oneTrack(hex("00 90 3C 40 00 FF 01 00 00 90 3C 00 00 FF 2F 00")), "", true});
  expectCases(cases);
}

TEST(MetaEventFraming, EndOfTrackClosesEachTrack) {
  expectCases({
      {"two tracks of format 1", smf(1, {hex("00 FF 03 01 41 00 FF 2F 00"), endOfTrack()}), "",
       true},
      {"End of Track after a long delta time", oneTrack(hex("00 90 3C 40 FF FF FF 7F FF 2F 00")),
       "", true},
  });
}

}  // namespace
