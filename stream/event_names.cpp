#include "stream/event_names.h"

#include "stream/meta_types.h"

const char* channelMessageName(std::uint8_t status) {
  switch (status & 0xF0) {
    case 0x80: return "ノートオフ";
    case 0x90: return "ノートオン";
    case 0xA0: return "ポリフォニックキープレッシャー";
    case 0xB0: return "コントロールチェンジ";
    case 0xC0: return "プログラムチェンジ";
    case 0xD0: return "チャンネルプレッシャー";
    case 0xE0: return "ピッチベンド";
    default: return nullptr;
  }
}

const char* metaEventName(std::uint8_t type) { return metaType(type).name; }
