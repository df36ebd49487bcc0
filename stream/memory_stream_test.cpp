// SPDX-License-Identifier: MIT
#include "stream/memory_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace {

// Every diagnostic prints lastPosition, so each step below is followed by a
// check of both offsets: a reader that moves either one wrongly shifts the
// numbers the user sees.
class MemoryStreamTest : public ::testing::Test {
 protected:
  // A 10-byte image whose byte at offset i is 0xA0 + i.
  void SetUp() override {
    for (std::uint8_t i = 0; i < image_.size(); ++i)
      image_[i] = static_cast<std::uint8_t>(0xA0 + i);
    memoryStream.attach(image_.data(), static_cast<std::uint32_t>(image_.size()));
  }

  // Moves to position (lastPosition becomes position too, being the start of
  // the skip).
  void advanceTo(std::uint32_t position) {
    memoryStream.attach(image_.data(), static_cast<std::uint32_t>(image_.size()));
    ASSERT_TRUE(memoryStream.skip(position));
    ASSERT_EQ(memoryStream.position(), position);
  }

  static void expectOffsets(std::uint32_t position, std::uint32_t lastPosition) {
    EXPECT_EQ(memoryStream.position(), position);
    EXPECT_EQ(memoryStream.lastPosition(), lastPosition);
  }

  std::array<std::uint8_t, 10> image_{};
};

TEST(MemoryStreamConstruction, NewStreamHoldsNoImage) {
  const MemoryStream stream;
  EXPECT_EQ(stream.position(), 0u);
  EXPECT_EQ(stream.lastPosition(), 0u);
  EXPECT_EQ(stream.size(), 0u);
  EXPECT_EQ(stream.lastCount(), 0u);
  std::uint8_t byte = 0x55;
  EXPECT_FALSE(stream.peekByte(&byte));
  EXPECT_EQ(byte, 0x55);
}

TEST_F(MemoryStreamTest, ReadOfAllBytesWanted) {
  advanceTo(2);
  std::array<std::uint8_t, 3> dst{};
  EXPECT_EQ(memoryStream.read(dst.data(), 3), 3u);
  EXPECT_EQ(dst, (std::array<std::uint8_t, 3>{0xA2, 0xA3, 0xA4}));
  expectOffsets(5, 2);
  EXPECT_EQ(memoryStream.lastCount(), 3u);
}

TEST_F(MemoryStreamTest, ShortReadMovesWhatRemainsThenNothing) {
  advanceTo(8);
  std::array<std::uint8_t, 4> dst{0x11, 0x11, 0x11, 0x11};
  EXPECT_EQ(memoryStream.read(dst.data(), 4), 2u);
  EXPECT_EQ(dst, (std::array<std::uint8_t, 4>{0xA8, 0xA9, 0x11, 0x11}));
  expectOffsets(10, 8);
  EXPECT_EQ(memoryStream.lastCount(), 2u);

  std::uint8_t byte = 0x22;
  EXPECT_EQ(memoryStream.read(&byte, 1), 0u);
  EXPECT_EQ(byte, 0x22);
  expectOffsets(10, 8);
  EXPECT_EQ(memoryStream.lastCount(), 2u);
}

TEST_F(MemoryStreamTest, ReadOfNothingMarksItsStartOnlyWhileDataRemains) {
  advanceTo(5);
  std::uint8_t byte = 0x33;
  EXPECT_EQ(memoryStream.read(&byte, 0), 0u);
  expectOffsets(5, 5);
  EXPECT_EQ(memoryStream.lastCount(), 0u);

  advanceTo(7);
  ASSERT_TRUE(memoryStream.skip(3));
  expectOffsets(10, 7);
  EXPECT_EQ(memoryStream.read(&byte, 0), 0u);
  expectOffsets(10, 7);
  EXPECT_EQ(memoryStream.lastCount(), 3u);
  EXPECT_EQ(byte, 0x33);
}

TEST_F(MemoryStreamTest, HugeReadIsBoundedByTheImage) {
  advanceTo(6);
  std::array<std::uint8_t, 4> dst{};
  EXPECT_EQ(memoryStream.read(dst.data(), 0xFFFFFFFF), 4u);
  EXPECT_EQ(dst, (std::array<std::uint8_t, 4>{0xA6, 0xA7, 0xA8, 0xA9}));
  expectOffsets(10, 6);
}

TEST_F(MemoryStreamTest, SkipOfNothingChangesNothingAnywhere) {
  advanceTo(4);
  EXPECT_TRUE(memoryStream.skip(0));
  expectOffsets(4, 0);
  EXPECT_EQ(memoryStream.lastCount(), 4u);

  advanceTo(6);
  ASSERT_TRUE(memoryStream.skip(4));
  EXPECT_TRUE(memoryStream.skip(0));
  expectOffsets(10, 6);
  EXPECT_EQ(memoryStream.lastCount(), 4u);
}

TEST_F(MemoryStreamTest, ShortSkipConsumesWhatRemainsAndFails) {
  advanceTo(7);
  EXPECT_FALSE(memoryStream.skip(5));
  expectOffsets(10, 7);
  EXPECT_EQ(memoryStream.lastCount(), 3u);
}

TEST_F(MemoryStreamTest, ExactSkipToTheEndThenSkipWithNothingLeft) {
  advanceTo(7);
  EXPECT_TRUE(memoryStream.skip(3));
  expectOffsets(10, 7);
  EXPECT_FALSE(memoryStream.skip(1));
  expectOffsets(10, 7);
  EXPECT_EQ(memoryStream.lastCount(), 3u);
}

TEST_F(MemoryStreamTest, PeekLeavesBothOffsetsAndTheNextReadSeesTheSameByte) {
  std::uint8_t first = 0;
  ASSERT_EQ(memoryStream.read(&first, 1), 1u);
  ASSERT_TRUE(memoryStream.skip(2));
  expectOffsets(3, 1);

  std::uint8_t peeked = 0;
  EXPECT_TRUE(memoryStream.peekByte(&peeked));
  EXPECT_EQ(peeked, 0xA3);
  expectOffsets(3, 1);
  EXPECT_EQ(memoryStream.lastCount(), 2u);

  std::uint8_t read = 0;
  EXPECT_EQ(memoryStream.read(&read, 1), 1u);
  EXPECT_EQ(read, 0xA3);
  expectOffsets(4, 3);
}

TEST_F(MemoryStreamTest, PeekAtTheEndFailsAndLeavesItsTargetAlone) {
  advanceTo(9);
  ASSERT_TRUE(memoryStream.skip(1));
  std::uint8_t byte = 0x44;
  EXPECT_FALSE(memoryStream.peekByte(&byte));
  EXPECT_EQ(byte, 0x44);
  expectOffsets(10, 9);
}

TEST_F(MemoryStreamTest, AttachStartsOverButKeepsLastCount) {
  advanceTo(6);
  ASSERT_TRUE(memoryStream.skip(3));
  expectOffsets(9, 6);

  const std::vector<std::uint8_t> other{0x01, 0x02, 0x03};
  memoryStream.attach(other.data(), static_cast<std::uint32_t>(other.size()));
  expectOffsets(0, 0);
  EXPECT_EQ(memoryStream.size(), 3u);
  EXPECT_EQ(memoryStream.lastCount(), 3u);
  std::uint8_t byte = 0;
  EXPECT_TRUE(memoryStream.peekByte(&byte));
  EXPECT_EQ(byte, 0x01);
}

TEST_F(MemoryStreamTest, EmptyImageYieldsNothing) {
  advanceTo(4);
  memoryStream.attach(image_.data(), 0);
  std::uint8_t byte = 0x66;
  EXPECT_EQ(memoryStream.read(&byte, 1), 0u);
  EXPECT_EQ(memoryStream.read(&byte, 0), 0u);
  EXPECT_FALSE(memoryStream.peekByte(&byte));
  EXPECT_FALSE(memoryStream.skip(1));
  EXPECT_TRUE(memoryStream.skip(0));
  EXPECT_EQ(byte, 0x66);
  expectOffsets(0, 0);
  EXPECT_EQ(memoryStream.lastCount(), 4u);
}

// pass() stands in for a read whose bytes are only looked at in place: it
// must move both offsets exactly as read() does, the empty case included.
TEST_F(MemoryStreamTest, PassMovesLikeAReadAndLeavesTheBytesInPlace) {
  struct Case {
    std::uint32_t start;
    std::uint32_t n;
    std::uint32_t result;
    std::uint32_t position;
    std::uint32_t lastPosition;
  };
  const Case cases[] = {
      {2, 3, 3, 5, 2},            // all bytes there
      {8, 4, 2, 10, 8},           // short: what remains
      {5, 0, 0, 5, 5},            // nothing asked while data remains: marks its start
      {6, 0xFFFFFFFF, 4, 10, 6},  // bounded by the image
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "start " << c.start << ", n " << c.n);
    advanceTo(c.start);
    EXPECT_EQ(memoryStream.pass(c.n), c.result);
    expectOffsets(c.position, c.lastPosition);
    EXPECT_EQ(memoryStream.lastCount(), c.result);
    EXPECT_EQ(memoryStream.lastBytes(), image_.data() + c.lastPosition);
    EXPECT_EQ(memoryStream.ahead(), image_.data() + c.position);
    EXPECT_EQ(memoryStream.remaining(), 10 - c.position);
  }
  // With no data left a pass changes nothing, like a read.
  advanceTo(7);
  ASSERT_TRUE(memoryStream.skip(3));
  EXPECT_EQ(memoryStream.pass(1), 0u);
  EXPECT_EQ(memoryStream.pass(0), 0u);
  expectOffsets(10, 7);
  EXPECT_EQ(memoryStream.lastCount(), 3u);
}

// An image that arrives in pieces reads exactly as the same image held whole:
// random reads, passes, skips and peeks of both, step by step, give the same
// results, offsets and bytes, and never a byte that has not yet arrived (the
// arriving block holds 0xEE until a piece is copied in). Beyond the position,
// at least kLookahead bytes (or all that are left) are always there.
struct ArrivingImage {
  const std::vector<std::uint8_t>* image;
  std::vector<std::uint8_t>* block;
  std::uint32_t arrived;
  std::uint32_t piece;
};

std::uint32_t arriveInPieces(void* source, std::uint32_t wanted) {
  auto* arriving = static_cast<ArrivingImage*>(source);
  while (arriving->arrived < wanted) {
    const std::uint32_t left =
        static_cast<std::uint32_t>(arriving->image->size()) - arriving->arrived;
    const std::uint32_t piece = left < arriving->piece ? left : arriving->piece;
    std::copy_n(arriving->image->begin() + arriving->arrived, piece,
                arriving->block->begin() + arriving->arrived);
    arriving->arrived += piece;
  }
  return arriving->arrived;
}

TEST(MemoryStreamArriving, ReadsAsTheWholeImage) {
  std::mt19937 random(27);
  for (int round = 0; round < 300; ++round) {
    std::vector<std::uint8_t> image(random() % 400);
    for (std::uint8_t& byte : image) byte = static_cast<std::uint8_t>(random());
    std::vector<std::uint8_t> block(image.size(), 0xEE);
    const auto size = static_cast<std::uint32_t>(image.size());
    ArrivingImage source{&image, &block, 0, 1 + static_cast<std::uint32_t>(random() % 100)};
    MemoryStream whole;
    whole.attach(image.data(), size);
    MemoryStream arriving;
    arriving.attachArriving(block.data(), size, arriveInPieces(&source, 0), arriveInPieces,
                            &source);
    for (int step = 0; step < 60; ++step) {
      SCOPED_TRACE(testing::Message() << "round " << round << ", step " << step);
      const std::uint32_t kind = random() % 5;
      const std::uint32_t n = random() % 8 == 0   ? 0xFFFFFFFF
                              : random() % 4 == 0 ? static_cast<std::uint32_t>(random() % 300)
                                                  : static_cast<std::uint32_t>(random() % 12);
      if (kind == 0) {
        std::vector<std::uint8_t> fromWhole(n < 400 ? n : 400);
        std::vector<std::uint8_t> fromArriving(fromWhole.size());
        const std::uint32_t count = whole.read(fromWhole.data(), n < 400 ? n : 400);
        ASSERT_EQ(arriving.read(fromArriving.data(), n < 400 ? n : 400), count);
        ASSERT_EQ(fromArriving, fromWhole);
      } else if (kind == 1) {
        ASSERT_EQ(arriving.pass(n), whole.pass(n));
        ASSERT_TRUE(std::equal(arriving.lastBytes(), arriving.lastBytes() + arriving.lastCount(),
                               whole.lastBytes()));
      } else if (kind == 2) {
        ASSERT_EQ(arriving.skip(n), whole.skip(n));
      } else {
        std::uint8_t fromWhole = 0;
        std::uint8_t fromArriving = 0;
        ASSERT_EQ(arriving.peekByte(&fromArriving), whole.peekByte(&fromWhole));
        ASSERT_EQ(fromArriving, fromWhole);
      }
      ASSERT_EQ(arriving.position(), whole.position());
      ASSERT_EQ(arriving.lastPosition(), whole.lastPosition());
      ASSERT_EQ(arriving.lastCount(), whole.lastCount());
      const std::uint32_t left = size - whole.position();
      ASSERT_GE(arriving.remaining(),
                left < MemoryStream::kLookahead ? left : MemoryStream::kLookahead);
      ASSERT_LE(arriving.remaining(), left);
      ASSERT_TRUE(
          std::equal(arriving.ahead(), arriving.ahead() + arriving.remaining(), whole.ahead()));
    }
  }
}

}  // namespace
