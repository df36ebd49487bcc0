// SPDX-License-Identifier: MIT
// The fast path against the general steps: thousands of images from a
// fixed-seed generator, each checked both ways, must print and answer the
// same. The generator leans on the fast path's edges: runs that end a few
// bytes before the end of the image or of the track, delta times of one to
// five bytes, data bytes under running status after SysEx, meta events and
// track ends, declared track lengths a few bytes off, Copyright Notices after
// channel messages, and meta events of every type that a run takes or stops
// at, with right and wrong lengths, length quantities of one to five bytes,
// data that runs past the track or the image, and Set Tempo in first and
// later tracks of formats 0 and 1.
#include "check/event_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "check/check_file.h"

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
        for (std::uint32_t i = 1 + below(2); i > 0; --i) out->push_back(dataByte());
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
      if (odd == 0) out->push_back(static_cast<std::uint8_t>(0x80 | dataByte()));
      out->push_back(dataByte());
      if (odd == 1) out->push_back(static_cast<std::uint8_t>(0x80 + below(0x70)));
      out->push_back(odd == 2 ? static_cast<std::uint8_t>(0x80 | dataByte()) : dataByte());
      out->push_back(odd == 3 ? static_cast<std::uint8_t>(0x80 | dataByte()) : dataByte());
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
    for (std::uint32_t i = length >= 0x80 ? below(8) : length; i > 0; --i)
      out->push_back(dataByte());
  }

  std::mt19937 random_{20261208};
};

struct Outcome {
  bool conforms;
  std::string diagnostics;
};

Outcome check(const Bytes& image, EventPath path) {
  testing::internal::CaptureStderr();
  const bool conforms = checkImage(image.data(), static_cast<std::uint32_t>(image.size()), path);
  return {conforms, testing::internal::GetCapturedStderr()};
}

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

Outcome checkArriving(const Bytes& image, std::uint32_t piece) {
  ArrivingImage arriving{&image, Bytes(image.size(), 0xEE), 0, piece};
  const std::uint32_t available = arriveInPieces(&arriving, 0);
  testing::internal::CaptureStderr();
  const bool conforms =
      checkArrivingImage(arriving.block.data(), static_cast<std::uint32_t>(image.size()), available,
                         arriveInPieces, &arriving);
  return {conforms, testing::internal::GetCapturedStderr()};
}

TEST(EventRun, FastAndGeneralPathsPrintAndAnswerTheSame) {
  ImageGenerator generator;
  int conforming = 0;
  for (int i = 0; i < 3000; ++i) {
    const Bytes image = generator.image();
    const Outcome fast = check(image, EventPath::fast);
    const Outcome general = check(image, EventPath::general);
    ASSERT_EQ(fast.diagnostics, general.diagnostics) << "image " << i;
    ASSERT_EQ(fast.conforms, general.conforms) << "image " << i;
    conforming += fast.conforms ? 1 : 0;
  }
  // Both verdicts occur, so the comparison covers passing runs and failures.
  EXPECT_GT(conforming, 30);
  EXPECT_LT(conforming, 2900);
}

// Runs stop where the bytes that have arrived end, and the general steps
// bring in more: an image arriving in pieces of 1 to 16 bytes prints and
// answers what it does held whole.
TEST(EventRun, ImagesArrivingInPiecesPrintAndAnswerTheSame) {
  ImageGenerator generator;
  for (int i = 0; i < 3000; ++i) {
    const Bytes image = generator.image();
    const Outcome whole = check(image, EventPath::fast);
    const Outcome arriving = checkArriving(image, 1 + i % 16);
    ASSERT_EQ(arriving.diagnostics, whole.diagnostics) << "image " << i;
    ASSERT_EQ(arriving.conforms, whole.conforms) << "image " << i;
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
    EXPECT_EQ(skipEventRun(file, &state), before + notes + 1) << notes;
    EXPECT_EQ(state.elapsedTicks, ticks) << notes;
    EXPECT_EQ(state.eventIndex, before + notes + 1) << notes;
    EXPECT_EQ(state.runningStatus, 0x90) << notes;
    EXPECT_EQ(memoryStream.position(), stop) << notes;
    EXPECT_EQ(memoryStream.lastPosition(), stop - 2) << notes;  // the last note's data
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
    EXPECT_EQ(skipEventRun(FileState{}, &state), c.events) << int{c.sharps} << " " << int{c.mode};
  }
}

}  // namespace
