// SPDX-License-Identifier: MIT
#include "stream/memory_stream.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
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

}  // namespace
