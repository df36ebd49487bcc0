// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <cstring>

// A forward-only reader over the in-memory image of one file. It remembers
// where the latest read or skip that found data began (lastPosition): that
// offset is the one every positional diagnostic prints, so each operation
// documents exactly how it moves it.
//
// The stream never owns the image; the caller keeps it alive while attached.
class MemoryStream {
 public:
  MemoryStream() = default;

  MemoryStream(const MemoryStream&) = delete;
  MemoryStream& operator=(const MemoryStream&) = delete;

  // Points the stream at a new image: position and lastPosition become 0;
  // lastCount keeps its value.
  void attach(const std::uint8_t* data, std::uint32_t size) {
    data_ = data;
    size_ = size;
    position_ = 0;
    lastPosition_ = 0;
  }

  // Copies up to n bytes to dst and consumes them; returns how many. When no
  // data is left, returns 0 and changes nothing. Otherwise lastPosition is
  // set to where the read began, even for n = 0.
  std::uint32_t read(std::uint8_t* dst, std::uint32_t n) {
    const std::uint32_t count = pass(n);
    if (count > 0) std::memcpy(dst, data_ + lastPosition_, count);
    return count;
  }

  // A read that copies nothing: the same result and the same effects on
  // position and lastPosition, a pass of 0 bytes included. The bytes passed
  // stay where they are, at lastBytes(). For data that is only stepped over
  // but whose length counts as a read's does.
  std::uint32_t pass(std::uint32_t n) {
    if (position_ >= size_) return 0;
    return consume(n);
  }

  // Stores the next byte in *out without consuming it. Returns false, and
  // leaves *out alone, when no data is left. Never moves lastPosition.
  bool peekByte(std::uint8_t* out) const {
    if (position_ >= size_) return false;
    *out = data_[position_];
    return true;
  }

  // Steps over n bytes. Returns true only when all n were there. A skip of 0
  // changes nothing; a skip with no data left changes nothing and fails; a
  // short skip consumes what remained and sets lastPosition to its start.
  bool skip(std::uint32_t n) {
    if (n == 0) return true;
    if (position_ >= size_) return false;
    return consume(n) == n;
  }

  // The bytes not yet consumed, remaining() of them. Like peekByte, looking
  // at them moves nothing.
  const std::uint8_t* ahead() const { return data_ + position_; }
  std::uint32_t remaining() const { return size_ - position_; }
  // The bytes that the latest read, pass or skip covered, lastCount() of
  // them, in the image.
  const std::uint8_t* lastBytes() const { return data_ + lastPosition_; }

  std::uint32_t position() const { return position_; }
  std::uint32_t lastPosition() const { return lastPosition_; }
  std::uint32_t size() const { return size_; }
  std::uint32_t lastCount() const { return lastCount_; }

 private:
  // REQUIRES: position_ < size_. Moves past up to n bytes and records the move.
  std::uint32_t consume(std::uint32_t n) {
    const std::uint32_t remaining = size_ - position_;
    lastCount_ = n < remaining ? n : remaining;
    lastPosition_ = position_;
    position_ += lastCount_;
    return lastCount_;
  }

  const std::uint8_t* data_ = nullptr;
  std::uint32_t position_ = 0;
  std::uint32_t lastPosition_ = 0;
  std::uint32_t size_ = 0;
  std::uint32_t lastCount_ = 0;
};

// This thread's stream, attached to each file it checks in turn. Constant-
// initialised and trivially destroyed, so that a thread reaches it directly,
// with no guard on each use.
extern thread_local constinit MemoryStream memoryStream;
