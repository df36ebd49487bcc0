#include "stream/meta_types.h"

namespace {

// Program Name (0x08) and Device Name (0x09) are named but not recognised.
constexpr MetaType kMetaTypes[] = {
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

constexpr MetaType kUnknownType = {0, nullptr, kAnyLength, false, false, MetaRule::none};

}  // namespace

const MetaType& metaType(std::uint8_t type) {
  for (const MetaType& row : kMetaTypes) {
    if (row.type == type) return row;
  }
  return kUnknownType;
}
