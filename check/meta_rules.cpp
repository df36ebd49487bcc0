// SPDX-License-Identifier: MIT
#include "check/meta_rules.h"

#include <cstring>

#include "check/check_support.h"
#include "stream/memory_stream.h"

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
  if (!hasCopyrightSign(data, length) && !fail<Code::copyrightSignMissing>(type)) return false;
  if (track.elapsedTicks != 0 || file.completedTracks != 0 || track.eventIndex != 0) {
    return fail<Code::copyrightMisplaced>(type);
  }
  return true;
}

// REQUIRES: two bytes of data, as the fixed length guarantees.
bool checkKeySignature(std::uint8_t type, const std::uint8_t* data) {
  if (hasTooManyFlats(data) && !fail<Code::tooManyFlats>(type)) return false;
  if (hasTooManySharps(data) && !fail<Code::tooManySharps>(type)) return false;
  if (hasInvalidMode(data)) return fail<Code::modeInvalid>(type);
  return true;
}

// A finding at byte `field` of the data, where lastPosition stands.
template <Code C, typename... V>
void findInData(std::uint32_t field, V... values) {
  reportAt<C>(memoryStream.lastPosition() + field, values...);
}

// REQUIRES: three bytes of data. Readers divide by the tempo to get beats.
void findTempoZero(std::uint8_t type, const std::uint8_t* data) {
  if ((data[0] | data[1] | data[2]) == 0) findInData<Code::tempoZero>(0, metaEvent(type));
}

// REQUIRES: five bytes of data: hours with the frame rate in bits 5 and 6,
// minutes, seconds, frames, and hundredths of a frame.
void findSmpteOffsetFields(const std::uint8_t* data) {
  constexpr int kFramesPerSecond[4] = {24, 25, 30, 30};  // 29.97 counts frames 0 to 29
  const int hours = data[0] & 0x1F;
  const int limits[5] = {24, 60, 60, kFramesPerSecond[data[0] >> 5 & 3], 100};
  const int values[5] = {hours, data[1], data[2], data[3], data[4]};
  for (std::uint32_t field = 0; field < 5; ++field) {
    if (values[field] >= limits[field]) findInData<Code::smpteOffsetField>(field, values[field]);
  }
}

// The largest denominator power readers take: 2^6, a sixty-fourth note. No
// piece of music is written over a 128th, notation programs offer none, and
// a reader that keeps 2^power in a byte or in a 32-bit count of ticks
// overflows soon after.
constexpr int kLargestDenominatorPower = 6;

// REQUIRES: four bytes of data: numerator, denominator power, clocks per
// click, 32nd notes per quarter note. A bar of no beats has no length.
void findTimeSignatureValues(std::uint8_t type, const std::uint8_t* data) {
  if (data[0] == 0) findInData<Code::timeSignatureNumerator>(0, metaEvent(type));
  if (data[1] > kLargestDenominatorPower) {
    findInData<Code::timeSignatureDenominator>(1, int{data[1]});
  }
}

// REQUIRES: one byte of data. There are 16 channels, 0 to 15.
void findChannelPrefixRange(const std::uint8_t* data) {
  if (data[0] > 15) findInData<Code::channelPrefixRange>(0, int{data[0]});
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

void findMetaValues(const MetaType& meta, const std::uint8_t* data) {
  switch (meta.type) {
    case kTempoType: findTempoZero(meta.type, data); break;
    case kSmpteOffsetType: findSmpteOffsetFields(data); break;
    case kTimeSignatureType: findTimeSignatureValues(meta.type, data); break;
    case kChannelPrefixType: findChannelPrefixRange(data); break;
    default: break;
  }
}
