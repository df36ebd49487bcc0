#pragma once

#include <array>
#include <cstddef>
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

namespace meta_types {

// Program Name (0x08) and Device Name (0x09) are named but not recognised.
inline constexpr MetaType kMetaTypes[] = {
    {0x00, "シーケンス番号", 2, true, false, MetaRule::atTrackStart},
    {0x01, "テキスト", kAnyLength, true, false, MetaRule::none},
    {0x02, "著作権", kAnyLength, true, true, MetaRule::copyrightNotice},
    {0x03, "トラック名", kAnyLength, true, false, MetaRule::none},
    {0x04, "楽器名", kAnyLength, true, false, MetaRule::none},
    {0x05, "歌詞", kAnyLength, true, false, MetaRule::none},
    {0x06, "マーカー", kAnyLength, true, false, MetaRule::none},
    {0x07, "キューポイント", kAnyLength, true, false, MetaRule::none},
    {0x08, "プログラム名", kAnyLength, false, false, MetaRule::none},
    {0x09, "デバイス名", kAnyLength, false, false, MetaRule::none},
    {0x20, "チャンネルプリフィックス", 1, true, false, MetaRule::none},
    {0x2F, "トラック終端", 0, true, false, MetaRule::none},
    {0x51, "テンポ", 3, true, false, MetaRule::inFirstTrackOfFormat1},
    {0x54, "SMPTEオフセット", 5, true, false, MetaRule::atTrackStartInFirstTrackOfFormat1},
    {0x58, "拍子", 4, true, false, MetaRule::none},
    {0x59, "調", 2, true, true, MetaRule::keySignatureValues},
    {0x7F, "シーケンサー固有メタイベント", kAnyLength, true, false, MetaRule::none},
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
