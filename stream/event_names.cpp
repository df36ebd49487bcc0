// SPDX-License-Identifier: MIT
#include "stream/event_names.h"

#include "stream/meta_types.h"

const char* channelMessageName(const Texts& texts, std::uint8_t status) {
  const int kind = status >> 4;
  if (kind < 0x8 || kind > 0xE) return nullptr;
  return texts.channelMessages[kind - 0x8].text;
}

const char* metaEventName(const Texts& texts, std::uint8_t type) {
  const MetaType& meta = metaType(type);
  if (meta.name == nullptr) return nullptr;
  return (texts.metaEvents.*meta.name).text;
}
