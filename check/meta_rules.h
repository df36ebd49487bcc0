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

inline constexpr std::uint8_t kChannelPrefixType = 0x20;
inline constexpr std::uint8_t kTempoType = 0x51;
inline constexpr std::uint8_t kSmpteOffsetType = 0x54;
inline constexpr std::uint8_t kTimeSignatureType = 0x58;

// The types whose values findMetaValues examines.
constexpr bool hasValueFindings(std::uint8_t type) {
  return type == kTempoType || type == kSmpteOffsetType || type == kTimeSignatureType ||
         type == kChannelPrefixType;
}

// The findings beyond the reference rules in the values of a meta event whose
// data has its type's length, for the types of hasValueFindings.
// lastPosition stands at the data's first byte.
void findMetaValues(const MetaType& meta, const std::uint8_t* data);

// The Key Signature's values, data[0, 2), one predicate each: more than seven
// flats, more than seven sharps, a mode other than major (0) and minor (1).
// The one statement of the rule: the general steps report each value that
// breaks it, and event runs take only events that break none.
inline bool hasTooManyFlats(const std::uint8_t* data) {
  return static_cast<std::int8_t>(data[0]) < -7;  // negative: flats
}
inline bool hasTooManySharps(const std::uint8_t* data) {
  return static_cast<std::int8_t>(data[0]) > 7;
}
inline bool hasInvalidMode(const std::uint8_t* data) { return data[1] > 1; }
inline bool keySignatureIsLegal(const std::uint8_t* data) {
  return !hasTooManyFlats(data) && !hasTooManySharps(data) && !hasInvalidMode(data);
}

// True iff the track being checked may hold the events that format 1 keeps
// in its first track (Set Tempo, SMPTE Offset).
inline bool mayHoldFormat1TempoMap(const FileState& file) {
  return file.format != 1 || file.completedTracks == 0;
}

// True iff "(C)" starts at a character boundary of the Shift-JIS text before
// the first NUL byte of data[0, length).
bool hasCopyrightSign(const std::uint8_t* data, std::uint32_t length);
