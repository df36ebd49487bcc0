// SPDX-License-Identifier: MIT
#include "stream/field_readers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "stream/memory_stream.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Each check runs on a fresh 256-byte buffer and the one global stream, as a
// check of a file does.
class FieldReadersTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(scratchBuffer.create()); }
  void TearDown() override { scratchBuffer.release(); }

  // Attaches the stream to image and steps over its first start bytes, so
  // that lastPosition is 0 and the reader under test begins at start.
  void attach(Bytes image, std::uint32_t start = 0) {
    image_ = std::move(image);
    memoryStream.attach(image_.data(), static_cast<std::uint32_t>(image_.size()));
    ASSERT_TRUE(memoryStream.skip(start));
  }

  // The first count bytes that the latest read left in the buffer.
  static Bytes scratchBytes(std::uint32_t count) {
    return Bytes(scratchBuffer.data(), scratchBuffer.data() + count);
  }

  static void expectOffsets(std::uint32_t position, std::uint32_t lastPosition) {
    EXPECT_EQ(memoryStream.position(), position);
    EXPECT_EQ(memoryStream.lastPosition(), lastPosition);
  }

  Bytes image_;
};

// Bytes 0, 1, 2, ... up to size, each the low byte of its offset.
Bytes countingImage(std::uint32_t size) {
  Bytes image(size);
  for (std::uint32_t i = 0; i < size; ++i) image[i] = static_cast<std::uint8_t>(i);
  return image;
}

// --- readBytes ------------------------------------------------------------

TEST_F(FieldReadersTest, ReadBytesMovesAllBytesWanted) {
  attach(countingImage(10), 3);
  EXPECT_EQ(readBytes(4), 4u);
  EXPECT_EQ(scratchBytes(4), (Bytes{3, 4, 5, 6}));
  expectOffsets(7, 3);
}

TEST_F(FieldReadersTest, ReadBytesShortOfDataMovesWhatRemains) {
  attach(countingImage(10), 7);
  EXPECT_EQ(readBytes(5), 3u);
  EXPECT_EQ(scratchBytes(3), (Bytes{7, 8, 9}));
  expectOffsets(10, 7);
}

TEST_F(FieldReadersTest, ReadBytesWithNoDataLeftChangesNothing) {
  attach(countingImage(10), 6);
  ASSERT_TRUE(memoryStream.skip(4));
  EXPECT_EQ(readBytes(1), 0u);
  expectOffsets(10, 6);
}

TEST_F(FieldReadersTest, ReadBytesOfNothingMarksItsStart) {
  attach(countingImage(10), 5);
  EXPECT_EQ(readBytes(0), 0u);
  expectOffsets(5, 5);
  EXPECT_EQ(scratchBuffer.capacity(), 256u);
}

// Only the bytes just read are replaced; no terminator follows them.
TEST_F(FieldReadersTest, ReadBytesLeavesTheRestOfTheBufferAsItWas) {
  attach(Bytes{0x41, 0x42, 0x43, 0x44, 0x45, 0x46});
  ASSERT_EQ(readBytes(4), 4u);
  ASSERT_EQ(readBytes(1), 1u);
  EXPECT_EQ(scratchBytes(4), (Bytes{0x45, 0x42, 0x43, 0x44}));
  ASSERT_EQ(readBytes(3), 1u);
  EXPECT_EQ(scratchBytes(4), (Bytes{0x46, 0x42, 0x43, 0x44}));
  expectOffsets(6, 5);
}

// --- ScratchBuffer growth -------------------------------------------------

TEST_F(FieldReadersTest, BufferGrowsToTheRequestPlus256OnlyWhenItDoesNotFit) {
  const Bytes image = countingImage(2000);
  attach(image);
  struct Step {
    std::uint32_t request;
    std::uint32_t capacity;
  };
  std::uint32_t start = 0;
  for (const Step step :
       {Step{256, 256}, Step{300, 556}, Step{556, 556}, Step{557, 813}, Step{1, 813}}) {
    SCOPED_TRACE(step.request);
    EXPECT_EQ(readBytes(step.request), step.request);
    EXPECT_EQ(scratchBuffer.capacity(), step.capacity);
    // The block may have moved: its contents are what was just read.
    EXPECT_EQ(scratchBytes(step.request),
              Bytes(image.begin() + start, image.begin() + start + step.request));
    expectOffsets(start + step.request, start);
    start += step.request;
  }
  EXPECT_FALSE(scratchBuffer.exhausted());
}

TEST_F(FieldReadersTest, CreateStartsOverAt256AfterGrowth) {
  attach(countingImage(1000));
  ASSERT_EQ(readBytes(700), 700u);
  ASSERT_EQ(scratchBuffer.capacity(), 956u);
  ASSERT_TRUE(scratchBuffer.create());
  EXPECT_EQ(scratchBuffer.capacity(), 256u);
  EXPECT_FALSE(scratchBuffer.exhausted());
  scratchBuffer.release();
  EXPECT_EQ(scratchBuffer.capacity(), 0u);
  EXPECT_EQ(scratchBuffer.data(), nullptr);
}

// A declared length far beyond the file must not reserve memory for bytes
// that are not there: the buffer grows only to what can be read, plus 256.
TEST_F(FieldReadersTest, HugeRequestGrowsOnlyForTheBytesLeft) {
  struct Case {
    std::string name;
    std::uint32_t imageSize;
    std::uint32_t start;
    std::uint32_t request;
    std::uint32_t count;
    std::uint32_t capacity;
  };
  const std::vector<Case> cases{
      {"20-byte image, fits the first block", 20, 0, 0x0FFFFFFF, 20, 256},
      {"1000 bytes left", 1100, 100, 0x0FFFFFFF, 1000, 1256},
      {"one byte past what is left", 1100, 100, 1001, 1000, 1256},
      {"exactly what is left", 1100, 100, 1000, 1000, 1256},
      {"largest 32-bit request", 1100, 100, 0xFFFFFFFF, 1000, 1256},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(scratchBuffer.create());
    const Bytes image = countingImage(c.imageSize);
    attach(image, c.start);
    EXPECT_EQ(readBytes(c.request), c.count);
    EXPECT_EQ(scratchBuffer.capacity(), c.capacity);
    EXPECT_EQ(scratchBytes(c.count), Bytes(image.begin() + c.start, image.end()));
    expectOffsets(c.imageSize, c.start);
    EXPECT_FALSE(scratchBuffer.exhausted());
  }
}

TEST_F(FieldReadersTest, HugeRequestWithNoDataLeftGrowsNothing) {
  attach(countingImage(600), 100);
  ASSERT_EQ(readBytes(500), 500u);
  ASSERT_EQ(scratchBuffer.capacity(), 756u);
  EXPECT_EQ(readBytes(0x0FFFFFFF), 0u);
  EXPECT_EQ(scratchBuffer.capacity(), 756u);
  expectOffsets(600, 100);

  ASSERT_TRUE(scratchBuffer.create());
  attach(Bytes{});
  EXPECT_EQ(readBytes(0x0FFFFFFF), 0u);
  EXPECT_EQ(scratchBuffer.capacity(), 256u);
  expectOffsets(0, 0);
}

// --- Big-endian fields ----------------------------------------------------

TEST_F(FieldReadersTest, ReadUInt16BE) {
  struct Case {
    Bytes bytes;
    std::uint16_t value;
  };
  for (const Case& c : {Case{{0x00, 0x06}, 6}, Case{{0x12, 0x34}, 0x1234},
                        Case{{0x80, 0x01}, 0x8001}, Case{{0xFF, 0xFF}, 65535}}) {
    SCOPED_TRACE(c.value);
    Bytes image{0xEE};
    image.insert(image.end(), c.bytes.begin(), c.bytes.end());
    image.push_back(0xEE);
    attach(image, 1);
    std::uint16_t value = 0;
    EXPECT_TRUE(readUInt16BE(&value));
    EXPECT_EQ(value, c.value);
    expectOffsets(3, 1);
  }
}

TEST_F(FieldReadersTest, ReadUInt32BE) {
  struct Case {
    Bytes bytes;
    std::uint32_t value;
  };
  for (const Case& c :
       {Case{{0x00, 0x00, 0x00, 0x06}, 6}, Case{{0x12, 0x34, 0x56, 0x78}, 0x12345678},
        Case{{0x80, 0x00, 0x00, 0x01}, 0x80000001}, Case{{0xFF, 0xFF, 0xFF, 0xFF}, 4294967295u}}) {
    SCOPED_TRACE(c.value);
    Bytes image{0xEE, 0xEE};
    image.insert(image.end(), c.bytes.begin(), c.bytes.end());
    image.push_back(0xEE);
    attach(image, 2);
    std::uint32_t value = 0;
    EXPECT_TRUE(readUInt32BE(&value));
    EXPECT_EQ(value, c.value);
    expectOffsets(6, 2);
  }
}

TEST_F(FieldReadersTest, ShortBigEndianFieldsAreConsumedAndLeaveTheirTargetAlone) {
  for (std::uint32_t present = 1; present < 4; ++present) {
    SCOPED_TRACE(present);
    attach(Bytes(5 + present, 0x7E), 5);
    std::uint32_t value = 0xDEADBEEF;
    EXPECT_FALSE(readUInt32BE(&value));
    EXPECT_EQ(value, 0xDEADBEEFu);
    expectOffsets(5 + present, 5);
  }
  attach(Bytes(9, 0x7E), 8);
  std::uint16_t half = 0xBEEF;
  EXPECT_FALSE(readUInt16BE(&half));
  EXPECT_EQ(half, 0xBEEF);
  expectOffsets(9, 8);
}

TEST_F(FieldReadersTest, BigEndianFieldsWithNoDataLeft) {
  attach(Bytes(8, 0x7E), 3);
  ASSERT_TRUE(memoryStream.skip(5));
  std::uint32_t value = 0xDEADBEEF;
  EXPECT_FALSE(readUInt32BE(&value));
  EXPECT_EQ(value, 0xDEADBEEFu);
  expectOffsets(8, 3);
  std::uint16_t half = 0xBEEF;
  EXPECT_FALSE(readUInt16BE(&half));
  EXPECT_EQ(half, 0xBEEF);
  expectOffsets(8, 3);
}

// --- Variable-length quantities -------------------------------------------

struct Quantity {
  Bytes bytes;
  std::uint32_t value;
};

const std::vector<Quantity>& quantities() {
  static const std::vector<Quantity> table{
      {{0x00}, 0},
      {{0x40}, 64},
      {{0x7F}, 127},
      {{0x81, 0x00}, 128},
      {{0xC0, 0x00}, 8192},
      {{0xFF, 0x7F}, 16383},
      {{0x81, 0x80, 0x00}, 16384},
      {{0xFF, 0xFF, 0x7F}, 2097151},
      {{0x81, 0x80, 0x80, 0x00}, 2097152},
      {{0xFF, 0xFF, 0xFF, 0x7F}, 268435455},
      // Redundant leading 0x80 bytes are accepted.
      {{0x80, 0x00}, 0},
      {{0x80, 0x80, 0x80, 0x7F}, 127},
  };
  return table;
}

std::string describe(const Bytes& bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes) {
    static const char digits[] = "0123456789ABCDEF";
    if (!text.empty()) text += ' ';
    text += digits[byte >> 4];
    text += digits[byte & 0x0F];
  }
  return text;
}

// Each quantity at offset 6, followed by a byte that must not be read.
TEST_F(FieldReadersTest, ReadVarLenValues) {
  constexpr std::uint32_t kStart = 6;
  for (const Quantity& q : quantities()) {
    SCOPED_TRACE(describe(q.bytes));
    Bytes image(kStart, 0xEE);
    image.insert(image.end(), q.bytes.begin(), q.bytes.end());
    image.push_back(0x8F);
    attach(image, kStart);
    std::uint32_t value = 0xDEADBEEF;
    EXPECT_TRUE(readVarLen(&value));
    EXPECT_EQ(value, q.value);
    const auto length = static_cast<std::uint32_t>(q.bytes.size());
    expectOffsets(kStart + length, kStart + length - 1);
  }
}

TEST_F(FieldReadersTest, ReadVarLenTwoBytesAtOffset20) {
  Bytes image(20, 0x00);
  image.insert(image.end(), {0x81, 0x00, 0x00});
  attach(image, 20);
  std::uint32_t value = 0;
  EXPECT_TRUE(readVarLen(&value));
  EXPECT_EQ(value, 128u);
  expectOffsets(22, 21);
}

// A quantity may not need a fifth byte; that byte is consumed all the same.
TEST_F(FieldReadersTest, ReadVarLenOverflowConsumesTheFifthByte) {
  for (const Bytes& bytes :
       {Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, Bytes{0x80, 0x80, 0x80, 0x80, 0x00},
        Bytes{0x81, 0x80, 0x80, 0x80, 0x80, 0x00}}) {
    SCOPED_TRACE(describe(bytes));
    Bytes image(10, 0x00);
    image.insert(image.end(), bytes.begin(), bytes.end());
    image.push_back(0x00);
    attach(image, 10);
    std::uint32_t value = 0xDEADBEEF;
    EXPECT_FALSE(readVarLen(&value));
    EXPECT_EQ(value, 0xDEADBEEFu);
    expectOffsets(15, 14);
  }
}

TEST_F(FieldReadersTest, ReadVarLenLastByteOfTheDataStillContinues) {
  Bytes image(30, 0x00);
  image.push_back(0x81);
  attach(image, 30);
  std::uint32_t value = 0xDEADBEEF;
  EXPECT_FALSE(readVarLen(&value));
  EXPECT_EQ(value, 0xDEADBEEFu);
  expectOffsets(31, 30);
}

// Four continuing bytes and then the end: the fifth byte is missing, so the
// offset stays on the fourth.
TEST_F(FieldReadersTest, ReadVarLenEndsWhereTheFifthByteWouldBe) {
  Bytes image(3, 0x00);
  image.insert(image.end(), {0xFF, 0xFF, 0xFF, 0xFF});
  attach(image, 3);
  std::uint32_t value = 0xDEADBEEF;
  EXPECT_FALSE(readVarLen(&value));
  EXPECT_EQ(value, 0xDEADBEEFu);
  expectOffsets(7, 6);
}

// Every proper prefix of every quantity fails, having consumed the prefix,
// with lastPosition on its last byte (or where it was, for an empty prefix).
TEST_F(FieldReadersTest, ReadVarLenTruncation) {
  constexpr std::uint32_t kStart = 4;
  for (const Quantity& q : quantities()) {
    for (std::size_t length = 0; length < q.bytes.size(); ++length) {
      const Bytes prefix(q.bytes.begin(), q.bytes.begin() + static_cast<long>(length));
      SCOPED_TRACE(describe(q.bytes) + " cut to [" + describe(prefix) + "]");
      Bytes image(kStart, 0xEE);
      image.insert(image.end(), prefix.begin(), prefix.end());
      attach(image, kStart);
      const auto end = static_cast<std::uint32_t>(image.size());
      std::uint32_t value = 0xDEADBEEF;
      EXPECT_FALSE(readVarLen(&value));
      EXPECT_EQ(value, 0xDEADBEEFu);
      expectOffsets(end, length == 0 ? 0 : end - 1);
    }
  }
}

TEST_F(FieldReadersTest, ReadVarLenWithNoDataLeftKeepsThePreviousStart) {
  attach(Bytes(9, 0x00), 2);
  ASSERT_TRUE(memoryStream.skip(7));
  std::uint32_t value = 0xDEADBEEF;
  EXPECT_FALSE(readVarLen(&value));
  EXPECT_EQ(value, 0xDEADBEEFu);
  expectOffsets(9, 2);
}

}  // namespace
