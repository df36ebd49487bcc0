#pragma once

#include <cstdint>

#include "app/report.h"
#include "stream/memory_stream.h"

// The offset a positional diagnostic prints: where the latest read or skip
// that found data began.
inline int lastOffset() { return asSigned(memoryStream.lastPosition()); }

// Prints the memory message (file-error form) and returns false.
bool reportMemoryFailure();

// Reads the length bytes of a SysEx message or meta event into the scratch
// buffer. When the file ends first, prints shortDataMessage with lastOffset()
// and the declared length; when the buffer cannot grow, the memory message.
bool readDeclaredData(std::uint32_t length, const char* shortDataMessage);
