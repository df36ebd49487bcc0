// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <cstring>

#include "stream/field_readers.h"

// Chunk types as bytes, so that the comparison never depends on how the
// compiler encodes character literals.
using ChunkType = std::uint8_t[4];
inline constexpr ChunkType kHeaderChunkType = {0x4D, 0x54, 0x68, 0x64};  // MThd
inline constexpr ChunkType kTrackChunkType = {0x4D, 0x54, 0x72, 0x6B};   // MTrk

// REQUIRES: the latest readBytes placed a 4-byte chunk type.
inline bool lastReadIs(const ChunkType& type) {
  return std::memcmp(scratchBuffer.data(), type, sizeof type) == 0;
}
