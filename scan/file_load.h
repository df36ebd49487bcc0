// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "scan/byte_buffer.h"

// The steps of loading one file, each of which can fail on its own; they are
// the steps the reference program reports, in its order, plus the size limit
// that bounds the memory of a run.
enum class LoadFailure {
  none,
  open,      // missing, not a regular file, unreadable, or held by a writer
  size,      // 4 GiB - 1 bytes or more: beyond 32-bit offsets
  tooLarge,  // larger than the limit: never read
  memory,    // no block of that size
  read       // an error or fewer bytes than the size
};

struct LoadedFile {
  ByteBuffer bytes;
  LoadFailure failure = LoadFailure::none;
  const char* reason = nullptr;  // why, in English, when the system says
  std::uint64_t size = 0;        // the size learnt, when it was
};

// Loads the named file whole when it is at most maxSize bytes. Never blocks
// on a FIFO or a device: only regular files are read.
LoadedFile loadFile(const char* path, std::uint64_t maxSize);
