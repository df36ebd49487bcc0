// SPDX-License-Identifier: MIT
#include "scan/byte_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string contents(const ByteBuffer& buffer) {
  return std::string(reinterpret_cast<const char*>(buffer.data()), buffer.size());
}

// A member of unknown size grows its block while it is read: each growth
// keeps what was read, whether the block is a small one or one of huge pages,
// and a size no image can have is refused with the buffer as it was.
TEST(ByteBuffer, GrowingKeepsTheBytesAndRefusesWhatNoImageCanHold) {
  const std::size_t kSizes[] = {1, 4096, 64 * 1024, 2 * 1024 * 1024 + 1, 5 * 1024 * 1024};
  ByteBuffer buffer;
  std::string written;
  for (const std::size_t size : kSizes) {
    ASSERT_TRUE(buffer.reserve(size)) << size;
    EXPECT_GE(buffer.capacity(), size);
    EXPECT_EQ(contents(buffer), written) << size;
    const char fill = static_cast<char>('a' + written.size() % 26);
    std::memset(buffer.data() + buffer.size(), fill, size - buffer.size());
    written.resize(size, fill);
    buffer.setSize(size);
  }
  EXPECT_FALSE(buffer.reserve(std::size_t{0xFFFFFFFF}));
  EXPECT_EQ(contents(buffer), written);
  buffer.release();
  EXPECT_EQ(buffer.size(), 0u);
  EXPECT_EQ(buffer.capacity(), 0u);
}

}  // namespace
