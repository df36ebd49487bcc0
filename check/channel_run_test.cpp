// SPDX-License-Identifier: MIT
// The fast path against the general steps: thousands of images from a
// fixed-seed generator, each checked both ways, must print and answer the
// same. The generator leans on the fast path's edges: runs that end a few
// bytes before the end of the image or of the track, delta times of one to
// five bytes, data bytes under running status after SysEx, meta events and
// track ends, declared track lengths a few bytes off, and Copyright Notices
// after channel messages.
#include "check/channel_run.h"

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
    if (below(8) != 0) events.insert(events.end(), {0x00, 0xFF, 0x2F, 0x00});
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
    switch (below(10)) {
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
      default:  // a channel message, its status byte often left out
        if (below(3) != 0) out->push_back(static_cast<std::uint8_t>(0x80 + below(0x70)));
        for (std::uint32_t i = 1 + below(2); i > 0; --i) out->push_back(dataByte());
        break;
    }
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

TEST(ChannelRun, FastAndGeneralPathsPrintAndAnswerTheSame) {
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
