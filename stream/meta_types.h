// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "catalogue/texts.h"

// What the checker knows about each meta-event type, one row per type: the
// framing of its data and the content rule that applies to it. Framing and
// rules both read this table, and metaEventName reads its names from the
// program's catalogue.

// The content rules; checkMetaRules runs the one a row names.
enum class MetaRule {
  none,
  atTrackStart,                       // Sequence Number
  copyrightNotice,                    // the "(C)" text, first in the first track
  inFirstTrackOfFormat1,              // Set Tempo
  atTrackStartInFirstTrackOfFormat1,  // SMPTE Offset
  keySignatureValues,                 // sharps or flats, and the mode
};

inline constexpr int kAnyLength = -1;

// The status byte that introduces every meta event, and the type that ends a
// track.
inline constexpr std::uint8_t kMetaEventStatus = 0xFF;
inline constexpr std::uint8_t kEndOfTrackType = 0x2F;

struct MetaType {
  std::uint8_t type;
  Name Texts::MetaEventNames::*name;  // in the catalogue; null for a type without one
  int requiredLength;                 // kAnyLength when any length will do
  bool recognised;                    // false: warned about and stepped over
  bool dataExamined;                  // the rule looks at the data itself, so it is read
  MetaRule rule;
};

namespace meta_types {

using Names = Texts::MetaEventNames;

// Program Name (0x08) and Device Name (0x09) are named but not recognised.
inline constexpr MetaType kMetaTypes[] = {
    {0x00, &Names::sequenceNumber, 2, true, false, MetaRule::atTrackStart},
    {0x01, &Names::text, kAnyLength, true, false, MetaRule::none},
    {0x02, &Names::copyright, kAnyLength, true, true, MetaRule::copyrightNotice},
    {0x03, &Names::trackName, kAnyLength, true, false, MetaRule::none},
    {0x04, &Names::instrumentName, kAnyLength, true, false, MetaRule::none},
    {0x05, &Names::lyric, kAnyLength, true, false, MetaRule::none},
    {0x06, &Names::marker, kAnyLength, true, false, MetaRule::none},
    {0x07, &Names::cuePoint, kAnyLength, true, false, MetaRule::none},
    {0x08, &Names::programName, kAnyLength, false, false, MetaRule::none},
    {0x09, &Names::deviceName, kAnyLength, false, false, MetaRule::none},
    {0x20, &Names::channelPrefix, 1, true, false, MetaRule::none},
    {kEndOfTrackType, &Names::endOfTrack, 0, true, false, MetaRule::none},
    {0x51, &Names::tempo, 3, true, false, MetaRule::inFirstTrackOfFormat1},
    {0x54, &Names::smpteOffset, 5, true, false, MetaRule::atTrackStartInFirstTrackOfFormat1},
    {0x58, &Names::timeSignature, 4, true, false, MetaRule::none},
    {0x59, &Names::keySignature, 2, true, true, MetaRule::keySignatureValues},
    {0x7F, &Names::sequencerSpecific, kAnyLength, true, false, MetaRule::none},
};

inline constexpr MetaType kUnknownType = {0, nullptr, kAnyLength, false, false, MetaRule::none};

// Every meta event looks its type up: one index, no search.
inline constexpr std::size_t kNoRow = std::size(kMetaTypes);
inline constexpr std::array<std::uint8_t, 256> kRowOfType = [] {
  std::array<std::uint8_t, 256> rows{};
  rows.fill(kNoRow);
  for (std::size_t i = 0; i < kNoRow; ++i) rows[kMetaTypes[i].type] = static_cast<std::uint8_t>(i);
  return rows;
}();

}  // namespace meta_types

// The row of a type byte; types without one of their own get a row that is
// unnamed and unrecognised.
inline const MetaType& metaType(std::uint8_t type) {
  const std::size_t row = meta_types::kRowOfType[type];
  return row != meta_types::kNoRow ? meta_types::kMetaTypes[row] : meta_types::kUnknownType;
}
