#pragma once

#include <cstdint>

// What the checker knows about each meta-event type, one row per type: the
// framing of its data and the content rule that applies to it. Framing and
// rules both read this table, and metaEventName reads its names.

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

struct MetaType {
  std::uint8_t type;
  const char* name;    // display name; null for a type without one
  int requiredLength;  // kAnyLength when any length will do
  bool recognised;     // false: warned about and stepped over
  bool dataExamined;   // the rule looks at the data itself, so it is read
  MetaRule rule;
};

// The row of a type byte; types without one of their own get a row that is
// unnamed and unrecognised.
const MetaType& metaType(std::uint8_t type);
