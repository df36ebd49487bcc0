// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <cstring>

// A forward-only reader over the in-memory image of one file. It remembers
// where the latest read or skip that found data began (lastPosition): that
// offset is the one every positional diagnostic prints, so each operation
// documents exactly how it moves it.
//
// The image may still be arriving (attachArriving): its block holds all of
// it, but only its first bytes have been read into it so far. Whatever an
// operation needs beyond them it brings in first, so every operation below
// behaves exactly as on the whole image; only remaining() and ahead() show
// the bytes available so far.
//
// The stream never owns the image; the caller keeps it alive while attached.
class MemoryStream {
 public:
  // Brings more of an arriving image into its block: at least its first
  // `wanted` bytes (wanted <= the image's size), read whole or in pieces.
  // Returns how many of its first bytes are there now.
  using Arrival = std::uint32_t (*)(void* source, std::uint32_t wanted);

  // Bytes beyond the position that are always available while an image
  // arrives, so that a reader may look at the next few bytes (the rest of a
  // variable-length quantity, a run's next event) through ahead().
  static constexpr std::uint32_t kLookahead = 64;

  MemoryStream() = default;

  MemoryStream(const MemoryStream&) = delete;
  MemoryStream& operator=(const MemoryStream&) = delete;

  // Points the stream at a new image, all of it available: position and
  // lastPosition become 0; lastCount keeps its value.
  void attach(const std::uint8_t* data, std::uint32_t size) {
    attachArriving(data, size, size, nullptr, nullptr);
  }

  // The same for an image of which only the first `available` bytes are in
  // its block yet; arrive(source, n) brings the rest as it is needed.
  void attachArriving(const std::uint8_t* data, std::uint32_t size, std::uint32_t available,
                      Arrival arrive, void* source) {
    data_ = data;
    size_ = size;
    position_ = 0;
    lastPosition_ = 0;
    arrive_ = arrive;
    source_ = source;
    arrived(available);
    if (limit_ == 0) arriveFor(0);  // so that kLookahead bytes are there from the start
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
    if (!dataLeft()) return 0;
    return consume(n);
  }

  // Stores the next byte in *out without consuming it. Returns false, and
  // leaves *out alone, when no data is left. Never moves lastPosition.
  bool peekByte(std::uint8_t* out) const {
    if (!dataLeft()) return false;
    *out = data_[position_];
    return true;
  }

  // Steps over n bytes. Returns true only when all n were there. A skip of 0
  // changes nothing; a skip with no data left changes nothing and fails; a
  // short skip consumes what remained and sets lastPosition to its start.
  bool skip(std::uint32_t n) {
    if (n == 0) return true;
    if (!dataLeft()) return false;
    return consume(n) == n;
  }

  // The bytes not yet consumed that are available so far, remaining() of
  // them: all of them once the image has arrived, and at least kLookahead
  // until then. Like peekByte, looking at them moves nothing.
  const std::uint8_t* ahead() const { return data_ + position_; }
  std::uint32_t remaining() const { return available_ - position_; }
  // The bytes that the latest read, pass or skip covered, lastCount() of
  // them, in the image.
  const std::uint8_t* lastBytes() const { return data_ + lastPosition_; }

  std::uint32_t position() const { return position_; }
  std::uint32_t lastPosition() const { return lastPosition_; }
  std::uint32_t size() const { return size_; }
  std::uint32_t lastCount() const { return lastCount_; }

 private:
  // True iff a byte remains at position_, bringing it in first if the image
  // is still arriving.
  bool dataLeft() const {
    if (position_ < limit_) [[likely]]
      return true;
    arriveFor(1);
    return position_ < size_;
  }

  // REQUIRES: position_ < size_. Moves past up to n bytes and records the move.
  std::uint32_t consume(std::uint32_t n) {
    if (n > limit_ - position_) [[unlikely]]
      arriveFor(n);  // beyond what has arrived, or the end
    const std::uint32_t remaining = size_ - position_;
    lastCount_ = n < remaining ? n : remaining;
    lastPosition_ = position_;
    position_ += lastCount_;
    return lastCount_;
  }

  // Brings in the n bytes from position_ (those of them that the image
  // holds) and kLookahead after them. Nothing to do once all has arrived.
  // Out of line and cold: the readers' common case keeps its registers.
  [[gnu::cold]] void arriveFor(std::uint32_t n) const;
  // Records that the first `available` bytes of the image are in its block.
  void arrived(std::uint32_t available) const {
    if (available >= size_) {
      available_ = size_;
      limit_ = size_;
      arrive_ = nullptr;
    } else {
      available_ = available;
      limit_ = available > kLookahead ? available - kLookahead : 0;
    }
  }

  const std::uint8_t* data_ = nullptr;
  std::uint32_t position_ = 0;
  std::uint32_t lastPosition_ = 0;
  std::uint32_t size_ = 0;
  std::uint32_t lastCount_ = 0;
  // How much of the image has arrived is not part of what the stream reads,
  // only of when: a const peek may bring bytes in.
  mutable std::uint32_t available_ = 0;
  // Operations that stay below this need nothing more to arrive: size_ once
  // all has arrived, otherwise kLookahead short of available_. position_
  // never passes it.
  mutable std::uint32_t limit_ = 0;
  mutable Arrival arrive_ = nullptr;  // null once all has arrived
  void* source_ = nullptr;
};

// This thread's stream, attached to each file it checks in turn. Constant-
// initialised and trivially destroyed, so that a thread reaches it directly,
// with no guard on each use.
extern thread_local constinit MemoryStream memoryStream;
