// SPDX-License-Identifier: MIT
// The fast path against the general steps: thousands of images from a
// fixed-seed generator, each checked both ways, in a reference check and in one
// looking for findings, must find and answer the same, down to where in the
// music each diagnostic is. The generator leans on the fast path's edges: runs
// that end a few bytes before the end of the image or of the track, delta times
// of one to five bytes, data bytes under running status after SysEx, meta
// events and track ends, declared track lengths a few bytes off, Copyright
// Notices after channel messages, and meta events of every type that a run
// takes or stops at, with right and wrong lengths, length quantities of one to
// five bytes, data that runs past the track or the image, and Set Tempo in
// first and later tracks of formats 0 and 1.
#include "check/event_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "check/check_file.h"
#include "tests/support/collected_diagnostics.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class ImageGenerator {
 public:
  Bytes image() {
    const std::uint32_t tracks = 1 + below(3);
    Bytes out = {'M',  'T',
                 'h',  'd',
                 0,    0,
                 0,    6,
                 0,    static_cast<std::uint8_t>(below(2)),
                 0,    static_cast<std::uint8_t>(tracks),
                 0x01, 0xE0};
    for (std::uint32_t i = 0; i < tracks; ++i) appendTrack(&out);
    // Cut 0 to 8 bytes off the end now and then.
    if (below(4) == 0) out.resize(out.size() - std::min<std::size_t>(out.size(), below(9)));
    return out;
  }

 private:
  std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(random_() % n); }
  std::uint8_t dataByte() { return static_cast<std::uint8_t>(below(0x80)); }
  std::uint8_t highByte() { return static_cast<std::uint8_t>(0x80 | dataByte()); }

  void appendTrack(Bytes* out) {
    Bytes events;
    const std::uint32_t count = below(12);
    for (std::uint32_t i = 0; i < count; ++i) {
      if (below(4) == 0) {
        appendNoteStretch(&events);
      } else {
        appendEvent(&events);
      }
    }
    if (below(8) != 0) {
      events.insert(events.end(), {0x00, 0xFF, 0x2F, 0x00});
    } else if (below(2) == 0) {
      // No End of Track: a text event without data, its length spelt in four
      // bytes, which ends the image when its track is the last.
      events.insert(events.end(), {0x00, 0xFF, 0x01, 0x80, 0x80, 0x80, 0x00});
    }
    // Often exact, otherwise off by -7 to +7.
    const std::int64_t declared =
        static_cast<std::int64_t>(events.size()) + (below(2) == 0 ? 0 : int(below(15)) - 7);
    const auto length = static_cast<std::uint32_t>(declared < 0 ? 0 : declared);
    out->insert(out->end(),
                {'M', 'T', 'r', 'k', static_cast<std::uint8_t>(length >> 24),
                 static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 8),
                 static_cast<std::uint8_t>(length)});
    out->insert(out->end(), events.begin(), events.end());
  }

  // One to five bytes; the value is often 0, in any of those lengths.
  void appendDeltaTime(Bytes* out) {
    const std::uint32_t size = below(8) == 0 ? 2 + below(4) : 1;
    const bool zero = below(2) == 0;
    for (std::uint32_t i = 0; i < size; ++i) {
      const std::uint8_t bits = zero ? 0 : dataByte();
      out->push_back(i + 1 < size ? (bits | 0x80) : bits);
    }
  }

  void appendEvent(Bytes* out) {
    appendDeltaTime(out);
    switch (below(13)) {
      case 0:  // SysEx, F0 or escape form, sometimes unterminated
        out->insert(out->end(), {below(2) == 0 ? std::uint8_t{0xF0} : std::uint8_t{0xF7}, 2,
                                 dataByte(), below(4) == 0 ? dataByte() : std::uint8_t{0xF7}});
        break;
      case 1:  // Copyright Notice
        out->insert(out->end(), {0xFF, 0x02, 3, '(', 'C', ')'});
        break;
      case 2:  // Set Tempo, Key Signature, End of Track or an unknown type
        out->insert(out->end(),
                    {0xFF, std::array<std::uint8_t, 4>{0x51, 0x59, 0x2F, 0x60}[below(4)],
                     static_cast<std::uint8_t>(below(4))});
        for (std::uint32_t i = out->back(); i > 0; --i) out->push_back(dataByte());
        break;
      case 3:  // a status byte no track may hold
        out->push_back(static_cast<std::uint8_t>(0xF1 + below(14)));
        break;
      case 4:
      case 5:
      case 6: appendMetaEvent(out); break;
      default:  // a channel message, its status byte often left out
        if (below(3) != 0) out->push_back(static_cast<std::uint8_t>(0x80 + below(0x70)));
        out->push_back(dataByte());
        if (below(2) == 0) out->push_back(below(16) == 0 ? highByte() : dataByte());
        break;
    }
  }

  // Notes under running status, one-byte delta times, in stretches of 1 to
  // 30 that the eight-at-once step takes; now and then a two-byte delta time,
  // a status byte or a data byte with its top bit set among them.
  void appendNoteStretch(Bytes* out) {
    out->insert(out->end(), {0x00, static_cast<std::uint8_t>(0x90 + below(16))});
    out->insert(out->end(), {dataByte(), dataByte()});
    for (std::uint32_t i = below(30); i > 0; --i) {
      const std::uint32_t odd = below(40);
      if (odd == 0) out->push_back(highByte());
      out->push_back(dataByte());
      if (odd == 1) out->push_back(static_cast<std::uint8_t>(0x80 + below(0x70)));
      out->push_back(odd == 2 ? highByte() : dataByte());
      out->push_back(odd == 3 ? highByte() : dataByte());
    }
  }

  // A meta event of a type that runs take or that stops them, its length
  // mostly right for the type, now and then wrong or spelt in more bytes than
  // needed (up to an invalid fifth), its data now and then past the end of
  // the image.
  void appendMetaEvent(Bytes* out) {
    static constexpr std::array<std::uint8_t, 16> kTypes = {0x01, 0x03, 0x04, 0x05, 0x06, 0x07,
                                                            0x7F, 0x20, 0x58, 0x51, 0x51, 0x00,
                                                            0x54, 0x08, 0x2F, 0x59};
    const std::uint8_t type = kTypes[below(kTypes.size())];
    const int required = metaType(type).requiredLength;
    std::uint32_t length = required == kAnyLength ? below(4) : static_cast<std::uint32_t>(required);
    if (below(6) == 0) length = below(6);
    if (below(10) == 0) length = 128 + below(3);  // two bytes of quantity, most of it past the end
    out->insert(out->end(), {0xFF, type});
    const std::uint32_t padding = below(5) == 0 ? 1 + below(4) : 0;  // leading 0x80 bytes
    for (std::uint32_t i = 0; i < padding; ++i) out->push_back(0x80);
    if (length >= 0x80) out->push_back(static_cast<std::uint8_t>(0x80 | length >> 7));
    out->push_back(static_cast<std::uint8_t>(length & 0x7F));
    if (type == 0x59 && length == 2) {
      // Key Signature: nine flats to nine sharps, the mode 0 to 2, so that
      // about half are legal and every edge of the values occurs.
      out->insert(out->end(), {static_cast<std::uint8_t>(int(below(19)) - 9),
                               static_cast<std::uint8_t>(below(3))});
      return;
    }
    // All zeros now and then: a tempo of 0, a time signature of 0/1.
    const bool zeros = below(4) == 0;
    for (std::uint32_t i = length >= 0x80 ? below(8) : length; i > 0; --i)
      out->push_back(zeros ? 0 : dataByte());
  }

  std::mt19937 random_{20261208};
};

// An image that arrives in pieces of `piece` bytes, as a file read while it
// is checked; the block holds 0xEE where nothing has arrived yet.
struct ArrivingImage {
  const Bytes* image;
  Bytes block;
  std::uint32_t arrived;
  std::uint32_t piece;
};

std::uint32_t arriveInPieces(void* source, std::uint32_t wanted) {
  auto* arriving = static_cast<ArrivingImage*>(source);
  while (arriving->arrived < wanted) {
    const auto left = static_cast<std::uint32_t>(arriving->image->size()) - arriving->arrived;
    const std::uint32_t piece = std::min(left, arriving->piece);
    std::copy_n(arriving->image->begin() + arriving->arrived, piece,
                arriving->block.begin() + arriving->arrived);
    arriving->arrived += piece;
  }
  return arriving->arrived;
}

CheckOutcome checkArriving(const Bytes& image, std::uint32_t piece) {
  ArrivingImage arriving{&image, Bytes(image.size(), 0xEE), 0, piece};
  const std::uint32_t available = arriveInPieces(&arriving, 0);
  CheckOutcome outcome;
  outcome.conforms =
      checkArrivingImage(arriving.block.data(), static_cast<std::uint32_t>(image.size()), available,
                         arriveInPieces, &arriving, collectingSink(&outcome.diagnostics));
  return outcome;
}

constexpr CheckMode kModes[] = {CheckMode::reference, CheckMode::findings};

const char* modeName(CheckMode mode) {
  return mode == CheckMode::findings ? "looking for findings" : "reference";
}

TEST(EventRun, FastAndGeneralPathsPrintAndAnswerTheSame) {
  std::array<std::size_t, 2> diagnosticsIn{};  // by mode
  for (const CheckMode mode : kModes) {
    ImageGenerator generator;
    int conforming = 0;
    std::size_t diagnostics = 0;
    for (int i = 0; i < 3000; ++i) {
      const Bytes image = generator.image();
      const CheckOutcome fast = checkCollecting(image, EventPath::fast, mode);
      const CheckOutcome general = checkCollecting(image, EventPath::general, mode);
      // Every value of every diagnostic, its place in the music included.
      ASSERT_EQ(fast, general) << modeName(mode) << ", image " << i << "\nfast:\n"
                               << describe(fast) << "general:\n"
                               << describe(general);
      conforming += fast.conforms ? 1 : 0;
      diagnostics += fast.diagnostics.size();
    }
    // Both verdicts occur, so the comparison covers passing runs and failures.
    EXPECT_GT(conforming, 30) << modeName(mode);
    EXPECT_LT(conforming, 2900) << modeName(mode);
    diagnosticsIn[static_cast<int>(mode)] = diagnostics;
  }
  // Findings add to what the reference check reports.
  EXPECT_GT(diagnosticsIn[1], diagnosticsIn[0] + 300);
}

// Runs stop where the bytes that have arrived end, and the general steps
// bring in more: an image arriving in pieces of 1 to 16 bytes prints and
// answers what it does held whole.
TEST(EventRun, ImagesArrivingInPiecesPrintAndAnswerTheSame) {
  ImageGenerator generator;
  for (int i = 0; i < 3000; ++i) {
    const Bytes image = generator.image();
    const CheckOutcome whole = checkCollecting(image, EventPath::fast);
    const CheckOutcome arriving = checkArriving(image, 1 + i % 16);
    ASSERT_EQ(arriving, whole) << "image " << i << "\nwhole:\n"
                               << describe(whole) << "arriving:\n"
                               << describe(arriving);
  }
}

// The state that no diagnostic shows once a channel message has passed:
// the sum of the delta times and the event count. Notes under running status
// with one-byte delta times, in every count from 1 to 40 (the eight-at-once
// step, the one-at-a-time step and their hand-overs), then a five-byte delta
// time that stops the run. The second forty come after a short stretch (three
// notes, then one with a two-byte delta time) whose try of eight at once
// takes nothing, so that the stretch after it tries later.
TEST(EventRun, NotesUnderRunningStatusAddUpTheirDeltaTimes) {
  std::mt19937 random(7);
  for (std::uint32_t round = 0; round < 80; ++round) {
    const std::uint32_t notes = 1 + round % 40;
    const std::uint32_t before = round < 40 ? 0 : 4;
    Bytes track = {0x00, 0x90, 60, 100};
    std::uint64_t ticks = 0;
    if (before > 0) {
      track.insert(track.end(), {1, 60, 0, 2, 61, 0, 3, 62, 0, 0x81, 0x00, 63, 0});
      ticks = 1 + 2 + 3 + 0x80;
    }
    for (std::uint32_t i = 0; i < notes; ++i) {
      const auto delta = static_cast<std::uint8_t>(random() % 0x80);
      ticks += delta;
      track.insert(track.end(), {delta, 60, static_cast<std::uint8_t>(random() % 0x100)});
    }
    const auto stop = static_cast<std::uint32_t>(track.size());
    track.insert(track.end(), {0x81, 0x81, 0x81, 0x81, 0x01, 0x80, 0x00});
    memoryStream.attach(track.data(), static_cast<std::uint32_t>(track.size()));
    TrackState state;
    state.trackLength = static_cast<std::uint32_t>(track.size());
    const FileState file;
    EXPECT_EQ(skipEventRun<CheckMode::reference>(file, &state), before + notes + 1) << notes;
    EXPECT_EQ(state.elapsedTicks, ticks) << notes;
    EXPECT_EQ(state.eventIndex, before + notes + 1) << notes;
    EXPECT_EQ(state.runningStatus, 0x90) << notes;
    EXPECT_EQ(memoryStream.position(), stop) << notes;
    EXPECT_EQ(memoryStream.lastPosition(), stop - 2) << notes;  // the last note's data
  }
}

// --- The bounds of a run -----------------------------------------------------
//
// A run takes only events that start inside the track's declared length and
// far enough before the end of the image; the eight-at-a-time step only
// notes that end inside both. The tables below cut the image, or declare the
// track to end, at every byte of short runs of each kind of event a run
// takes, so that an event one byte past either bound is met, and expect of
// the fast path exactly what the general steps print and answer.

// A header and one track chunk declaring trackLength bytes, then data.
Bytes oneTrackImage(std::uint16_t format, std::uint32_t trackLength, const Bytes& data) {
  Bytes image = {'M', 'T', 'h', 'd',  0,   0,   0,   6,  0, static_cast<std::uint8_t>(format),
                 0,   1,   0,   0x60, 'M', 'T', 'r', 'k'};
  for (int shift = 24; shift >= 0; shift -= 8) {
    image.push_back(static_cast<std::uint8_t>(trackLength >> shift));
  }
  image.insert(image.end(), data.begin(), data.end());
  return image;
}

constexpr std::size_t kTrackData = 22;  // where a track's data starts in oneTrackImage

// Checks the image both ways in each mode; on a difference adds a failure
// naming what and returns false.
bool pathsAgree(const Bytes& image, const std::string& what) {
  for (const CheckMode mode : kModes) {
    const CheckOutcome fast = checkCollecting(image, EventPath::fast, mode);
    const CheckOutcome general = checkCollecting(image, EventPath::general, mode);
    if (fast == general) continue;
    ADD_FAILURE() << what << ", " << modeName(mode) << ": the fast path found\n"
                  << describe(fast) << "the general steps\n"
                  << describe(general);
    return false;
  }
  return true;
}

// The track's events, then End of Track, cut by the end of the image at
// every byte from the start of the track's data; the track declares them all.
bool agreeWithTheImageCut(std::uint16_t format, const Bytes& events, const std::string& what) {
  Bytes data = events;
  data.insert(data.end(), {0x00, 0xFF, 0x2F, 0x00});
  const Bytes whole = oneTrackImage(format, static_cast<std::uint32_t>(data.size()), data);
  for (std::size_t size = kTrackData; size <= whole.size(); ++size) {
    const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    if (!pathsAgree(cut, what + ", image cut after " + std::to_string(size) + " bytes")) {
      return false;
    }
  }
  return true;
}

// The track's events, End of Track and eight bytes more (so that the image
// ends well after them), the track declared every length from 0 to all of it.
bool agreeWithTheTrackCut(std::uint16_t format, const Bytes& events, const std::string& what) {
  Bytes data = events;
  data.insert(data.end(), {0x00, 0xFF, 0x2F, 0x00, 0x00, 0x90, 0x3C, 0x40, 0x00, 0x3C, 0x40, 0x00});
  for (std::uint32_t length = 0; length <= data.size(); ++length) {
    if (!pathsAgree(oneTrackImage(format, length, data),
                    what + ", track declared " + std::to_string(length) + " bytes")) {
      return false;
    }
  }
  return true;
}

// A kind of run: its first event, then the event repeated after it.
struct RunKind {
  const char* name;
  std::uint16_t format;
  Bytes first;
  Bytes next;
};

// Every event length a run takes: channel messages of one and two data
// bytes, with a status byte and under running status, delta times of one to
// four bytes, meta events of the types a run takes (with and without data,
// lengths spelt in up to four bytes), and mixtures.
const std::vector<RunKind>& runKinds() {
  static const std::vector<RunKind> kinds = {
      {"Note On, each with its status", 0, {0x00, 0x90, 0x3C, 0x40}, {0x00, 0x90, 0x3C, 0x40}},
      {"Program Change, each with its status", 0, {0x00, 0xC0, 0x05}, {0x00, 0xC0, 0x05}},
      {"Note On under running status", 0, {0x00, 0x90, 0x3C, 0x40}, {0x01, 0x3E, 0x00}},
      // Data bytes with the top bit set: framed by length, found as findings.
      {"Note On, a high second data byte", 0, {0x00, 0x90, 0x3C, 0x40}, {0x01, 0x3E, 0xC0}},
      {"Program Change of a high data byte", 0, {0x00, 0xC0, 0x85}, {0x00, 0xC0, 0x05}},
      {"Set Tempo of 0", 0, {0x00, 0xFF, 0x51, 0x03, 0, 0, 0}, {0x00, 0x90, 0x3C, 0x40}},
      {"Program Change under running status", 0, {0x00, 0xC0, 0x05}, {0x01, 0x06}},
      {"two-byte delta times, running status",
       0,
       {0x81, 0x00, 0xB0, 0x07, 0x64},
       {0x81, 0x00, 0x07, 0x65}},
      {"three-byte delta times, Channel Pressure",
       0,
       {0x81, 0x80, 0x00, 0xD0, 0x10},
       {0x81, 0x80, 0x00, 0xD0, 0x11}},
      {"four-byte delta times, Note On",
       0,
       {0x81, 0x81, 0x81, 0x01, 0x90, 0x3C, 0x40},
       {0x81, 0x81, 0x81, 0x01, 0x90, 0x3C, 0x40}},
      {"four-byte delta times, running status",
       0,
       {0x81, 0x81, 0x81, 0x01, 0xE0, 0x00, 0x40},
       {0xFF, 0xFF, 0xFF, 0x7F, 0x01, 0x40}},
      {"Text without data", 0, {0x00, 0xFF, 0x01, 0x00}, {0x00, 0xFF, 0x01, 0x00}},
      {"Text without data, four-byte delta times",
       0,
       {0x81, 0x81, 0x81, 0x01, 0xFF, 0x01, 0x00},
       {0x81, 0x81, 0x81, 0x01, 0xFF, 0x01, 0x00}},
      {"Cue Point without data, length in four bytes",
       0,
       {0x00, 0xFF, 0x07, 0x80, 0x80, 0x80, 0x00},
       {0x00, 0xFF, 0x07, 0x80, 0x80, 0x80, 0x00}},
      {"Lyric of three bytes",
       0,
       {0x00, 0xFF, 0x05, 0x03, 'l', 'a', 'h'},
       {0x00, 0xFF, 0x05, 0x03, 'l', 'a', 'h'}},
      {"Marker, length in two bytes",
       0,
       {0x00, 0xFF, 0x06, 0x80, 0x01, 'A'},
       {0x00, 0xFF, 0x06, 0x80, 0x01, 'B'}},
      {"Set Tempo in format 1's first track",
       1,
       {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20},
       {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}},
      {"Time Signature",
       0,
       {0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08},
       {0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08}},
      {"Channel Prefix", 0, {0x00, 0xFF, 0x20, 0x01, 0x00}, {0x00, 0xFF, 0x20, 0x01, 0x01}},
      {"a Lyric before each note",
       0,
       {0x00, 0x90, 0x3C, 0x40},
       {0x00, 0xFF, 0x05, 0x01, 'a', 0x00, 0x90, 0x3C, 0x40}},
      {"Program Change and Note On by turns",
       0,
       {0x00, 0xC0, 0x05},
       {0x00, 0x90, 0x3C, 0x40, 0x00, 0xC0, 0x06}},
  };
  return kinds;
}

Bytes runOf(const RunKind& kind, std::uint32_t events) {
  Bytes out = kind.first;
  for (std::uint32_t i = 1; i < events; ++i)
    out.insert(out.end(), kind.next.begin(), kind.next.end());
  return out;
}

constexpr std::uint32_t kLongestRun = 12;

TEST(EventRun, ShortRunsWithTheImageCutAtEveryByte) {
  for (const RunKind& kind : runKinds()) {
    for (std::uint32_t events = 1; events <= kLongestRun; ++events) {
      const std::string what = std::string(kind.name) + " x" + std::to_string(events);
      if (!agreeWithTheImageCut(kind.format, runOf(kind, events), what)) break;
    }
  }
}

TEST(EventRun, ShortRunsWithTheTrackCutAtEveryByte) {
  for (const RunKind& kind : runKinds()) {
    for (std::uint32_t events = 1; events <= kLongestRun; ++events) {
      const std::string what = std::string(kind.name) + " x" + std::to_string(events);
      if (!agreeWithTheTrackCut(kind.format, runOf(kind, events), what)) break;
    }
  }
}

// A Note On, then notes under running status with one-byte delta times: the
// stretches that the eight-at-a-time step takes, and their hand-overs to the
// one-at-a-time step, in every count from 1 to 40.
Bytes noteStretch(std::uint32_t notes) {
  Bytes out = {0x00, 0x90, 0x3C, 0x40};
  for (std::uint32_t i = 0; i < notes; ++i) {
    out.insert(out.end(), {static_cast<std::uint8_t>(i % 5), static_cast<std::uint8_t>(0x30 + i),
                           static_cast<std::uint8_t>(i % 2 == 0 ? 0x40 : 0x00)});
  }
  return out;
}

constexpr std::uint32_t kLongestStretch = 40;

TEST(EventRun, NoteStretchesWithTheImageCutAtEveryByte) {
  for (std::uint32_t notes = 1; notes <= kLongestStretch; ++notes) {
    if (!agreeWithTheImageCut(0, noteStretch(notes), std::to_string(notes) + " notes")) break;
  }
}

TEST(EventRun, NoteStretchesWithTheTrackCutAtEveryByte) {
  for (std::uint32_t notes = 1; notes <= kLongestStretch; ++notes) {
    if (!agreeWithTheTrackCut(0, noteStretch(notes), std::to_string(notes) + " notes")) break;
  }
}

// Key Signature joins a run with legal values only: a run takes the event
// (one event) or stops before it (none), and the general steps report it.
TEST(EventRun, KeySignaturesJoinRunsWithLegalValuesOnly) {
  const struct {
    std::uint8_t sharps;
    std::uint8_t mode;
    std::uint32_t events;
  } cases[] = {{0xF9, 0x01, 1}, {0x07, 0x00, 1}, {0x00, 0x01, 1}, {0xF8, 0x00, 0},
               {0x08, 0x01, 0}, {0x00, 0x02, 0}, {0x80, 0x00, 0}, {0x00, 0xFF, 0}};
  for (const auto& c : cases) {
    Bytes track = {0x00, 0xFF, 0x59, 0x02, c.sharps, c.mode, 0x00, 0xFF, 0x2F, 0x00};
    memoryStream.attach(track.data(), static_cast<std::uint32_t>(track.size()));
    TrackState state;
    state.trackLength = static_cast<std::uint32_t>(track.size());
    EXPECT_EQ(skipEventRun<CheckMode::reference>(FileState{}, &state), c.events)
        << int{c.sharps} << " " << int{c.mode};
  }
}

}  // namespace
