// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <type_traits>

#include "app/report.h"
#include "stream/memory_stream.h"

// The offset a positional diagnostic prints: where the latest read or skip
// that found data began.
inline int lastOffset() { return asSigned(memoryStream.lastPosition()); }

// Prints the memory message (file-error form) and returns false.
bool reportMemoryFailure();

// Prints an error at lastOffset() and returns false: a failing step reads
// `return reportAtLastRead(texts().deltaTimeInvalid);`.
template <typename... Rest>
bool reportAtLastRead(const Format<int, Rest...>& format, std::type_identity_t<Rest>... rest) {
  return reportError(format, lastOffset(), rest...);
}

// Prints a warning at lastOffset(); checking goes on.
inline void warnAtLastRead(const Format<int>& format) { printDiagnostic(format, lastOffset()); }

// Reads the length bytes of a SysEx message or meta event into the scratch
// buffer. When the file ends first, prints shortData at lastOffset() with the
// declared length; when the buffer cannot grow, the memory message.
bool readDeclaredData(std::uint32_t length, const Format<int, int>& shortData);
