// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "check/check_state.h"
#include "stream/meta_types.h"

// Runs the content rule of meta.rule (placement and value rules of Sequence
// Number, Copyright Notice, Set Tempo, SMPTE Offset and Key Signature) on the
// event's data, data[0, length), lastPosition standing at its first byte.
// Returns false after printing the broken rule.
bool checkMetaRules(const MetaType& meta, const std::uint8_t* data, std::uint32_t length,
                    const FileState& file, const TrackState& track);

// The Key Signature's values, data[0, 2): the message of the first that is
// out of range (more than seven flats, more than seven sharps, a mode other
// than major and minor), or null when both are legal. The one statement of
// the rule: the general steps print the message, event runs take only legal
// values.
inline ErrorAtNamed Texts::*keySignatureFault(const std::uint8_t* data) {
  const int sharps = static_cast<std::int8_t>(data[0]);  // negative: flats
  if (sharps < -7) return &Texts::tooManyFlats;
  if (sharps > 7) return &Texts::tooManySharps;
  if (data[1] > 1) return &Texts::modeInvalid;
  return nullptr;
}

// True iff the track being checked may hold the events that format 1 keeps
// in its first track (Set Tempo, SMPTE Offset).
inline bool mayHoldFormat1TempoMap(const FileState& file) {
  return file.format != 1 || file.completedTracks == 0;
}

// True iff "(C)" starts at a character boundary of the Shift-JIS text before
// the first NUL byte of data[0, length).
bool hasCopyrightSign(const std::uint8_t* data, std::uint32_t length);
