#pragma once

#include <cstdint>

// The one growable block that every reader fills. After readBytes returns k,
// its first k bytes are the bytes just read; the rest are left as they were.
// Growth replaces the block, so take data() afresh after each read.
class ScratchBuffer {
 public:
  ScratchBuffer() = default;
  ~ScratchBuffer() { release(); }

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

extern ScratchBuffer scratchBuffer;

// Reads up to n bytes from memoryStream into scratchBuffer and returns how
// many were placed there. Stream effects are those of MemoryStream::read.
// The buffer grows only for bytes the image still holds (what remains, plus
// 256), so a huge declared length in a small file reserves nothing extra.
// When the growth fails, returns 0 without consuming anything and
// scratchBuffer.exhausted() becomes true.
std::uint32_t readBytes(std::uint32_t n);

// Big-endian fields. Return true iff the whole field was read; *out is written
// only then. A short field is consumed all the same (position = size) and
// lastPosition is its start.
bool readUInt16BE(std::uint16_t* out);
bool readUInt32BE(std::uint32_t* out);

// Reads a variable-length quantity of at most 4 bytes (value at most
// 0x0FFFFFFF). On success *out is the value and lastPosition the offset of its
// last byte. Fails when the data ends inside it (lastPosition: the last byte
// present) or when a fifth byte would be needed (that fifth byte is consumed
// and lastPosition is its offset).
bool readVarLen(std::uint32_t* out);
