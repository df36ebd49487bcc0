// SPDX-License-Identifier: MIT
#include "stream/memory_stream.h"

thread_local constinit MemoryStream memoryStream;

void MemoryStream::arriveFor(std::uint32_t n) const {
  if (arrive_ == nullptr) return;
  const std::uint64_t wanted = std::uint64_t{position_} + n + kLookahead;
  arrived(arrive_(source_, wanted < size_ ? static_cast<std::uint32_t>(wanted) : size_));
}
