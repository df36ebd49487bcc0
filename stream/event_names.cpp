#include "stream/event_names.h"

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

const char* metaEventName(std::uint8_t type) {
  switch (type) {
    case 0x00: return "シーケンス番号";
    case 0x01: return "テキスト";
    case 0x02: return "著作権";
    case 0x03: return "トラック名";
    case 0x04: return "楽器名";
    case 0x05: return "歌詞";
    case 0x06: return "マーカー";
    case 0x07: return "キューポイント";
    case 0x08: return "プログラム名";
    case 0x09: return "デバイス名";
    case 0x20: return "チャンネルプリフィックス";
    case 0x2F: return "トラック終端";
    case 0x51: return "テンポ";
    case 0x54: return "SMPTEオフセット";
    case 0x58: return "拍子";
    case 0x59: return "調";
    case 0x7F: return "シーケンサー固有メタイベント";
    default: return nullptr;
  }
}
