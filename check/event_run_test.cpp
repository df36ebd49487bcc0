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
    for (std::uint32_t i = 0; i < count; ++i) appendEvent(&events);
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

}  // namespace
