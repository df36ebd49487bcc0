// SPDX-License-Identifier: MIT
// The events of a track chunk: the track bound, delta times, running status,
// channel messages, SysEx messages and the status bytes a track may not hold.
//
// Unless a case says otherwise the file holds one track chunk right after the
// 14-byte header: "MTrk" at 14, its length field at 18 and the first delta
// time at 22.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e/quelder_runner.h"
#include "e2e/smf_builder.h"

namespace {

// One format 0 track whose length field covers the data exactly.
Bytes oneTrack(const Bytes& data) { return smf(0, {data}); }

// One track whose length field says declaredLength, whatever data holds.
Bytes trackDeclaring(std::uint32_t declaredLength, const Bytes& data) {
  return concat({header(0, 1), chunkDeclaring("MTrk", declaredLength, data)});
}

// One track whose length field promises more than the file holds, so that
// the file itself ends where the data does.
Bytes fileEndingIn(const Bytes& data) { return trackDeclaring(0x1000, data); }

std::string twoDigitHex(unsigned value) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%2X", value);
  return digits;
}

// The bound is tested before each event, against the offset the latest read
// or skip began at.
TEST(TrackEvents, EndOfTrackMissing) {
  expectCases({
      {"length 0", trackDeclaring(0, {}),
       line(Code::endOfTrackMissing, 18, texts().metaEvents.endOfTrack), false},
      {"length 4, only a Note On", trackDeclaring(4, hex("00 90 3C 40")),
       line(Code::endOfTrackMissing, 24, texts().metaEvents.endOfTrack), false},
      {"Note On overruns the track by one byte", trackDeclaring(3, hex("00 90 3C 40 00 FF 2F 00")),
       line(Code::endOfTrackMissing, 24, texts().metaEvents.endOfTrack), false},
      {"after a Program Change", trackDeclaring(3, hex("00 C0 05")),
       line(Code::endOfTrackMissing, 24, texts().metaEvents.endOfTrack), false},
      {"after a message under running status", trackDeclaring(7, hex("00 90 3C 40 00 3C 00")),
       line(Code::endOfTrackMissing, 27, texts().metaEvents.endOfTrack), false},
      {"after a SysEx", trackDeclaring(4, hex("00 F0 01 F7")),
       line(Code::endOfTrackMissing, 25, texts().metaEvents.endOfTrack), false},
      {"SysEx overruns the track", trackDeclaring(4, hex("00 F0 03 01 02 F7 00 FF 2F 00")),
       line(Code::endOfTrackMissing, 25, texts().metaEvents.endOfTrack), false},
      // The empty read of the data finds nothing left, so the length byte stays.
      {"after an empty F7 SysEx that ends the file", trackDeclaring(3, hex("00 F7 00")),
       line(Code::endOfTrackMissing, 24, texts().metaEvents.endOfTrack), false},
      {"after an empty F7 SysEx with more after it", trackDeclaring(3, hex("00 F7 00 00 FF 2F 00")),
       line(Code::endOfTrackMissing, 25, texts().metaEvents.endOfTrack), false},
      {"after a meta event", trackDeclaring(5, hex("00 FF 01 01 41")),
       line(Code::endOfTrackMissing, 26, texts().metaEvents.endOfTrack), false},
      {"second track empty",
       concat({header(1, 2), track(endOfTrack()), chunkDeclaring("MTrk", 0, {})}),
       line(Code::endOfTrackMissing, 30, texts().metaEvents.endOfTrack), false},
  });
}

TEST(TrackEvents, DeltaTime) {
  expectCases({
      {"four-byte delta time", oneTrack(hex("FF FF FF 7F FF 2F 00")), "", true},
      {"redundant leading 80", oneTrack(hex("80 00 FF 2F 00")), "", true},
      {"two-byte delta before a channel message", oneTrack(hex("81 00 C0 05 00 FF 2F 00")), "",
       true},
      {"five bytes 81 82 83 84 05", oneTrack(hex("81 82 83 84 05 00 FF 2F 00")),
       line(Code::deltaTimeInvalid, 26), false},
      {"five bytes FF FF FF FF 7F", oneTrack(hex("FF FF FF FF 7F FF 2F 00")),
       line(Code::deltaTimeInvalid, 26), false},
      {"five bytes in the second event", oneTrack(hex("00 90 3C 40 80 80 80 80 00 FF 2F 00")),
       line(Code::deltaTimeInvalid, 30), false},
      // The data ends inside the quantity: its last byte in the file.
      {"file ends after 81", fileEndingIn(hex("81")), line(Code::deltaTimeInvalid, 22), false},
      {"file ends after 81 82 83", fileEndingIn(hex("81 82 83")),
       line(Code::deltaTimeInvalid, 24), false},
      {"file ends after 81 82 83 84", fileEndingIn(hex("81 82 83 84")),
       line(Code::deltaTimeInvalid, 25), false},
      {"file ends inside the second delta time", fileEndingIn(hex("00 90 3C 40 81 82")),
       line(Code::deltaTimeInvalid, 27), false},
      // Not one byte of it: the latest read or skip before it.
      {"file ends where the first delta time should be", fileEndingIn({}),
       line(Code::deltaTimeInvalid, 18), false},
      {"file ends after a Note On", fileEndingIn(hex("00 90 3C 40")),
       line(Code::deltaTimeInvalid, 24), false},
      {"file ends after a Program Change", fileEndingIn(hex("00 C0 05")),
       line(Code::deltaTimeInvalid, 24), false},
      {"file ends after a SysEx", fileEndingIn(hex("00 F0 01 F7")),
       line(Code::deltaTimeInvalid, 25), false},
      {"file ends after a meta event", fileEndingIn(hex("00 FF 01 01 41")),
       line(Code::deltaTimeInvalid, 26), false},
  });
}

TEST(TrackEvents, DeltaTimeWithoutEvent) {
  expectCases({
      {"file ends after 00", fileEndingIn(hex("00")), line(Code::eventMissing, 22), false},
      {"file ends after FF 7F", fileEndingIn(hex("FF 7F")), line(Code::eventMissing, 23), false},
      {"file ends after the second delta time", fileEndingIn(hex("00 90 3C 40 83 60")),
       line(Code::eventMissing, 27), false},
      {"under running status", fileEndingIn(hex("00 90 3C 40 00")), line(Code::eventMissing, 26),
       false},
  });
}

TEST(TrackEvents, RunningStatus) {
  expectCases({
      {"kept across several messages and long delta times",
       oneTrack(hex("00 90 3C 40 60 3E 40 81 00 3C 00 00 3E 00 00 FF 2F 00")), "", true},
      {"kept for a one-byte message", oneTrack(hex("00 C0 05 00 06 00 07 00 FF 2F 00")), "", true},
      // Were the Note On still in force, 06 00 would be its data.
      {"replaced by a one-byte status", oneTrack(hex("00 90 3C 40 00 C0 05 00 06 00 FF 2F 00")), "",
       true},
      {"replaced by a two-byte status", oneTrack(hex("00 C0 05 00 B0 07 64 00 0A 40 00 FF 2F 00")),
       "", true},
      {"none at the start of the track", oneTrack(hex("00 3C 40 00 FF 2F 00")),
       line(Code::statusOmitted, 22), false},
      {"none at the start, after a long delta time", oneTrack(hex("81 00 3C 40 00 FF 2F 00")),
       line(Code::statusOmitted, 23), false},
      {"cancelled by F0", oneTrack(hex("00 F0 01 F7 00 3C 40 00 FF 2F 00")),
       line(Code::statusOmitted, 26), false},
      {"Note On, then cancelled by F0",
       oneTrack(hex("00 90 3C 40 00 F0 01 F7 00 3C 40 00 FF 2F 00")),
       line(Code::statusOmitted, 30), false},
      {"Note On, then cancelled by F7",
       oneTrack(hex("00 90 3C 40 00 F7 01 05 00 3C 40 00 FF 2F 00")),
       line(Code::statusOmitted, 30), false},
      {"Note On, then cancelled by an empty F7",
       oneTrack(hex("00 90 3C 40 00 F7 00 00 3C 40 00 FF 2F 00")), line(Code::statusOmitted, 29),
       false},
      {"Note On, then cancelled by a meta event",
       oneTrack(hex("00 90 3C 40 00 FF 01 01 41 00 3C 40 00 FF 2F 00")),
       line(Code::statusOmitted, 31), false},
      {"Note On, then cancelled by an unknown meta event",
       oneTrack(hex("00 90 3C 40 00 FF 21 01 00 00 3C 40 00 FF 2F 00")),
       line(Code::unknownMetaType, 29) + line(Code::statusOmitted, 31), false},
      // The second track chunk's first delta time stands at 38.
      {"not carried into the next track",
       concat({header(1, 2), track(hex("00 90 3C 40 00 FF 2F 00")),
               track(hex("00 3C 40 00 FF 2F 00"))}),
       line(Code::statusOmitted, 38), false},
  });
}

// 1 data byte for C0 to DF, 2 for the rest; the data bytes are not examined.
TEST(TrackEvents, ChannelMessageLengths) {
  struct Kind {
    std::uint8_t status;
    int dataBytes;
    const char* name;
  };
  const std::vector<Kind> kinds = {
      {0x80, 2, texts().channelMessages[0]}, {0x8F, 2, texts().channelMessages[0]},
      {0x90, 2, texts().channelMessages[1]}, {0x9F, 2, texts().channelMessages[1]},
      {0xA0, 2, texts().channelMessages[2]}, {0xAF, 2, texts().channelMessages[2]},
      {0xB0, 2, texts().channelMessages[3]}, {0xBF, 2, texts().channelMessages[3]},
      {0xC0, 1, texts().channelMessages[4]}, {0xCF, 1, texts().channelMessages[4]},
      {0xD0, 1, texts().channelMessages[5]}, {0xDF, 1, texts().channelMessages[5]},
      {0xE0, 2, texts().channelMessages[6]}, {0xEF, 2, texts().channelMessages[6]},
  };
  std::vector<CheckCase> cases;
  for (const Kind& kind : kinds) {
    const std::string name = twoDigitHex(kind.status) + " ";
    const Bytes status{kind.status};
    const Bytes data = kind.dataBytes == 1 ? hex("05") : hex("3C 40");
    cases.push_back({name + "with its data",
                     oneTrack(concat({hex("00"), status, data, endOfTrack()})), "", true});
    // Under running status its data alone follows the delta time.
    cases.push_back({name + "twice, the second under running status",
                     oneTrack(concat({hex("00"), status, data, hex("00"), data, endOfTrack()})), "",
                     true});
    cases.push_back(
        {name + "with data bytes that have the top bit set",
         oneTrack(concat(
             {hex("00"), status, kind.dataBytes == 1 ? hex("FF") : hex("90 FF"), endOfTrack()})),
         "", true});
    cases.push_back(
        {name + "and the file ends after the status", fileEndingIn(concat({hex("00"), status})),
         line(kind.dataBytes == 1 ? Code::oneDataByte : Code::twoDataBytes, 23, kind.name),
         false});
    if (kind.dataBytes == 2) {
      cases.push_back({name + "and the file ends after one data byte",
                       fileEndingIn(concat({hex("00"), status, hex("3C")})),
                       line(Code::twoDataBytes, 24, kind.name), false});
      cases.push_back({name + "under running status, the file ends after one data byte",
                       fileEndingIn(concat({hex("00"), status, data, hex("00 3C")})),
                       line(Code::twoDataBytes, 27, kind.name), false});
    }
  }
  cases.push_back(
      {"data bytes 90 90 after a Note On", oneTrack(hex("00 90 90 90 00 FF 2F 00")), "", true});
  cases.push_back({"data bytes F0 F7 after a Control Change",
                   oneTrack(hex("00 B0 F0 F7 00 FF 2F 00")), "", true});
  expectCases(cases);
}

TEST(TrackEvents, SysExMessages) {
  Bytes long300 = repeat(hex("01"), 299);
  long300.push_back(0xF7);
  expectCases({
      {"F0 02 43 F7", oneTrack(hex("00 F0 02 43 F7 00 FF 2F 00")), "", true},
      {"F0 01 F7", oneTrack(hex("00 F0 01 F7 00 FF 2F 00")), "", true},
      {"F0 of 300 bytes", oneTrack(concat({hex("00 F0"), varLen(300), long300, endOfTrack()})), "",
       true},
      {"F7 00", oneTrack(hex("00 F7 00 00 FF 2F 00")), "", true},
      {"F7 with data not ending in F7", oneTrack(hex("00 F7 02 01 02 00 FF 2F 00")), "", true},
      {"F7 01 F0", oneTrack(hex("00 F7 01 F0 00 FF 2F 00")), "", true},
      {"F0 then F7 continuation", oneTrack(hex("00 F0 02 43 12 00 F7 02 34 F7 00 FF 2F 00")),
       line(Code::sysExUnterminated, 25), false},
      {"F0 02 43 12", oneTrack(hex("00 F0 02 43 12 00 FF 2F 00")),
       line(Code::sysExUnterminated, 25), false},
      {"F0 with F7 not last", oneTrack(hex("00 F0 03 F7 01 02 00 FF 2F 00")),
       line(Code::sysExUnterminated, 25), false},
      {"F0 of 300 bytes not ending in F7",
       oneTrack(
           concat({hex("00 F0"), varLen(300), repeat(hex("F7"), 299), hex("00"), endOfTrack()})),
       line(Code::sysExUnterminated, 26), false},
      // Empty: the offset where its empty read of the data began.
      {"F0 00 with more after it", oneTrack(hex("00 F0 00 00 FF 2F 00")),
       line(Code::sysExUnterminated, 25), false},
      {"F0 00 ends the file", fileEndingIn(hex("00 F0 00")), line(Code::sysExUnterminated, 24),
       false},
  });
}

TEST(TrackEvents, SysExCutShort) {
  expectCases({
      {"F0, no length", fileEndingIn(hex("00 F0")), line(Code::sysExLengthUnreadable, 23), false},
      {"F7, no length", fileEndingIn(hex("00 F7")), line(Code::sysExLengthUnreadable, 23), false},
      {"F0, length cut after 81", fileEndingIn(hex("00 F0 81")),
       line(Code::sysExLengthUnreadable, 24), false},
      {"F7, length cut after 81 82", fileEndingIn(hex("00 F7 81 82")),
       line(Code::sysExLengthUnreadable, 25), false},
      {"F0, five-byte length", oneTrack(hex("00 F0 81 82 83 84 05 F7 00 FF 2F 00")),
       line(Code::sysExLengthUnreadable, 28), false},
      {"F7, five-byte length", oneTrack(hex("00 F7 FF FF FF FF 7F 00 FF 2F 00")),
       line(Code::sysExLengthUnreadable, 28), false},
      {"F0 05 01 02", fileEndingIn(hex("00 F0 05 01 02")), line(Code::sysExLengthWrong, 25, 5),
       false},
      {"F7 03 01", fileEndingIn(hex("00 F7 03 01")), line(Code::sysExLengthWrong, 25, 3), false},
      {"F0 05 and nothing after it", fileEndingIn(hex("00 F0 05")),
       line(Code::sysExLengthWrong, 24, 5), false},
      {"F0 of 300 with 10 bytes",
       fileEndingIn(concat({hex("00 F0"), varLen(300), repeat(hex("01"), 10)})),
       line(Code::sysExLengthWrong, 26, 300), false},
      {"F0 of 300 and nothing after it", fileEndingIn(concat({hex("00 F0"), varLen(300)})),
       line(Code::sysExLengthWrong, 25, 300), false},
  });
}

// The largest length a quantity can hold, in a file far shorter than that.
TEST(TrackEvents, SysExDeclaringTheLargestLength) {
  const Bytes rest = concat({repeat(hex("01"), 300), hex("F7"), endOfTrack()});
  expectCases({
      {"F0 FF FF FF 7F", fileEndingIn(concat({hex("00 F0 FF FF FF 7F"), rest})),
       line(Code::sysExLengthWrong, 28, 268435455), false},
      {"F7 FF FF FF 7F", fileEndingIn(concat({hex("00 F7 FF FF FF 7F"), rest})),
       line(Code::sysExLengthWrong, 28, 268435455), false},
      {"F0 FF FF FF 7F and nothing after it", fileEndingIn(hex("00 F0 FF FF FF 7F")),
       line(Code::sysExLengthWrong, 27, 268435455), false},
      {"F0 FF FF FF 7F in the second track",
       concat({header(1, 2), track(endOfTrack()),
               chunkDeclaring("MTrk", 0x1000, concat({hex("00 F0 FF FF FF 7F"), rest}))}),
       line(Code::sysExLengthWrong, 40, 268435455), false},
  });
}

TEST(TrackEvents, StatusBytesNotAllowedInATrack) {
  std::vector<CheckCase> cases;
  for (unsigned status = 0xF1; status <= 0xFE; ++status) {
    if (status == 0xF7) continue;
    const Bytes event{0x00, static_cast<std::uint8_t>(status), 0x00, 0x00};
    cases.push_back({twoDigitHex(status) + " as the first event",
                     oneTrack(concat({event, endOfTrack()})),
                     line(Code::invalidEvent, 23, status), false});
  }
  cases.push_back({"F8 where running status could stand",
                   oneTrack(hex("00 90 3C 40 00 F8 00 FF 2F 00")),
                   line(Code::invalidEvent, 27, 0xF8), false});
  cases.push_back({"F4 after a long delta time", oneTrack(hex("81 00 F4 00 FF 2F 00")),
                   line(Code::invalidEvent, 24, 0xF4), false});
  cases.push_back({"FE as the last byte of the file", fileEndingIn(hex("00 FE")),
                   line(Code::invalidEvent, 23, 0xFE), false});
  expectCases(cases);
}

// What the meta-event rules see of the track: its time, and whether a channel
// or SysEx message has gone before. Neither carries into the next track.
TEST(TrackEvents, StateSeenByMetaEvents) {
  // Sixteen delta times of 0x0FFFFFFF and one of 0x10 add up to 2^32 ticks.
  const Bytes longTimes = repeat(hex("FF FF FF 7F FF 01 00"), 16);
  const Bytes sequenceNumber = hex("FF 00 02 00 01");
  expectCases({
      {"Sequence Number after F0", oneTrack(hex("00 F0 01 F7 00 FF 00 02 00 01 00 FF 2F 00")),
       line(Code::notAtTrackStart, 30, texts().metaEvents.sequenceNumber), false},
      {"Sequence Number after an empty F7", oneTrack(hex("00 F7 00 00 FF 00 02 00 01 00 FF 2F 00")),
       line(Code::notAtTrackStart, 29, texts().metaEvents.sequenceNumber), false},
      {"Sequence Number after a Program Change",
       oneTrack(hex("00 C0 05 00 FF 00 02 00 01 00 FF 2F 00")),
       line(Code::notAtTrackStart, 29, texts().metaEvents.sequenceNumber), false},
      {"Sequence Number after meta events only",
       oneTrack(hex("00 FF 01 01 41 00 FF 03 00 00 FF 00 02 00 01 00 FF 2F 00")), "", true},
      {"Sequence Number at 2^32 ticks",
       oneTrack(concat({longTimes, hex("10"), sequenceNumber, endOfTrack()})),
       line(Code::notAtTrackStart, 138, texts().metaEvents.sequenceNumber), false},
      {"Sequence Number first in a track after a track of messages",
       concat({header(1, 2), track(hex("00 F0 01 F7 00 90 3C 40 00 FF 2F 00")),
               track(concat({hex("00"), sequenceNumber, endOfTrack()}))}),
       "", true},
      {"Sequence Number first in a track after a track with a long time",
       concat({header(1, 2), track(hex("FF FF FF 7F FF 2F 00")),
               track(concat({hex("00"), sequenceNumber, endOfTrack()}))}),
       "", true},
  });
}

TEST(TrackEvents, TracksOfMixedEventsConform) {
  const Bytes conductor =
      concat({hex("00 FF 03 04"), text("Song"), hex("00 FF 51 03 07 A1 20 00 FF 58 04 04 02 18 08"),
              endOfTrack()});
  const Bytes piano =
      hex("00 F0 05 7E 7F 09 01 F7 00 B0 07 64 00 0A 40 00 C0 05 00 90 3C 40 60 3C 00 00 3E 40 "
          "60 80 3E 00 00 E0 00 40 00 D0 30 00 A0 3C 20 81 40 FF 2F 00");
  const Bytes drums = hex("00 F7 03 01 02 03 00 C9 10 00 99 24 64 30 24 00 00 FF 2F 00");
  expectCases({
      {"format 1, three tracks", smf(1, {conductor, piano, drums}), "", true},
      {"format 2, two tracks", smf(2, {piano, drums}), "", true},
      {"format 0, one track", smf(0, {piano}), "", true},
  });
}

}  // namespace
