#pragma once

#include <cstdint>

#include "check/check_state.h"

// Placement and value rules of Sequence Number, Copyright Notice, Set Tempo,
// SMPTE Offset and Key Signature; other types pass. The event's data stands
// at the start of the scratch buffer and lastPosition at its first byte.
// Returns false after printing the broken rule.
bool checkMetaRules(std::uint8_t type, std::uint32_t length, const FileState& file,
                    const TrackState& track);

// True iff "(C)" starts at a character boundary of the Shift-JIS text before
// the first NUL byte of data[0, length).
bool hasCopyrightSign(const std::uint8_t* data, std::uint32_t length);
