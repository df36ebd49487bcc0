// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "check/check_state.h"
#include "stream/memory_stream.h"

// Loads the named file whole and checks it. Returns true iff it conforms;
// every failure has printed its one diagnostic by then.
bool checkFile(const char* path);

// Checks one loaded image: the steps after loading, with a fresh scratch
// buffer and memoryStream attached to the image. The event path changes how
// fast the check runs, never what it prints or answers.
bool checkImage(const std::uint8_t* image, std::uint32_t size,
                EventPath eventPath = EventPath::fast);

// The same for an image whose first `available` bytes are in its block and
// whose rest arrive(source, n) brings as the check reaches it
// (MemoryStream::attachArriving). It prints and answers what checkImage does
// on the whole image.
bool checkArrivingImage(const std::uint8_t* block, std::uint32_t size, std::uint32_t available,
                        MemoryStream::Arrival arrive, void* source,
                        EventPath eventPath = EventPath::fast);
