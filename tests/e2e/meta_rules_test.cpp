// SPDX-License-Identifier: MIT
// Placement and value rules of Sequence Number, Copyright Notice, Set Tempo,
// SMPTE Offset and Key Signature.
//
// Unless a case says otherwise the first track chunk follows the 14-byte
// header directly, so its first delta time stands at offset 22; in a file of
// two tracks whose first one is a bare End of Track (12 bytes), the second
// track's first delta time stands at offset 34, and a third's at 46.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/quelder_runner.h"
#include "e2e/smf_builder.h"

namespace {

Bytes oneTrack(const Bytes& data) { return smf(0, {data}); }

// A meta event without its delta time.
Bytes meta(std::uint8_t type, const Bytes& data) {
  return concat({Bytes{0xFF, type}, varLen(static_cast<std::uint32_t>(data.size())), data});
}

Bytes withEnd(const Bytes& data) { return concat({data, endOfTrack()}); }

// The first event of the first track: Copyright Notice at time 0.
Bytes copyrightFirst(const Bytes& data) {
  return oneTrack(withEnd(concat({hex("00"), meta(0x02, data)})));
}

const char* const kSequenceNumber = texts().metaEvents.sequenceNumber;
const char* const kTempo = texts().metaEvents.tempo;
const char* const kSmpte = texts().metaEvents.smpteOffset;

TEST(MetaRulesCopyright, TheCopyrightSign) {
  expectCases({
      {"(C) alone", copyrightFirst(text("(C)")), "", true},
      {"(C), year and holder", copyrightFirst(text("(C) 2024 Quelder Authors")), "", true},
      {"(C) after other words", copyrightFirst(text("Copyright (C) 1997 Someone")), "", true},
      {"(C) as the last three bytes", copyrightFirst(text("2024 Someone (C)")), "", true},
      {"(C) at the end of 300 bytes", copyrightFirst(concat({Bytes(297, 'x'), text("(C)")})), "",
       true},
      {"empty", copyrightFirst({}),
       line(Code::copyrightSignMissing, 26, texts().metaEvents.copyright), false},
      {"lower-case c", copyrightFirst(text("(c) 2024 Someone")),
       line(Code::copyrightSignMissing, 26, texts().metaEvents.copyright), false},
      {"sign in Latin-1", copyrightFirst(text("Copyright \xA9 2010 Someone")),
       line(Code::copyrightSignMissing, 26, texts().metaEvents.copyright), false},
      {"sign in UTF-8", copyrightFirst(text("\xC2\xA9 2010 Someone")),
       line(Code::copyrightSignMissing, 26, texts().metaEvents.copyright), false},
      {"full-width in CP932", copyrightFirst(hex("81 69 82 62 81 6A 32 30 32 34")),
       line(Code::copyrightSignMissing, 26, texts().metaEvents.copyright), false},
      {"space inside", copyrightFirst(text("( C) 2024")),
       line(Code::copyrightSignMissing, 26, texts().metaEvents.copyright), false},
      {"unclosed", copyrightFirst(text("(C")),
       line(Code::copyrightSignMissing, 26, texts().metaEvents.copyright), false},
      {"year, NUL, then (C)", copyrightFirst(concat({text("2024"), Bytes{0}, text("(C)")})),
       line(Code::copyrightSignMissing, 26, texts().metaEvents.copyright), false},
      {"NUL first", copyrightFirst(concat({Bytes{0}, text("(C) 2024")})),
       line(Code::copyrightSignMissing, 26, texts().metaEvents.copyright), false},
      {"(C) before a NUL", copyrightFirst(concat({text("(C) 2024"), Bytes{0}, text("junk")})), "",
       true},
      {"NUL splitting (C)", copyrightFirst(concat({text("(C"), Bytes{0}, text(")")})),
       line(Code::copyrightSignMissing, 26, texts().metaEvents.copyright), false},
      // A two-byte length moves the data, and with it the offset.
      {"200 bytes without (C)", copyrightFirst(Bytes(200, 'x')),
       line(Code::copyrightSignMissing, 27, texts().metaEvents.copyright), false},
  });
}

// Character boundaries of CP932: a lead byte (0x81-0x9F, 0xE0-0xFC) takes the
// next byte with it, so a "(" there does not start a match.
TEST(MetaRulesCopyright, CharacterBoundaries) {
  expectCases({
      {"( as trail byte of 0x81", copyrightFirst(hex("81 28 43 29")),
       line(Code::copyrightSignMissing, 26, texts().metaEvents.copyright), false},
      {"( as trail byte of 0x9F", copyrightFirst(hex("9F 28 43 29")),
       line(Code::copyrightSignMissing, 26, texts().metaEvents.copyright), false},
      {"( as trail byte of 0xE0", copyrightFirst(hex("E0 28 43 29")),
       line(Code::copyrightSignMissing, 26, texts().metaEvents.copyright), false},
      {"( as trail byte of 0xFC", copyrightFirst(hex("FC 28 43 29")),
       line(Code::copyrightSignMissing, 26, texts().metaEvents.copyright), false},
      {"after a whole two-byte character", copyrightFirst(hex("81 40 28 43 29")), "", true},
      {"after an ASCII letter", copyrightFirst(hex("41 28 43 29")), "", true},
      {"after 0x80, a single byte", copyrightFirst(hex("80 28 43 29")), "", true},
      {"after 0xA0, a single byte", copyrightFirst(hex("A0 28 43 29")), "", true},
      {"after half-width katakana 0xB1", copyrightFirst(hex("B1 28 43 29")), "", true},
      {"after 0xFD, a single byte", copyrightFirst(hex("FD 28 43 29")), "", true},
      // The trail byte is in the lead range but does not lead anything.
      {"after 81 81", copyrightFirst(hex("81 81 28 43 29")), "", true},
      {"after 81 81 81", copyrightFirst(hex("81 81 81 28 43 29")),
       line(Code::copyrightSignMissing, 26, texts().metaEvents.copyright), false},
      {"a second (C) on a boundary", copyrightFirst(hex("81 28 43 29 28 43 29")), "", true},
      {"lead byte as the last byte", copyrightFirst(hex("41 42 81")),
       line(Code::copyrightSignMissing, 26, texts().metaEvents.copyright), false},
      {"(C) then a lead byte as the last byte", copyrightFirst(hex("28 43 29 81")), "", true},
      {"only a lead byte", copyrightFirst(hex("E0")),
       line(Code::copyrightSignMissing, 26, texts().metaEvents.copyright), false},
  });
}

// The search reads the event's own data and nothing beyond it: neither the
// bytes that follow in the file nor what an earlier event left in memory.
TEST(MetaRulesCopyright, NothingBeyondTheDataIsSearched) {
  expectCases({
      {"text event leaves a closing parenthesis",
       oneTrack(hex("00 FF 01 03 61 62 29 00 FF 02 02 28 43")),
       line(Code::copyrightSignMissing, 33, texts().metaEvents.copyright), false},
      {"text event leaves a whole (C)",
       oneTrack(withEnd(hex("00 FF 01 04 58 28 43 29 00 FF 02 01 58"))),
       line(Code::copyrightSignMissing, 34, texts().metaEvents.copyright), false},
      {"the file goes on with a closing parenthesis",
       oneTrack(hex("00 FF 02 02 28 43 29 FF 2F 00")),
       line(Code::copyrightSignMissing, 26, texts().metaEvents.copyright), false},
      {"zero length with more bytes after it", oneTrack(hex("00 FF 02 00 00 FF 2F 00")),
       line(Code::copyrightSignMissing, 26, texts().metaEvents.copyright), false},
      // The empty read at the end of the file leaves the length byte's offset.
      {"zero length ending the file",
       concat({header(0, 1), chunkDeclaring("MTrk", 10, hex("00 FF 02 00"))}),
       line(Code::copyrightSignMissing, 25, texts().metaEvents.copyright), false},
  });
}

TEST(MetaRulesCopyright, Placement) {
  const Bytes copyright = hex("00 FF 02 03 28 43 29");
  expectCases({
      {"header example", oneTrack(hex("00 FF 02 03 28 43 29 00 FF 2F 00")), "", true},
      {"delta time 1", oneTrack(hex("01 FF 02 03 28 43 29 00 FF 2F 00")),
       line(Code::copyrightMisplaced, 26, texts().metaEvents.copyright), false},
      {"after a Track Name at time 0",
       oneTrack(withEnd(hex("00 FF 03 01 41 00 FF 02 03 28 43 29"))),
       line(Code::copyrightMisplaced, 31, texts().metaEvents.copyright), false},
      {"after an unrecognised meta event at time 0",
       oneTrack(withEnd(hex("00 FF 21 00 00 FF 02 03 28 43 29"))),
       line(Code::unknownMetaType, 25) +
           line(Code::copyrightMisplaced, 30, texts().metaEvents.copyright),
       false},
      {"twice at the start", oneTrack(withEnd(concat({copyright, copyright}))),
       line(Code::copyrightMisplaced, 33, texts().metaEvents.copyright), false},
      {"first event of the second track", smf(1, {endOfTrack(), withEnd(copyright)}),
       line(Code::copyrightMisplaced, 38, texts().metaEvents.copyright), false},
      {"first event of the second track of format 2", smf(2, {endOfTrack(), withEnd(copyright)}),
       line(Code::copyrightMisplaced, 38, texts().metaEvents.copyright), false},
      {"first event of the first track of format 2", smf(2, {withEnd(copyright), endOfTrack()}), "",
       true},
      // An unknown chunk is not a track: the track after it is still the first.
      {"after an unknown chunk",
       concat({header(1, 1), chunk("XFIL", hex("00 00")), track(withEnd(copyright))}),
       line(Code::unknownChunk, 18), true},
      {"after an unknown chunk, delta time 1",
       concat({header(1, 1), chunk("XFIL", hex("00 00")),
               track(withEnd(hex("01 FF 02 03 28 43 29")))}),
       line(Code::unknownChunk, 18) +
           line(Code::copyrightMisplaced, 36, texts().metaEvents.copyright),
       false},
  });
}

// The "(C)" test comes first.
TEST(MetaRulesCopyright, SignTestedBeforePlacement) {
  expectCases({
      {"delta time 1 without (C)", oneTrack(withEnd(hex("01 FF 02 02 41 42"))),
       line(Code::copyrightSignMissing, 26, texts().metaEvents.copyright), false},
      {"second track without (C)", smf(1, {endOfTrack(), withEnd(hex("00 FF 02 02 41 42"))}),
       line(Code::copyrightSignMissing, 38, texts().metaEvents.copyright), false},
      {"after a Track Name without (C)", oneTrack(withEnd(hex("00 FF 03 00 00 FF 02 01 41"))),
       line(Code::copyrightSignMissing, 30, texts().metaEvents.copyright), false},
  });
}

TEST(MetaRulesSequenceNumber, StartOfTrack) {
  const Bytes seq = hex("00 FF 00 02 00 01");
  expectCases({
      {"first event", oneTrack(withEnd(seq)), "", true},
      {"after an empty Track Name at time 0",
       oneTrack(hex("00 FF 03 00 00 FF 00 02 00 01 00 FF 2F 00")), "", true},
      {"after several meta events at time 0",
       oneTrack(
           withEnd(concat({hex("00 FF 02 03 28 43 29 00 FF 51 03 07 A1 20"),
                           hex("00 FF 58 04 04 02 18 08 00 FF 59 02 00 00 00 FF 21 01 00"), seq}))),
       line(Code::unknownMetaType, 53), true},
      {"after a note-on at time 0", oneTrack(withEnd(hex("00 90 3C 40 00 FF 00 02 00 01"))),
       line(Code::notAtTrackStart, 30, kSequenceNumber), false},
      {"after a program change at time 0", oneTrack(withEnd(hex("00 C0 00 00 FF 00 02 00 01"))),
       line(Code::notAtTrackStart, 29, kSequenceNumber), false},
      {"after an F0 SysEx", oneTrack(withEnd(hex("00 F0 01 F7 00 FF 00 02 00 01"))),
       line(Code::notAtTrackStart, 30, kSequenceNumber), false},
      {"after an empty F7 SysEx", oneTrack(withEnd(hex("00 F7 00 00 FF 00 02 00 01"))),
       line(Code::notAtTrackStart, 29, kSequenceNumber), false},
      {"own delta time 1", oneTrack(withEnd(hex("01 FF 00 02 00 01"))),
       line(Code::notAtTrackStart, 26, kSequenceNumber), false},
      {"after a meta event at delta time 1",
       oneTrack(withEnd(hex("01 FF 01 00 00 FF 00 02 00 01"))),
       line(Code::notAtTrackStart, 30, kSequenceNumber), false},
      {"start of the second track", smf(1, {endOfTrack(), withEnd(seq)}), "", true},
      {"start of the third track", smf(1, {endOfTrack(), endOfTrack(), withEnd(seq)}), "", true},
      {"start of the second track of format 2", smf(2, {endOfTrack(), withEnd(seq)}), "", true},
      // Events of the track before do not count.
      {"second track after a track of notes",
       smf(1, {withEnd(hex("00 90 3C 40 60 80 3C 40")), withEnd(seq)}), "", true},
      {"second track after a note-on",
       smf(1, {endOfTrack(), withEnd(hex("00 90 3C 40 00 FF 00 02 00 01"))}),
       line(Code::notAtTrackStart, 42, kSequenceNumber), false},
  });
}

// Sixteen delta times of 0x0FFFFFFF and one of 0x10 make exactly 2^32 ticks,
// with only meta events in between, so that only the time can break the rule.
TEST(MetaRulesSequenceNumber, ElapsedTimeIsNotCutTo32Bits) {
  const Bytes longWait = repeat(hex("FF FF FF 7F FF 01 00"), 16);  // 112 bytes from offset 22
  expectCases({
      {"Sequence Number at 2^32 ticks",
       oneTrack(withEnd(concat({longWait, hex("10 FF 00 02 00 01")}))),
       line(Code::notAtTrackStart, 138, kSequenceNumber), false},
      {"SMPTE Offset at 2^32 ticks",
       oneTrack(withEnd(concat({longWait, hex("10 FF 54 05 60 00 00 00 00")}))),
       line(Code::notAtTrackStart, 138, kSmpte), false},
      {"the long wait alone", oneTrack(withEnd(concat({longWait, hex("10 FF 01 00")}))), "", true},
  });
}

TEST(MetaRulesTempo, FirstTrackOfFormat1) {
  const Bytes tempo = hex("00 FF 51 03 07 A1 20");
  expectCases({
      {"format 1, first track", smf(1, {withEnd(tempo), endOfTrack()}), "", true},
      {"format 1, late in the first track",
       smf(1, {withEnd(concat({hex("00 90 3C 40 87 68 80 3C 40"), tempo})), endOfTrack()}), "",
       true},
      {"format 1, second track", smf(1, {endOfTrack(), withEnd(tempo)}),
       line(Code::notInFirstTrack, 38, kTempo), false},
      {"format 1, late in the second track",
       smf(1, {endOfTrack(), withEnd(concat({hex("00 90 3C 40 60 80 3C 40"), tempo}))}),
       line(Code::notInFirstTrack, 46, kTempo), false},
      {"format 1, third track", smf(1, {endOfTrack(), endOfTrack(), withEnd(tempo)}),
       line(Code::notInFirstTrack, 50, kTempo), false},
      {"format 0, second track", smf(0, {endOfTrack(), withEnd(tempo)}), "", true},
      {"format 2, second track", smf(2, {endOfTrack(), withEnd(tempo)}), "", true},
      {"format 0, after notes", oneTrack(withEnd(concat({hex("00 90 3C 40 60 80 3C 40"), tempo}))),
       "", true},
  });
}

TEST(MetaRulesSmpteOffset, StartOfTrackThenFirstTrack) {
  const Bytes smpte = hex("00 FF 54 05 60 00 00 00 00");
  expectCases({
      {"format 1, first track", smf(1, {withEnd(smpte), endOfTrack()}), "", true},
      {"after other meta events at time 0",
       oneTrack(withEnd(concat({hex("00 FF 03 01 41"), smpte}))), "", true},
      {"format 1, start of the second track", smf(1, {endOfTrack(), withEnd(smpte)}),
       line(Code::notInFirstTrack, 38, kSmpte), false},
      {"format 1, first track after a note-on",
       smf(1, {withEnd(concat({hex("00 90 3C 40"), smpte})), endOfTrack()}),
       line(Code::notAtTrackStart, 30, kSmpte), false},
      // Both rules broken: the start-of-track rule is tested first.
      {"format 1, second track after a note-on",
       smf(1, {endOfTrack(), withEnd(concat({hex("00 90 3C 40"), smpte}))}),
       line(Code::notAtTrackStart, 42, kSmpte), false},
      {"format 1, second track at delta time 1",
       smf(1, {endOfTrack(), withEnd(hex("01 FF 54 05 60 00 00 00 00"))}),
       line(Code::notAtTrackStart, 38, kSmpte), false},
      {"format 1, first track after a SysEx",
       smf(1, {withEnd(concat({hex("00 F7 01 00"), smpte})), endOfTrack()}),
       line(Code::notAtTrackStart, 30, kSmpte), false},
      {"format 0, start of the second track", smf(0, {endOfTrack(), withEnd(smpte)}), "", true},
      {"format 2, start of the second track", smf(2, {endOfTrack(), withEnd(smpte)}), "", true},
      {"format 2, second track after a note-on",
       smf(2, {endOfTrack(), withEnd(concat({hex("00 90 3C 40"), smpte}))}),
       line(Code::notAtTrackStart, 42, kSmpte), false},
  });
}

TEST(MetaRulesKeySignature, KeysAndModes) {
  struct Key {
    const char* data;
    std::string diagnostics;  // offset 26 throughout: the key byte
  };
  const std::vector<Key> keys = {
      {"F9 00", ""},  // 7 flats, major
      {"07 01", ""},  // 7 sharps, minor
      {"00 00", ""},
      {"FF 01", ""},
      {"01 00", ""},
      {"F8 00", line(Code::tooManyFlats, 26, texts().metaEvents.keySignature)},   // -8
      {"08 00", line(Code::tooManySharps, 26, texts().metaEvents.keySignature)},  // 8
      {"80 00", line(Code::tooManyFlats, 26, texts().metaEvents.keySignature)},   // -128
      {"7F 00", line(Code::tooManySharps, 26, texts().metaEvents.keySignature)},  // 127
      {"00 02", line(Code::modeInvalid, 26, texts().metaEvents.keySignature)},
      {"F9 02", line(Code::modeInvalid, 26, texts().metaEvents.keySignature)},
      {"07 02", line(Code::modeInvalid, 26, texts().metaEvents.keySignature)},
      {"00 80",
       line(Code::modeInvalid, 26, texts().metaEvents.keySignature)},  // the mode is unsigned
      {"00 FF", line(Code::modeInvalid, 26, texts().metaEvents.keySignature)},
      // Flats before sharps before mode.
      {"08 05", line(Code::tooManySharps, 26, texts().metaEvents.keySignature)},
      {"F8 05", line(Code::tooManyFlats, 26, texts().metaEvents.keySignature)},
      {"80 FF", line(Code::tooManyFlats, 26, texts().metaEvents.keySignature)},
  };
  std::vector<CheckCase> cases;
  for (const Key& key : keys) {
    cases.push_back({key.data, oneTrack(withEnd(concat({hex("00 FF 59 02"), hex(key.data)}))),
                     key.diagnostics, key.diagnostics.empty()});
  }
  // No placement rule: anywhere in any track.
  cases.push_back({"late in the second track of format 1",
                   smf(1, {endOfTrack(), withEnd(hex("00 90 3C 40 60 FF 59 02 FD 01"))}), "",
                   true});
  cases.push_back({"bad key late in the second track",
                   smf(1, {endOfTrack(), withEnd(hex("00 90 3C 40 60 FF 59 02 F8 01"))}),
                   line(Code::tooManyFlats, 42, texts().metaEvents.keySignature), false});
  expectCases(cases);
}

// Only five types have rules; the values of the others are not examined.
TEST(MetaRulesOtherTypes, NoContentRules) {
  expectCases({
      {"odd Time Signature", oneTrack(withEnd(hex("00 FF 58 04 FF FF FF FF"))), "", true},
      {"odd Channel Prefix", oneTrack(withEnd(hex("00 FF 20 01 FF"))), "", true},
      {"text events anywhere",
       smf(1,
           {endOfTrack(), withEnd(hex("00 90 3C 40 60 FF 01 01 41 00 FF 03 00 00 FF 7F 01 00"))}),
       "", true},
  });
}

Bytes event(std::uint32_t delta, const Bytes& body) { return concat({varLen(delta), body}); }

// A file shaped like a sequencer's output: a conductor track with copyright,
// names, SMPTE offset, time and key signatures and a tempo map, then two
// instrument tracks.
Bytes realisticFile(bool withPortMeta) {
  const Bytes conductor = concat({
      event(0, meta(0x02, text("(C) 2024 Quelder Authors"))),
      event(0, meta(0x03, text("Song"))),
      event(0, meta(0x00, hex("00 01"))),
      event(0, meta(0x54, hex("60 00 03 00 00"))),
      event(0, meta(0x58, hex("04 02 18 08"))),
      event(0, meta(0x59, hex("FD 00"))),
      event(0, meta(0x51, hex("07 A1 20"))),
      event(0, meta(0x06, text("Intro"))),
      event(1920, meta(0x51, hex("06 1A 80"))),
      event(0, meta(0x06, text("Verse"))),
      event(1920, meta(0x58, hex("03 02 18 08"))),
      event(0, hex("FF 2F 00")),
  });
  const Bytes piano = concat({
      event(0, meta(0x03, text("Piano"))),
      event(0, meta(0x04, text("Acoustic Grand"))),
      event(0, meta(0x20, hex("00"))),
      withPortMeta ? event(0, meta(0x21, hex("00"))) : Bytes{},
      event(0, hex("F0 05 7E 7F 09 01 F7")),
      event(0, hex("B0 07 64")),
      event(0, hex("C0 00")),
      event(0, hex("90 3C 40")),
      event(0, meta(0x05, text("La"))),
      event(480, hex("90 3C 00")),  // the Lyric ended running status
      event(0, hex("3E 40")),
      event(0, meta(0x05, text("la"))),
      event(480, hex("80 3E 40")),
      event(0, hex("E0 00 40")),
      event(960, meta(0x59, hex("FD 01"))),
      event(0, meta(0x01, text("\x83\x73\x83\x41\x83\x6D"))),  // ピアノ in CP932
      event(0, hex("FF 2F 00")),
  });
  const Bytes drums = concat({
      event(0, meta(0x03, text("Drums"))),
      event(0, hex("99 24 64")),
      event(240, hex("24 00")),
      event(0, hex("2A 50")),
      event(240, hex("89 2A 00")),
      event(0, meta(0x7F, hex("00 00 41 01"))),
      event(0, hex("FF 2F 00")),
  });
  return smf(1, {conductor, piano, drums});
}

TEST(MetaRulesRealisticFile, Conforms) {
  expectCheck(realisticFile(false), "", true);
  // The port meta event (0x21) is common in the wild and is only warned about.
  const Bytes image = realisticFile(true);
  const Bytes port = hex("FF 21 01 00");
  const auto at = std::search(image.begin(), image.end(), port.begin(), port.end());
  ASSERT_NE(at, image.end());
  expectCheck(image, line(Code::unknownMetaType, static_cast<long>(at - image.begin()) + 2),
              true);
}

}  // namespace
