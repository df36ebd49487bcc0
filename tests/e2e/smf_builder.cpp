// SPDX-License-Identifier: MIT
#include "e2e/smf_builder.h"

#include <cstdlib>
#include <string>

Bytes hex(std::string_view text) {
  Bytes bytes;
  std::string digits;
  for (char c : text) {
    if (c == ' ') continue;
    digits += c;
    if (digits.size() == 2) {
      bytes.push_back(static_cast<std::uint8_t>(std::strtoul(digits.c_str(), nullptr, 16)));
      digits.clear();
    }
  }
  if (!digits.empty()) std::abort();  // an odd number of digits is a typo in a test
  return bytes;
}

Bytes text(std::string_view chars) { return Bytes(chars.begin(), chars.end()); }

Bytes be16(std::uint16_t value) {
  return {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

Bytes be32(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
          static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

Bytes varLen(std::uint32_t value) {
  Bytes bytes{static_cast<std::uint8_t>(value & 0x7F)};
  while ((value >>= 7) != 0) {
    bytes.insert(bytes.begin(), static_cast<std::uint8_t>(0x80 | (value & 0x7F)));
  }
  return bytes;
}

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes repeat(const Bytes& part, std::size_t times) {
  Bytes all;
  all.reserve(part.size() * times);
  for (std::size_t i = 0; i < times; ++i) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes chunkDeclaring(std::string_view type, std::uint32_t declaredLength, const Bytes& data) {
  return concat({text(type), be32(declaredLength), data});
}

Bytes chunk(std::string_view type, const Bytes& data) {
  return chunkDeclaring(type, static_cast<std::uint32_t>(data.size()), data);
}

Bytes header(std::uint16_t format, std::uint16_t tracks, std::uint16_t division) {
  return chunk("MThd", concat({be16(format), be16(tracks), be16(division)}));
}

Bytes track(const Bytes& data) { return chunk("MTrk", data); }

Bytes smf(std::uint16_t format, std::initializer_list<Bytes> trackData) {
  Bytes all = header(format, static_cast<std::uint16_t>(trackData.size()));
  for (const Bytes& data : trackData) {
    const Bytes one = track(data);
    all.insert(all.end(), one.begin(), one.end());
  }
  return all;
}

Bytes endOfTrack() { return hex("00 FF 2F 00"); }
