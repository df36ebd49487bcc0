// SPDX-License-Identifier: MIT
#include "check/header_check.h"

#include "check/check_support.h"
#include "check/chunk_type.h"
#include "stream/field_readers.h"

namespace {

constexpr std::uint32_t kHeaderLength = 6;
constexpr std::uint16_t kHighestFormat = 2;

// With bit 15 set, the high byte is minus the SMPTE frame rate.
bool checkDivision(std::uint16_t division) {
  if ((division & 0x8000) == 0) return true;  // ticks per quarter note: any
  const int framesPerSecond = -static_cast<std::int8_t>(division >> 8);
  switch (framesPerSecond) {
    case 24:
    case 25:
    case 29:
    case 30: return true;
    default: return reportAtLastRead<Code::smpteInvalid>(framesPerSecond);
  }
}

}  // namespace

bool checkHeader(FileState* file) {
  if (readBytes(4) != 4 || !lastReadIs(kHeaderChunkType)) {
    return reportAtLastRead<Code::headerMalformed>();
  }
  std::uint32_t length = 0;
  if (!readUInt32BE(&length) || length < kHeaderLength) {
    return reportAtLastRead<Code::headerLengthUnreadable>();
  }
  if (length > kHeaderLength) {
    return reportAtLastRead<Code::headerLengthNotSix>(asSigned(length));
  }
  if (!readUInt16BE(&file->format)) return reportAtLastRead<Code::formatUnreadable>();
  if (file->format > kHighestFormat) {
    return reportAtLastRead<Code::formatInvalid>(int{file->format});
  }
  if (!readUInt16BE(&file->declaredTracks)) {
    return reportAtLastRead<Code::tracksUnreadable>();
  }
  std::uint16_t division = 0;
  if (!readUInt16BE(&division)) return reportAtLastRead<Code::divisionUnreadable>();
  return checkDivision(division);
}
