// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// The file services a check needs: open one file for reading, held against
// writers, learn its size, hold it in one block and read it into the block.
// Each step fails on its own, so the caller can tell the four failures apart.

using FileHandle = std::intptr_t;

// The standard streams whose descriptors were closed at start-up.
struct ClosedStreams {
  bool output = false;
  bool error = false;
};

// Call once at start-up, before any openFile. Opens the null device on each
// of the standard descriptors 0, 1 and 2 that is closed, so that no file
// opened later takes one of them and is read or written as a standard
// stream, and says in *closed which of 1 and 2 were. False when one stays
// closed.
bool reserveStandardDescriptors(ClosedStreams* closed);

// Opens an existing regular file for reading, held so that no writer can
// have it at the same time; on POSIX other readers, checkers included, may
// (Windows shares it with nobody). False for anything that cannot be checked,
// and for a file held against it.
bool openFile(const char* path, FileHandle* handle);

// False when the size is unknown or does not fit a 32-bit offset below
// 0xFFFFFFFF (offsets in diagnostics are 32-bit).
bool queryFileSize(FileHandle handle, std::uint32_t* size);

// One block of exactly size bytes (a valid block for size 0), or null.
std::uint8_t* allocateImage(std::uint32_t size);

// The file is read into its block in pieces of this size (the last one
// smaller), each as the check reaches it, so that the check finds it still
// in the cache.
inline constexpr std::uint32_t kReadPiece = 256 * 1024;

// Reads the next count bytes of the file, from where the previous read
// stopped (its start, for the first), to `at`; false on an error or when
// fewer than count bytes arrive.
bool readNextBytes(FileHandle handle, std::uint8_t* at, std::uint32_t count);

// Reads whole pieces of the file into its block of `size` bytes, from where
// *arrived bytes have arrived, until at least `wanted` have (or all of them).
// False on a failed read; *arrived counts the pieces read before it.
inline bool readPieces(FileHandle handle, std::uint8_t* block, std::uint32_t size,
                       std::uint32_t wanted, std::uint32_t* arrived) {
  while (*arrived < wanted && *arrived < size) {
    const std::uint32_t left = size - *arrived;
    const std::uint32_t piece = left < kReadPiece ? left : kReadPiece;
    if (!readNextBytes(handle, block + *arrived, piece)) return false;
    *arrived += piece;
  }
  return true;
}

void freeImage(std::uint8_t* block);
void closeFile(FileHandle handle);
