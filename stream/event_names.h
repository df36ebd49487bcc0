// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "catalogue/texts.h"

// Display names of events, as diagnostics show them, from a catalogue; null
// when the key has none.

// Keyed by the high four bits of a channel status byte (0x80 to 0xE0).
const char* channelMessageName(const Texts& texts, std::uint8_t status);

// Keyed by the type byte that follows 0xFF.
const char* metaEventName(const Texts& texts, std::uint8_t type);
