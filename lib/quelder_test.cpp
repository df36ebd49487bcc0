// SPDX-License-Identifier: MIT
// The C library: what a check hands back, where in the music it says each
// diagnostic is, the findings past the first error and beyond the reference
// rules, what a file is, bad arguments, and many threads at once.
#include "quelder/quelder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "e2e/smf_builder.h"

namespace {

// One diagnostic, every field, as a comparable value.
struct Seen {
  std::string code;
  quelder_severity severity;
  quelder_grade grade;
  std::int64_t offset;
  std::uint32_t track;
  std::uint32_t event;
  std::uint64_t tick;
  std::int64_t eventOffset;
  std::string message;
  bool operator==(const Seen&) const = default;
};

void PrintTo(const Seen& d, std::ostream* out) {
  *out << d.code << " severity " << d.severity << " grade " << d.grade << " at " << d.offset
       << ", track " << d.track << ", event " << d.event << ", tick " << d.tick << ", event offset "
       << d.eventOffset << ": " << d.message;
}

// A finding, every field but the message.
struct Found {
  std::string code;
  quelder_severity severity;
  quelder_grade grade;
  std::int64_t offset;
  std::uint32_t track;
  std::uint32_t event;
  std::uint64_t tick;
  std::int64_t eventOffset;
  int afterFirstError;
  bool operator==(const Found&) const = default;
};

void PrintTo(const Found& d, std::ostream* out) {
  *out << d.code << " severity " << d.severity << " grade " << d.grade << " at " << d.offset
       << ", track " << d.track << ", event " << d.event << ", tick " << d.tick << ", event offset "
       << d.eventOffset << ", after first error " << d.afterFirstError;
}

struct Outcome {
  bool conforms;
  std::vector<Seen> diagnostics;
  std::vector<Found> findings;
  std::string format;
  std::int64_t embeddedOffset;
  bool embeddedConforms;
  bool operator==(const Outcome&) const = default;
};

Outcome take(quelder_result* result) {
  Outcome outcome{quelder_result_conforms(result) != 0,
                  {},
                  {},
                  quelder_result_format(result),
                  quelder_result_embedded_offset(result),
                  quelder_result_embedded_conforms(result) != 0};
  for (std::size_t i = 0; i < quelder_result_diagnostic_count(result); ++i) {
    const quelder_diagnostic* d = quelder_result_diagnostic(result, i);
    EXPECT_EQ(d->after_first_error, 0);
    outcome.diagnostics.push_back({d->code, d->severity, d->grade, d->offset, d->track, d->event,
                                   d->tick, d->event_offset, d->message});
  }
  for (std::size_t i = 0; i < quelder_result_finding_count(result); ++i) {
    const quelder_diagnostic* d = quelder_result_finding(result, i);
    EXPECT_GT(std::string(d->message).size(), 10u) << d->code;
    outcome.findings.push_back({d->code, d->severity, d->grade, d->offset, d->track, d->event,
                                d->tick, d->event_offset, d->after_first_error});
  }
  EXPECT_EQ(quelder_result_diagnostic(result, quelder_result_diagnostic_count(result)), nullptr);
  EXPECT_EQ(quelder_result_finding(result, quelder_result_finding_count(result)), nullptr);
  quelder_result_free(result);
  return outcome;
}

Outcome check(const Bytes& image, quelder_language language = QUELDER_LANGUAGE_EN) {
  const quelder_options options{language};
  return take(quelder_check_buffer(image.data(), image.size(), &options));
}

// A track whose note lasts 0x60 ticks, then one event more.
Bytes noteThen(const Bytes& last) { return concat({hex("00 90 3C 40 60 80 3C 00"), last}); }

struct LocationCase {
  std::string name;
  Bytes image;
  Seen expected;
};

// Offsets: header 0-13, first track chunk at 14 (data at 22); the field's
// offset is the reference program's, the event's where its delta time starts.
TEST(Library, LocatesEachDiagnosticInTheMusic) {
  const Bytes firstTrack = track(endOfTrack());  // 12 bytes: the second chunk starts at 26
  const std::vector<LocationCase> cases = {
      {"tempo outside the first track: track 2, event 3, tick 0x60",
       smf(1, {endOfTrack(), noteThen(hex("00 FF 51 03 07 A1 20 00 FF 2F 00"))}),
       {"not-in-first-track", QUELDER_SEVERITY_ERROR, QUELDER_GRADE_CONTENT, 46, 2, 3, 0x60, 42,
        "in SMF format 1, the Tempo meta event must be placed in the first track."}},
      {"a delta time past the end: track 1, event 3",
       concat({header(0, 1), chunk("MTrk", noteThen(hex("81 81 81 81 01")))}),
       {"delta-time", QUELDER_SEVERITY_ERROR, QUELDER_GRADE_STRUCTURE, 34, 1, 3, 0x60, 30,
        "the delta time is invalid."}},
      {"no End of Track: the event that was due",
       concat({header(0, 1), chunk("MTrk", hex("00 90 3C 40 83 00 80 3C 00"))}),
       {"end-of-track-missing", QUELDER_SEVERITY_ERROR, QUELDER_GRADE_STRUCTURE, 29, 1, 3, 0x180,
        31, "at the end of the track there is no End of Track meta event."}},
      {"an unknown meta type in the first track",
       smf(0, {hex("00 FF 60 01 00 00 FF 2F 00")}),
       {"unknown-meta-type", QUELDER_SEVERITY_WARNING, QUELDER_GRADE_NONE, 25, 1, 1, 0, 22,
        "the type of the meta event is not recognised."}},
      {"the track count: outside any track",
       concat({header(1, 2), firstTrack}),
       {"track-count", QUELDER_SEVERITY_ERROR, QUELDER_GRADE_CONTENT, 10, 0, 0, 0, -1,
        "the number of tracks is wrong. The header chunk gives 2 as the number of track chunks, but the file holds 1."}},
  };
  for (const LocationCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome outcome = check(c.image);
    ASSERT_FALSE(outcome.diagnostics.empty());
    EXPECT_EQ(outcome.diagnostics.back(), c.expected);
    EXPECT_EQ(outcome.conforms, c.expected.severity == QUELDER_SEVERITY_WARNING);
  }
}

constexpr quelder_severity kError = QUELDER_SEVERITY_ERROR;
constexpr quelder_severity kWarning = QUELDER_SEVERITY_WARNING;
constexpr quelder_severity kBeyond = QUELDER_SEVERITY_BEYOND_REFERENCE;
constexpr quelder_grade kStructure = QUELDER_GRADE_STRUCTURE;
constexpr quelder_grade kContent = QUELDER_GRADE_CONTENT;
constexpr quelder_grade kRecommendation = QUELDER_GRADE_RECOMMENDATION;

// A reference diagnostic: its code and offset (the e2e tests pin the rest).
struct Reference {
  std::string code;
  std::int64_t offset;
  bool operator==(const Reference&) const = default;
};

void PrintTo(const Reference& r, std::ostream* out) { *out << r.code << " at " << r.offset; }

std::vector<Reference> referencesOf(const Outcome& outcome) {
  std::vector<Reference> out;
  for (const Seen& d : outcome.diagnostics) out.push_back({d.code, d.offset});
  return out;
}

struct FindingCase {
  std::string name;
  Bytes image;
  bool conforms;                       // the reference verdict
  std::vector<Reference> diagnostics;  // the reference program's
  std::vector<Found> findings;
};

// A Note On, then 29 notes a tick apart under running status, then one whose
// velocity is FF: event 31 at 113, tick 30, its velocity at 115.
Bytes noteRunWithHighVelocity() {
  return concat({hex("00 90 3C 40"), repeat(hex("01 3C 40"), 29), hex("01 3C FF 00 FF 2F 00")});
}

// Offsets: header 0-13 (format at 8, track count at 10, division at 12), the
// first track chunk at 14, its first event at 22.
TEST(Library, FindingsBeyondTheReferenceRules) {
  const Bytes eot = endOfTrack();
  const std::vector<FindingCase> cases = {
      {"a velocity of FF",
       smf(0, {hex("00 90 3C FF 00 FF 2F 00")}),
       true,
       {},
       {{"channel-data-byte", kBeyond, kStructure, 25, 1, 1, 0, 22, 0}}},
      {"a program number of 90",
       smf(0, {hex("00 C0 90 00 FF 2F 00")}),
       true,
       {},
       {{"channel-data-byte", kBeyond, kStructure, 24, 1, 1, 0, 22, 0}}},
      {"a velocity of FF deep in a run of notes",
       smf(0, {noteRunWithHighVelocity()}),
       true,
       {},
       {{"channel-data-byte", kBeyond, kStructure, 115, 1, 31, 30, 113, 0}}},
      {"format 0 declaring and holding three tracks",
       concat({header(0, 3), track(eot), track(eot), track(eot)}),
       true,
       {},
       {{"format-0-track-count", kBeyond, kContent, 10, 0, 0, 0, -1, 0},
        {"format-0-second-track", kBeyond, kContent, 26, 0, 0, 0, -1, 0}}},
      {"format 0 declaring one track and holding two",
       concat({header(0, 1), track(eot), track(eot)}),
       false,
       {{"track-count", 10}},
       {{"format-0-second-track", kBeyond, kContent, 26, 0, 0, 0, -1, 0}}},
      {"0 ticks per quarter note",
       concat({header(1, 1, 0), track(eot)}),
       true,
       {},
       {{"division-zero", kBeyond, kContent, 12, 0, 0, 0, -1, 0}}},
      {"25 frames of 0 ticks",
       concat({header(0, 1, 0xE700), track(eot)}),
       true,
       {},
       {{"division-zero", kBeyond, kContent, 12, 0, 0, 0, -1, 0}}},
      {"a tempo of 0",
       smf(0, {hex("00 FF 51 03 00 00 00 00 FF 2F 00")}),
       true,
       {},
       {{"tempo-zero", kBeyond, kContent, 26, 1, 1, 0, 22, 0}}},
      {"SMPTE Offset at 24 hours, 60 minutes and 100 hundredths",
       smf(0, {hex("00 FF 54 05 58 3C 00 19 64 00 FF 2F 00")}),
       true,
       {},
       {{"smpte-offset-field", kBeyond, kContent, 26, 1, 1, 0, 22, 0},
        {"smpte-offset-field", kBeyond, kContent, 27, 1, 1, 0, 22, 0},
        {"smpte-offset-field", kBeyond, kContent, 30, 1, 1, 0, 22, 0}}},
      {"SMPTE Offset at frame 24 of 24",
       smf(0, {hex("00 FF 54 05 00 00 00 18 00 00 FF 2F 00")}),
       true,
       {},
       {{"smpte-offset-field", kBeyond, kContent, 29, 1, 1, 0, 22, 0}}},
      {"SMPTE Offset at the last frame of 29.97, 59:59 and 99 hundredths",
       smf(0, {hex("00 FF 54 05 57 3B 3B 1D 63 00 FF 2F 00")}),
       true,
       {},
       {}},
      {"a Time Signature of 0 over 2 to the 7th",
       smf(0, {hex("00 FF 58 04 00 07 18 08 00 FF 2F 00")}),
       true,
       {},
       {{"time-signature-numerator", kBeyond, kContent, 26, 1, 1, 0, 22, 0},
        {"time-signature-denominator", kBeyond, kContent, 27, 1, 1, 0, 22, 0}}},
      {"a Time Signature of 4/64",
       smf(0, {hex("00 FF 58 04 04 06 18 08 00 FF 2F 00")}),
       true,
       {},
       {}},
      {"Channel Prefix 16",
       smf(0, {hex("00 FF 20 01 10 00 FF 2F 00")}),
       true,
       {},
       {{"channel-prefix-range", kBeyond, kContent, 26, 1, 1, 0, 22, 0}}},
      {"Channel Prefix 15", smf(0, {hex("00 FF 20 01 0F 00 FF 2F 00")}), true, {}, {}},
      {"eight zero bytes after the last chunk",
       concat({smf(0, {eot}), hex("00 00 00 00 00 00 00 00")}),
       true,
       {{"unknown-chunk", 30}},
       {{"not-a-chunk", kBeyond, kStructure, 26, 0, 0, 0, -1, 0}}},
  };
  for (const FindingCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome outcome = check(c.image);
    EXPECT_EQ(outcome.conforms, c.conforms);
    EXPECT_EQ(referencesOf(outcome), c.diagnostics);
    EXPECT_EQ(outcome.findings, c.findings);
    EXPECT_EQ(outcome.format, "smf");
  }
}

TEST(Library, FindingsPastTheFirstError) {
  const std::vector<FindingCase> cases = {
      {"a Copyright without (C), then a tempo of 0",
       smf(0, {hex("00 FF 02 01 41 00 FF 51 03 00 00 00 00 FF 2F 00")}),
       false,
       {{"copyright-text", 26}},
       {{"tempo-zero", kBeyond, kContent, 31, 1, 2, 0, 27, 1}}},
      {"a Copyright without (C) after a note: its placement too",
       smf(0, {hex("00 90 3C 40 00 FF 02 01 41 00 FF 2F 00")}),
       false,
       {{"copyright-text", 30}},
       {{"copyright-placement", kError, kRecommendation, 30, 1, 2, 0, 26, 1}}},
      {"a Key Signature of 8 flats, its mode 2 too",
       smf(0, {hex("00 FF 59 02 F8 02 00 FF 2F 00")}),
       false,
       {{"key-signature-flats", 26}},
       {{"key-signature-mode", kError, kContent, 26, 1, 1, 0, 22, 1}}},
      {"a tempo of two bytes is stepped over by its length",
       smf(0, {hex("00 FF 51 02 07 A1 00 90 3C 80 00 FF 2F 00")}),
       false,
       {{"meta-length-fixed", 25}},
       {{"channel-data-byte", kBeyond, kStructure, 31, 1, 2, 0, 28, 1}}},
      {"a SysEx without F7 still cancels running status",
       smf(0, {hex("00 F0 02 01 02 00 3C 40 00 FF 2F 00")}),
       false,
       {{"sysex-unterminated", 25}},
       {{"running-status", kError, kStructure, 27, 1, 2, 0, 27, 1}}},
      {"format 3, then a content error, then the first structure error ends it",
       concat({header(3, 1), chunkDeclaring("MTrk", 100, hex("00 FF 59 02 08 00 00 90 3C"))}),
       false,
       {{"format-invalid", 8}},
       {{"key-signature-sharps", kError, kContent, 26, 1, 1, 0, 22, 1},
        {"channel-data-two-bytes", kError, kStructure, 30, 1, 2, 0, 28, 1}}},
      {"SMPTE 23 frames a second, then a tempo of 0",
       concat({header(1, 1, 0xE960), track(hex("00 FF 51 03 00 00 00 00 FF 2F 00"))}),
       false,
       {{"smpte-frame-rate", 12}},
       {{"tempo-zero", kBeyond, kContent, 26, 1, 1, 0, 22, 1}}},
      {"nothing after a structure error",
       smf(0, {hex("00 F4 00 FF 51 03 00 00 00 00 FF 2F 00")}),
       false,
       {{"invalid-status", 23}},
       {}},
      {"a track count of 2 for 1 ends the file: nothing after",
       concat({header(1, 2), track(hex("00 FF 51 03 00 00 00 00 FF 2F 00"))}),
       false,
       {{"track-count", 10}},
       {{"tempo-zero", kBeyond, kContent, 26, 1, 1, 0, 22, 0}}},
  };
  for (const FindingCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome outcome = check(c.image);
    EXPECT_EQ(outcome.conforms, c.conforms);
    EXPECT_EQ(referencesOf(outcome), c.diagnostics);
    EXPECT_EQ(outcome.findings, c.findings);
  }
}

Bytes le32(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

// A RIFF RMID file: the chunks given after the form type.
Bytes rmid(const Bytes& chunks) {
  return concat(
      {text("RIFF"), le32(static_cast<std::uint32_t>(4 + chunks.size())), text("RMID"), chunks});
}

Bytes riffChunk(std::string_view type, const Bytes& data) {
  const Bytes pad(data.size() % 2, 0);
  return concat({text(type), le32(static_cast<std::uint32_t>(data.size())), data, pad});
}

// A MacBinary header: a zero byte, a name, the data fork's length at 83.
Bytes macBinary(const Bytes& dataFork) {
  Bytes header(128, 0);
  header[1] = 4;
  std::copy_n(text("song").begin(), 4, header.begin() + 2);
  const Bytes length = be32(static_cast<std::uint32_t>(dataFork.size()));
  std::copy(length.begin(), length.end(), header.begin() + 83);
  return concat({header, dataFork});
}

struct EmbeddedCase {
  std::string name;
  Bytes image;
  std::string format;
  std::int64_t embeddedOffset;
  bool embeddedConforms;
  std::vector<Found> findings;  // at offsets in the container
};

// The reference program sees no SMF header; the SMF inside is checked, and
// all it finds is a finding.
TEST(Library, AnSmfInsideAContainerIsCheckedAsItsOwn) {
  const Bytes highVelocity = smf(0, {hex("00 90 3C FF 00 FF 2F 00")});
  const std::vector<EmbeddedCase> cases = {
      {"RMID: the data chunk at 12, its SMF at 20",
       rmid(riffChunk("data", highVelocity)),
       "rmid",
       20,
       true,
       {{"channel-data-byte", kBeyond, kStructure, 45, 1, 1, 0, 42, 0}}},
      {"RMID: a LIST chunk of odd length first, the SMF at 32",
       rmid(concat({riffChunk("LIST", text("abc")),
                    riffChunk("data", smf(0, {hex("00 FF 59 02 08 00 00 FF 2F 00")}))})),
       "rmid",
       32,
       false,
       {{"key-signature-sharps", kError, kContent, 58, 1, 1, 0, 54, 0}}},
      {"RMID without a data chunk", rmid(riffChunk("LIST", text("ab"))), "rmid", -1, false, {}},
      {"RMID whose last chunk of odd length lacks its pad byte",
       rmid(concat({text("LIST"), le32(3), text("abc")})),
       "rmid",
       -1,
       false,
       {}},
      {"MacBinary: the SMF at 128", macBinary(smf(0, {endOfTrack()})), "macbinary", 128, true, {}},
      {"MacBinary: a cut SMF",
       macBinary(concat({header(0, 1), text("MTrk")})),
       "macbinary",
       128,
       false,
       {{"chunk-length-unreadable", kError, kStructure, 142, 0, 0, 0, -1, 0}}},
  };
  for (const EmbeddedCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome outcome = check(c.image);
    EXPECT_FALSE(outcome.conforms);
    EXPECT_EQ(referencesOf(outcome), (std::vector<Reference>{{"header-malformed", 0}}));
    EXPECT_EQ(outcome.format, c.format);
    EXPECT_EQ(outcome.embeddedOffset, c.embeddedOffset);
    EXPECT_EQ(outcome.embeddedConforms, c.embeddedConforms);
    EXPECT_EQ(outcome.findings, c.findings);
  }
}

struct FormatCase {
  Bytes image;
  std::string format;
};

TEST(Library, NamesWhatAFileIs) {
  const std::vector<FormatCase> cases = {
      {{}, "empty"},
      {smf(0, {endOfTrack()}), "smf"},
      {concat({text("RIFF"), le32(4), text("WAVEfmt ")}), "wave"},
      {hex("49 44 33 03 00 00 00 00 00 00"), "mp3"},  // ID3
      {hex("FF FB 90 64 00 00"), "mp3"},              // a frame header
      {hex("FF FB F0 64 00 00"), "unknown"},          // the forbidden bitrate
      {concat({text("OggS"), hex("00 02")}), "ogg"},
      {concat({text("fLaC"), hex("00 00 00 22")}), "flac"},
      {hex("50 4B 03 04 14 00"), "zip"},
      {hex("50 4B 05 06 00 00"), "zip"},
      {hex("1F 8B 08 00"), "gzip"},
      {hex("37 7A BC AF 27 1C 00 04"), "7z"},
      {concat({text("Rar!"), hex("1A 07 00")}), "rar"},
      {concat({hex("24 1B"), text("-lh5-"), hex("00 00")}), "lha"},
      {text("%PDF-1.4\n"), "pdf"},
      {hex("89 50 4E 47 0D 0A 1A 0A 00 00"), "png"},
      {hex("FF D8 FF E0 00 10"), "jpeg"},
      {text("GIF89a"), "gif"},
      {text("<!DOCTYPE html><title>404</title>"), "html"},
      {concat({hex("EF BB BF"), text("\n  <HTML><BODY>Not Found")}), "html"},
      {text("<?xml version=\"1.0\"?><x/>"), "xml"},
      {text("MIDI file list:\r\n\tsong.mid\r\n"), "text"},
      {hex("00 01 02 03 FE"), "unknown"},
      {concat({Bytes(128, 'x'), header(0, 1)}), "unknown"},  // no MacBinary zero byte
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.format);
    const Outcome outcome = check(c.image);
    EXPECT_EQ(outcome.format, c.format);
    if (c.format != "smf") {
      EXPECT_EQ(referencesOf(outcome), (std::vector<Reference>{{"header-malformed", 0}}));
      EXPECT_EQ(outcome.embeddedOffset, -1);
    }
  }
}

TEST(Library, MessagesInTheLanguageAsked) {
  const Bytes image = text("RIFF");
  EXPECT_EQ(check(image, QUELDER_LANGUAGE_EN).diagnostics.at(0).message,
            "the header chunk is malformed.");
  EXPECT_EQ(check(image, QUELDER_LANGUAGE_JA).diagnostics.at(0).message,
            "ヘッダチャンク形式が不正です。");
}

TEST(Library, BadArgumentsGetAnAnswer) {
  const Outcome empty = take(quelder_check_buffer(nullptr, 0, nullptr));
  ASSERT_EQ(empty.diagnostics.size(), 1u);
  EXPECT_EQ(empty.diagnostics[0].code, "header-malformed");
  EXPECT_EQ(empty.diagnostics[0].offset, 0);

  // Over 4 GiB - 2 bytes: answered without a byte being read.
  const std::uint8_t byte = 0;
  const Outcome huge = take(quelder_check_buffer(&byte, std::size_t{0xFFFFFFFE}, nullptr));
  ASSERT_EQ(huge.diagnostics.size(), 1u);
  EXPECT_EQ(huge.diagnostics[0].code, "memory-failed");
  EXPECT_EQ(huge.diagnostics[0].severity, QUELDER_SEVERITY_FILE_ERROR);
  EXPECT_EQ(huge.diagnostics[0].offset, -1);

  const Outcome missing = take(quelder_check_file("/nonexistent/quelder/file.mid", nullptr));
  ASSERT_EQ(missing.diagnostics.size(), 1u);
  EXPECT_EQ(missing.diagnostics[0].code, "open-failed");
  EXPECT_EQ(missing.diagnostics[0].message, "could not open /nonexistent/quelder/file.mid.");
  EXPECT_FALSE(missing.conforms);

  quelder_result_free(nullptr);
}

TEST(Library, TheReferenceTableNamesEveryCodeOnce) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < quelder_code_count(); ++i) {
    for (const quelder_language language : {QUELDER_LANGUAGE_EN, QUELDER_LANGUAGE_JA}) {
      const quelder_code_info* info = quelder_code(i, language);
      ASSERT_NE(info, nullptr);
      EXPECT_GT(std::string(info->explanation).size(), 10u) << info->code;
      EXPECT_GT(std::string(info->readers).size(), 10u) << info->code;
    }
    names.emplace_back(quelder_code(i, QUELDER_LANGUAGE_EN)->code);
  }
  EXPECT_EQ(quelder_code(quelder_code_count(), QUELDER_LANGUAGE_EN), nullptr);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
  EXPECT_STREQ(quelder_version(), QUELDER_VERSION);
}

// Images that reach many diagnostics: small valid files with bytes changed,
// inserted, removed and cut, from a fixed seed.
std::vector<Bytes> variedImages(std::size_t count) {
  const std::vector<Bytes> seeds = {
      smf(1, {hex("00 FF 58 04 04 02 18 08 00 FF 51 03 07 A1 20 00 FF 2F 00"),
              noteThen(hex("00 B0 07 64 00 C0 05 00 FF 05 03 6C 61 00 00 FF 2F 00"))}),
      smf(0, {hex("00 FF 02 03 28 43 29 00 F0 03 7E 01 F7 00 90 3C 40 3C 3E 40 00 FF 2F 00")}),
      concat({header(1, 2), chunk("XFih", hex("01 02")), track(endOfTrack()),
              track(hex("00 FF 59 02 03 00 00 E0 00 40 00 FF 2F 00"))})};
  std::mt19937 random(2026);
  std::vector<Bytes> images;
  for (std::size_t i = 0; i < count; ++i) {
    Bytes image = seeds[i % seeds.size()];
    for (std::uint32_t edits = random() % 4; edits > 0; --edits) {
      const std::size_t at = random() % (image.size() + 1);
      switch (random() % 4) {
        case 0:
          if (at < image.size()) image[at] = static_cast<std::uint8_t>(random());
          break;
        case 1: image.insert(image.begin() + at, static_cast<std::uint8_t>(random())); break;
        case 2:
          if (at < image.size()) image.erase(image.begin() + at);
          break;
        default: image.resize(at); break;
      }
    }
    images.push_back(image);
  }
  return images;
}

// Eight threads check the same images, each in its own order, and find
// exactly what one thread finds.
TEST(Library, ThreadsCheckingAtOnceFindWhatOneThreadFinds) {
  const std::vector<Bytes> images = variedImages(3000);
  std::vector<Outcome> expected;
  for (const Bytes& image : images) expected.push_back(check(image));
  const auto kinds =
      std::count_if(expected.begin(), expected.end(), [](const Outcome& o) { return o.conforms; });
  EXPECT_GT(kinds, 100);  // both verdicts occur
  EXPECT_LT(kinds, 2900);

  constexpr int kThreads = 8;
  std::vector<std::vector<Outcome>> found(kThreads, std::vector<Outcome>(images.size()));
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (std::size_t k = 0; k < images.size(); ++k) {
        const std::size_t i = (k * 7 + static_cast<std::size_t>(t) * 331) % images.size();
        found[t][i] = check(images[i], QUELDER_LANGUAGE_EN);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    for (std::size_t i = 0; i < images.size(); ++i) {
      ASSERT_EQ(found[t][i], expected[i]) << "thread " << t << ", image " << i;
    }
  }
}

}  // namespace
