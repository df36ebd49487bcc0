// SPDX-License-Identifier: MIT
#include "check/meta_rules.h"

#include <cstring>

#include "check/check_support.h"

namespace {

template <Code C>
bool fail(std::uint8_t type) {
  return reportAtLastRead<C>(metaEvent(type));
}

// Before any non-zero delta time and any channel or SysEx message.
bool checkAtTrackStart(std::uint8_t type, const TrackState& track) {
  if (track.elapsedTicks != 0 || track.sentEvent) return fail<Code::notAtTrackStart>(type);
  return true;
}

// Format 1 keeps the tempo map in the first track chunk.
bool checkInFirstTrackOfFormat1(std::uint8_t type, const FileState& file) {
  if (!mayHoldFormat1TempoMap(file)) return fail<Code::notInFirstTrack>(type);
  return true;
}

bool checkCopyright(std::uint8_t type, const std::uint8_t* data, std::uint32_t length,
                    const FileState& file, const TrackState& track) {
  if (!hasCopyrightSign(data, length)) return fail<Code::copyrightSignMissing>(type);
  if (track.elapsedTicks != 0 || file.completedTracks != 0 || track.eventIndex != 0) {
    return fail<Code::copyrightMisplaced>(type);
  }
  return true;
}

// REQUIRES: two bytes of data, as the fixed length guarantees.
bool checkKeySignature(std::uint8_t type, const std::uint8_t* data) {
  const int sharps = static_cast<std::int8_t>(data[0]);  // negative: flats
  const unsigned mode = data[1];
  if (sharps < -7) return fail<Code::tooManyFlats>(type);
  if (sharps > 7) return fail<Code::tooManySharps>(type);
  if (mode > 1) return fail<Code::modeInvalid>(type);
  return true;
}

// Shift-JIS lead bytes begin two-byte characters.
bool isLeadByte(std::uint8_t byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace

bool hasCopyrightSign(const std::uint8_t* data, std::uint32_t length) {
  const void* nul = std::memchr(data, 0, length);
  const std::size_t textLength =
      nul != nullptr ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - data)
                     : length;
  std::size_t i = 0;
  while (i + 3 <= textLength) {
    if (data[i] == 0x28 && data[i + 1] == 0x43 && data[i + 2] == 0x29) return true;  // "(C)"
    i += isLeadByte(data[i]) ? 2 : 1;
  }
  return false;
}

bool checkMetaRules(const MetaType& meta, const std::uint8_t* data, std::uint32_t length,
                    const FileState& file, const TrackState& track) {
  switch (meta.rule) {
    case MetaRule::none: return true;
    case MetaRule::atTrackStart: return checkAtTrackStart(meta.type, track);
    case MetaRule::copyrightNotice: return checkCopyright(meta.type, data, length, file, track);
    case MetaRule::inFirstTrackOfFormat1: return checkInFirstTrackOfFormat1(meta.type, file);
    case MetaRule::atTrackStartInFirstTrackOfFormat1:
      return checkAtTrackStart(meta.type, track) && checkInFirstTrackOfFormat1(meta.type, file);
    case MetaRule::keySignatureValues: return checkKeySignature(meta.type, data);
  }
  return true;
}
