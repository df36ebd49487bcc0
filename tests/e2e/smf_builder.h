// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

// Builds SMF images byte by byte for the end-to-end tests.
using Bytes = std::vector<std::uint8_t>;

// "00 FF 2F 00" -> {0x00, 0xFF, 0x2F, 0x00}; spaces are ignored.
Bytes hex(std::string_view text);
// The bytes of a text as they stand (no terminating NUL).
Bytes text(std::string_view chars);
Bytes be16(std::uint16_t value);
Bytes be32(std::uint32_t value);
// A variable-length quantity in its shortest form.
Bytes varLen(std::uint32_t value);

Bytes concat(std::initializer_list<Bytes> parts);
Bytes repeat(const Bytes& part, std::size_t times);

// A chunk whose length field is the size of data.
Bytes chunk(std::string_view type, const Bytes& data);
// A chunk whose length field says declaredLength, whatever data holds.
Bytes chunkDeclaring(std::string_view type, std::uint32_t declaredLength, const Bytes& data);
// The 14-byte MThd chunk.
Bytes header(std::uint16_t format, std::uint16_t tracks, std::uint16_t division = 96);
Bytes track(const Bytes& data);
// A header for the given tracks, followed by them.
Bytes smf(std::uint16_t format, std::initializer_list<Bytes> trackData);

// The smallest track body: End of Track at delta time 0.
Bytes endOfTrack();
