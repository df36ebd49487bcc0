// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/load_file.h"

// One block of bytes, owned by whoever holds it: the contents of one file or
// archive member on its way to the check. It comes from the checker's own
// allocation for an image, which gives a large one huge pages: a file of
// 50 MB read into ordinary fresh pages costs more in page faults than its
// check. Allocation failure is an answer (false), not an abort, since a file
// too large for memory gets a result of its own.
class ByteBuffer {
 public:
  ByteBuffer() = default;
  ~ByteBuffer() {
    if (data_ != nullptr) freeImage(data_);
  }
  ByteBuffer(ByteBuffer&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  ByteBuffer& operator=(ByteBuffer&& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
    return *this;
  }
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;

  // Makes room for at least capacity bytes, keeping the first size(); false
  // (and the buffer unchanged) when there is no memory for it.
  // Images are under 4 GiB (offsets are 32-bit), so no larger block is made.
  bool reserve(std::size_t capacity) {
    if (capacity <= capacity_) return true;
    if (capacity >= 0xFFFFFFFF) return false;
    std::uint8_t* grown = allocateImage(static_cast<std::uint32_t>(capacity));
    if (grown == nullptr) return false;
    if (size_ > 0) std::memcpy(grown, data_, size_);
    if (data_ != nullptr) freeImage(data_);
    data_ = grown;
    capacity_ = capacity;
    return true;
  }
  // REQUIRES: size <= capacity().
  void setSize(std::size_t size) { size_ = size; }
  void release() { *this = ByteBuffer(); }

  std::uint8_t* data() { return data_; }
  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }

 private:
  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};
