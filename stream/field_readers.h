// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "stream/memory_stream.h"

// The one growable block that every reader fills. After readBytes returns k,
// its first k bytes are the bytes just read; the rest are left as they were.
// Growth replaces the block, so take data() afresh after each read.
class ScratchBuffer {
 public:
  // Trivially destroyed, like the stream: every check releases the block
  // before it returns.
  ScratchBuffer() = default;

  ScratchBuffer(const ScratchBuffer&) = delete;
  ScratchBuffer& operator=(const ScratchBuffer&) = delete;

  // Replaces any block by a fresh one of 256 bytes. Returns false when it
  // cannot be allocated; the buffer is then empty.
  bool create();
  // Frees the block; the buffer is empty until the next create().
  void release();
  // Makes room for at least n bytes, growing to n + 256. Returns false, and
  // keeps the old block, when the larger one cannot be allocated.
  bool reserve(std::uint32_t n);

  std::uint8_t* data() const { return block_; }
  std::uint32_t capacity() const { return capacity_; }
  // True once a growth has failed since the latest create().
  bool exhausted() const { return exhausted_; }

 private:
  std::uint8_t* block_ = nullptr;
  std::uint32_t capacity_ = 0;
  bool exhausted_ = false;
};

// This thread's buffer.
extern thread_local constinit ScratchBuffer scratchBuffer;

// The readers run once or more per event, so their common cases are inline:
// a read that fits the buffer, and variable-length quantities.

// Grows scratchBuffer for a read of n bytes that does not fit it.
bool reserveForRead(std::uint32_t n);

// Reads up to n bytes from memoryStream into scratchBuffer and returns how
// many were placed there. Stream effects are those of MemoryStream::read.
// The buffer grows only for bytes the image still holds (what remains, plus
// 256), so a huge declared length in a small file reserves nothing extra.
// When the growth fails, returns 0 without consuming anything and
// scratchBuffer.exhausted() becomes true.
inline std::uint32_t readBytes(std::uint32_t n) {
  if (n > scratchBuffer.capacity() && !reserveForRead(n)) return 0;
  return memoryStream.read(scratchBuffer.data(), n);
}

// Reads one byte with the stream effects of readBytes(1), but hands it back
// in *out and leaves scratchBuffer alone: status bytes, type bytes and the
// bytes of variable-length quantities are used at once, never from the
// buffer, and a store into the buffer would make the compiler reload every
// stream field after it. False, *out untouched, when no data is left.
inline bool readByte(std::uint8_t* out) {
  if (!memoryStream.peekByte(out)) return false;
  memoryStream.skip(1);
  return true;
}

// Big-endian fields. Return true iff the whole field was read; *out is written
// only then. A short field is consumed all the same (position = size) and
// lastPosition is its start.
bool readUInt16BE(std::uint16_t* out);
bool readUInt32BE(std::uint32_t* out);

inline constexpr std::uint32_t kMaxVarLenBytes = 4;

// The one decoder of variable-length quantities: the one at the start of
// bytes[0, available), at most kMaxVarLenBytes bytes, the last with its top
// bit clear. Returns how many bytes it spans and stores its value in *out;
// returns 0, *out untouched, when available ends inside it or its fourth byte
// still has the top bit set. Reads nothing at or past bytes + available.
inline std::uint32_t decodeVarLen(const std::uint8_t* bytes, std::uint32_t available,
                                  std::uint32_t* out) {
  if (available == 0) return 0;
  if (bytes[0] < 0x80) {  // nearly every delta time and length: one byte
    *out = bytes[0];
    return 1;
  }
  const std::uint32_t limit = available < kMaxVarLenBytes ? available : kMaxVarLenBytes;
  std::uint32_t value = bytes[0] & 0x7Fu;
  for (std::uint32_t i = 1; i < limit; ++i) {
    value = (value << 7) | (bytes[i] & 0x7Fu);
    if (bytes[i] < 0x80) {
      *out = value;
      return i + 1;
    }
  }
  return 0;
}

// The rest of a quantity whose first byte, just read, had its top bit set.
bool readVarLenContinued(std::uint32_t* out);

// Reads a variable-length quantity of at most 4 bytes (value at most
// 0x0FFFFFFF). On success *out is the value and lastPosition the offset of its
// last byte. Fails when the data ends inside it (lastPosition: the last byte
// present) or when a fifth byte would be needed (that fifth byte is consumed
// and lastPosition is its offset).
inline bool readVarLen(std::uint32_t* out) {
  std::uint8_t first = 0;
  if (!readByte(&first)) return false;
  if (first >= 0x80) return readVarLenContinued(out);
  *out = first;  // nearly every delta time and length: one byte
  return true;
}
