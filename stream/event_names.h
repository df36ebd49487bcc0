// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// Display names of events, as printed in diagnostics, from the program's
// catalogue (app/texts.h); null when the key has none.

// Keyed by the high four bits of a channel status byte (0x80 to 0xE0).
const char* channelMessageName(std::uint8_t status);

// Keyed by the type byte that follows 0xFF.
const char* metaEventName(std::uint8_t type);
