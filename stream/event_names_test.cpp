// SPDX-License-Identifier: MIT
#include "stream/event_names.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Only the high four bits of a status byte choose the name.
TEST(EventNames, ChannelMessageNameMasksTheChannel) {
  for (int channel = 0; channel < 16; ++channel) {
    SCOPED_TRACE(channel);
    EXPECT_STREQ(channelMessageName(japaneseTexts(), static_cast<std::uint8_t>(0x80 | channel)),
                 "ノートオフ");
    EXPECT_STREQ(channelMessageName(japaneseTexts(), static_cast<std::uint8_t>(0x90 | channel)),
                 "ノートオン");
    EXPECT_STREQ(channelMessageName(japaneseTexts(), static_cast<std::uint8_t>(0xE0 | channel)),
                 "ピッチベンド");
  }
}

TEST(EventNames, EveryKeyWithoutANameAnswersNull) {
  for (int key = 0; key < 256; ++key) {
    SCOPED_TRACE(key);
    const auto byte = static_cast<std::uint8_t>(key);
    EXPECT_EQ(channelMessageName(japaneseTexts(), byte) != nullptr, key >= 0x80 && key < 0xF0);
    const bool named = key <= 0x09 || key == 0x20 || key == 0x2F || key == 0x51 || key == 0x54 ||
                       key == 0x58 || key == 0x59 || key == 0x7F;
    EXPECT_EQ(metaEventName(japaneseTexts(), byte) != nullptr, named);
  }
}

TEST(EventNames, MetaEventNames) {
  EXPECT_STREQ(metaEventName(japaneseTexts(), 0x2F), "トラック終端");
  EXPECT_STREQ(metaEventName(japaneseTexts(), 0x54), "SMPTEオフセット");
  EXPECT_STREQ(metaEventName(japaneseTexts(), 0x7F), "シーケンサー固有メタイベント");
}

}  // namespace
