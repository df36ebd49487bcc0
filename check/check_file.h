// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "check/check_state.h"
#include "check/diagnostic.h"
#include "stream/memory_stream.h"

// Loads the named file whole and checks it, handing every diagnostic to sink
// in the order found. Returns true iff it conforms under the reference rules,
// whatever the mode. The file is read into its block in pieces, each checked
// as it arrives; the diagnostics are held back until the whole file has been
// read, and dropped when the read fails, whose error is then the only one.
bool checkFile(const char* path, const DiagnosticSink& sink, CheckMode mode = CheckMode::reference);

// What to do with a file's image while it is held in memory: the answer is
// the caller's.
struct ImageUse {
  bool (*use)(void* context, const std::uint8_t* image, std::uint32_t size) = nullptr;
  void* context = nullptr;
};

// Loads the named file whole and hands its image to use, which may check it
// (a check makes its sink its own for the time it runs). When the file cannot
// be opened, sized, held or read, reports that file error to sink and returns
// false; otherwise returns use's answer.
bool useFileImage(const char* path, const DiagnosticSink& sink, const ImageUse& use);

// Checks one loaded image: the steps after loading, with a fresh scratch
// buffer and this thread's memoryStream attached to the image. The event path
// changes how fast the check runs, never what it finds or answers.
bool checkImage(const std::uint8_t* image, std::uint32_t size, const DiagnosticSink& sink,
                EventPath eventPath = EventPath::fast, CheckMode mode = CheckMode::reference);

// The same for an image whose first `available` bytes are in its block and
// whose rest arrive(source, n) brings as the check reaches it
// (MemoryStream::attachArriving). It finds and answers what checkImage does
// on the whole image.
bool checkArrivingImage(const std::uint8_t* block, std::uint32_t size, std::uint32_t available,
                        MemoryStream::Arrival arrive, void* source, const DiagnosticSink& sink,
                        EventPath eventPath = EventPath::fast);
