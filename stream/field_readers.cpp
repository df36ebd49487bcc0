// SPDX-License-Identifier: MIT
#include "stream/field_readers.h"

#include <cstdlib>

#include "stream/memory_stream.h"

thread_local constinit ScratchBuffer scratchBuffer;

namespace {
constexpr std::uint32_t kInitialCapacity = 256;
constexpr std::uint32_t kGrowthMargin = 256;
}  // namespace

bool ScratchBuffer::create() {
  release();
  block_ = static_cast<std::uint8_t*>(std::malloc(kInitialCapacity));
  if (block_ == nullptr) return false;
  capacity_ = kInitialCapacity;
  return true;
}

void ScratchBuffer::release() {
  std::free(block_);
  block_ = nullptr;
  capacity_ = 0;
  exhausted_ = false;
}

bool ScratchBuffer::reserve(std::uint32_t n) {
  if (capacity_ >= n) return true;
  // Lengths come from 4-byte variable-length quantities, so n + 256 fits.
  const std::uint32_t grown = n + kGrowthMargin;
  auto* block = static_cast<std::uint8_t*>(std::malloc(grown));
  if (block == nullptr) {
    exhausted_ = true;
    return false;
  }
  std::free(block_);
  block_ = block;
  capacity_ = grown;
  return true;
}

bool reserveForRead(std::uint32_t n) {
  const std::uint32_t remaining = memoryStream.size() - memoryStream.position();
  return scratchBuffer.reserve(n < remaining ? n : remaining);
}

bool readUInt16BE(std::uint16_t* out) {
  if (readBytes(2) != 2) return false;
  const std::uint8_t* b = scratchBuffer.data();
  *out = static_cast<std::uint16_t>((b[0] << 8) | b[1]);
  return true;
}

bool readUInt32BE(std::uint32_t* out) {
  if (readBytes(4) != 4) return false;
  const std::uint8_t* b = scratchBuffer.data();
  // Written as shifts so that the host's byte order never matters.
  *out = (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) |
         std::uint32_t{b[3]};
  return true;
}

bool readVarLenContinued(std::uint32_t* out) {
  // Decoded from its first byte, the latest one read.
  const std::uint32_t available = memoryStream.remaining() + 1;
  const std::uint32_t size = decodeVarLen(memoryStream.lastBytes(), available, out);
  // A failure consumes every byte it looked at, the fifth included.
  constexpr std::uint32_t kLookedAtOnFailure = kMaxVarLenBytes + 1;
  const std::uint32_t consumed =
      size != 0 ? size : (available < kLookedAtOnFailure ? available : kLookedAtOnFailure);
  // The rest in two steps, so that lastPosition is the offset of the last byte.
  if (consumed > 1) {
    memoryStream.skip(consumed - 2);
    memoryStream.skip(1);
  }
  return size != 0;
}
